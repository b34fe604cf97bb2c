// Turns the tables of an mmCIF text, as a CIF parser meets its tags and values, into the record
// set of a PDB file: the atom_site table into records, the links of struct_conn into CONECT
// entries. Every other table is only checked for its shape.
#pragma once

#include "io/CifText.h"
#include "io/MmcifLinks.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorn {

class PdbFile;
struct PdbRecord;

class MmcifTables {
public:
    // Fills file, expecting about expectedAtoms atoms.
    MmcifTables(PdbFile& file, std::size_t expectedAtoms);

    // What the parser meets, in the order of the text; line is where the tag or value begins.
    // The text of a tag or value is valid only during the call. Errors raise VornError
    // "Error parsing file! Line N: ...".
    void StartBlock();
    void StartFrame() { m_inFrame = true; }
    void EndFrame() { m_inFrame = false; }
    void StartLoop();
    void LoopTag(const char* text, std::size_t length, std::size_t line);
    void LoopValue(const char* text, std::size_t length, std::size_t line) {
        m_line = line;
        // The bulk of a file, the rows of its atoms once their columns are checked, without a
        // call more per value.
        if (m_category == Category::kAtomSite && m_checked) {
            TakeAtomValue(m_columnKinds[m_column], cif::ValueOf(text, length));
            if (++m_column == m_columns) {
                m_column = 0;
                FinishAtomRow();
            }
            return;
        }
        OtherLoopValue(text, length);
    }
    void EndLoop();
    void ItemTag(const char* text, std::size_t length, std::size_t line);
    void ItemValue(const char* text, std::size_t length, std::size_t line);
    void MissingValue();
    // After the last line: the links, the model numbers and the counts of the record set.
    void Finish(std::size_t lastLine);

    enum class Category { kOther, kAtomSite, kStructConn };

private:
    // One atom_site row as its values come.
    struct AtomRow {
        static constexpr unsigned kAllCoordinates = 7;
        bool hetatm = false;
        bool hasId = false;
        int id = 0;
        cif::ShortText labelAtom, authAtom, labelComp, authComp, labelAsym, authAsym;
        bool hasLabelSeq = false, hasAuthSeq = false;
        int labelSeq = 0, authSeq = 0;
        char insCode = '\0', altId = '\0';
        unsigned coordinates = 0; // bits of x, y and z given
        float x = 0, y = 0, z = 0;
        float occupancy = 1.0f;
        float tempFactor = 0.0f;
        int model = 0;
    };

    // Chain names of up to four characters, and the one character a record keeps of each.
    class ChainNames {
    public:
        int IndexOf(const cif::ShortText& name);
        char LetterOf(int index, const cif::ShortText& name, const PdbRecord* previous,
                      int previousIndex);

    private:
        std::unordered_map<std::string, int> m_indices;
        std::vector<int> m_letters; // per index; unassigned until an atom has the name
    };

    // Tables after the block of the atoms, and in save frames, are passed over.
    Category Effective(Category c) const;
    void StartTable(Category category);
    void AddColumn(const char* tag, std::size_t length, std::size_t nameStart);
    void CheckColumns();
    void OtherLoopValue(const char* text, std::size_t length);
    void Take(unsigned char column, cif::Value v);
    void TakeAtomValue(unsigned char column, cif::Value v);
    float Number(cif::Value v, float fallback, const char* column) const;
    [[noreturn]] void NotANumber(const char* column) const;
    void FinishRow();
    void FinishAtomRow();
    void EndSingleItems();
    char ChainOf(const AtomRow& row, int& index);
    void NumberModels();

    PdbFile& m_file;
    std::size_t m_line = 1;
    bool m_inFrame = false;
    bool m_skipRest = false; // the atoms came from an earlier block
    bool m_atomTableSeen = false;

    // The table being read: a loop, or a run of single items of one table (one row).
    Category m_category = Category::kOther;
    bool m_itemRow = false;
    bool m_checked = false;                 // the columns were checked
    std::vector<std::string> m_columnNames; // lower-cased, for the tables that are read
    std::vector<unsigned char> m_columnKinds;
    std::size_t m_columns = 0;
    std::size_t m_column = 0; // of the next value

    AtomRow m_atom;
    MmcifLinks m_links;
    std::vector<AtomPlace> m_places; // one per record
    ChainNames m_chains;
    cif::ShortText m_lastChainName;
    int m_lastChainIndex = -1;
    char m_lastChainLetter = ' ';
};

} // namespace vorn
