// The lines of a PDB file parsed block by block, apart from each other, and the running state of
// the reader that joins the parsed blocks in file order.
#pragma once

#include "core/VornError.h"
#include "io/PdbFile.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vorn {

namespace pdblines {

// An atom line's serial token may be read two ways: decimal (or hybrid-36), and hexadecimal in a
// file whose atoms were numbered so past 99,999. Which one holds depends on the lines before it.
enum SerialKind : unsigned char {
    kDecimalSerial,  // the record's serial stands
    kMaybeHexSerial, // five hexadecimal digits: hexValue replaces the serial in a hexadecimal file
    kHexSerial,      // hexadecimal for certain (a letter after a leading digit): the file is so
};

// What an atom line leaves for the running state to decide.
struct AtomLineFacts {
    int hexValue = 0;
    SerialKind serialKind = kDecimalSerial;
    bool hasTempFactor = false; // both occupancy and temperature factor were read
};

// A line that changes the running state, or whose content is kept in file order. `records` is the
// number of atom records of the block before the line.
struct LineEvent {
    enum Kind : unsigned char { kModel, kTer, kConect, kMonitor, kBox };
    Kind kind;
    int records;
    int value; // model number; offset of the CONECT text; index of the monitor or the box
};

// A BBOX line's vector: word 0 to 3 for R, A, B, C.
struct BoxVector {
    int word;
    std::array<float, 3> v;
};

// The content of one block of lines. After an atom line that fails, the block holds nothing more.
struct ParsedBlock {
    std::vector<PdbRecord> records;   // serial, model and chain before the running state applies
    std::vector<AtomLineFacts> facts; // one per record
    std::vector<LineEvent> events;    // in line order
    std::string conectText;           // CONECT lines after their name, each ended by a NUL
    std::vector<PdbMonitor> monitors;
    std::vector<BoxVector> boxes;
    std::optional<VornError> atomError;

    void Clear();
};

// Parses the lines text[0, size), cutting each at GzLineReader::kMaxLineChars characters; the
// text is changed in place (lines are ended by NULs) and text[size] must be writable.
void ParseBlock(char* text, std::size_t size, ParsedBlock& out);

// Takes the parsed blocks of one file in file order and fills the record set as one pass over
// the lines would: the serial, model and chain of each record follow from the records and lines
// before it. Errors are kept until Finish, so that the first atom error wins over a CONECT error.
class RecordJoiner {
public:
    explicit RecordJoiner(PdbFile& file) : m_file(file) {}
    void Take(const ParsedBlock& block);
    // Counts, bonds, monitors and box; raises the first error.
    void Finish();

private:
    void TakeRecords(const ParsedBlock& block, int& next, int end);
    void RenameAfterTer(const PdbRecord* prev, PdbRecord& rec);
    void ApplyImpliedModel(const PdbRecord* prev, PdbRecord& rec);
    void TakeEvent(const ParsedBlock& block, const LineEvent& event);
    void ResolveMonitors();

    PdbFile& m_file;
    // The running state of the atom lines.
    int m_model = 0;
    bool m_afterTer = false;
    bool m_renaming = false;
    char m_renameFrom = ' ', m_renameTo = ' ';
    bool m_hexSerials = false;
    std::optional<VornError> m_atomError;
    bool m_conectFailed = false;
    bool m_boxSeen[4] = {};
};

} // namespace pdblines

} // namespace vorn
