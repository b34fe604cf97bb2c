// Reads a PDB coordinate file, plain or gzip-compressed, into a file-shaped record set.
#pragma once

#include "core/IndexedList.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorn {

// One ATOM or HETATM line. Also the record the PDB writer emits.
struct PdbRecord {
    char record[8] = ""; // "ATOM" or "HETATM", upper-cased
    int serial = 0;
    char atomName[8] = ""; // at most 7 characters
    char resName[6] = "";  // at most 5 characters
    int resSeq = 0;
    float x = 0, y = 0, z = 0; // Å
    float occupancy = 1.0f;
    float tempFactor = 0.0f;
    int hetero = 0; // HETATM line or water residue
    int model = 0;
    char chain = ' ';

    // Copy the text upper-cased; raise a VornError when it does not fit.
    void SetRecord(const char* text);
    void SetAtomName(const char* text);
    // Also marks water residues (TIP, SPC, HOH, SOL) hetero and clears the flag otherwise.
    void SetResName(const char* text);
    // The same for text of the given length, which needs no terminator.
    void SetAtomName(const char* text, std::size_t length);
    void SetResName(const char* text, std::size_t length);
};

// A CONECT entry: the first atom's serial and the serials bonded to it, in file order.
// Consecutive CONECT lines naming the same first atom are joined into one entry.
struct ConectEntry {
    int owner = 0;
    IndexedList<int> bonded;
};

// The largest and smallest magnitudes of the temperature factors and occupancies of a record set.
struct PdbValueRanges {
    float tempMax = 0, tempMin = 0, occMax = 0, occMin = 0;
};

struct PdbMonitor {
    int kind = 0;
    int serialA = 0, serialB = 0;
    int red = 0, green = 0, blue = 0;
    int indexA = -1, indexB = -1; // record indices of the two atoms
};

class PdbFile {
public:
    // Fills the record set from the file; raises VornError ("Can't open file!",
    // "Error parsing file!", or a setter's message). Returns true on success. A large file is
    // parsed on WorkerThreads() threads; the result does not depend on their number.
    bool Read(const std::string& fileName);
    // The same, reading blockBytes of text at a time (the unit of work of one thread).
    bool Read(const std::string& fileName, std::size_t blockBytes);

    // Sets bondCount from the CONECT entries.
    void CountBonds();

    // Largest and smallest magnitudes over all records (0 for an empty set), in one pass.
    PdbValueRanges ValueRanges() const;
    float TempFactorMax() const { return ValueRanges().tempMax; }
    float TempFactorMin() const { return ValueRanges().tempMin; }
    float OccupancyMax() const { return ValueRanges().occMax; }
    float OccupancyMin() const { return ValueRanges().occMin; }

    int bondCount = 0; // distinct atom pairs named by the CONECT entries
    int atomCount = 0;
    int conectCount = 0;
    int monitorCount = 0;
    std::vector<PdbRecord> records;
    std::vector<ConectEntry> conects;
    std::vector<PdbMonitor> monitors;
    float boxR[3] = {}, boxA[3] = {}, boxB[3] = {}, boxC[3] = {};
    bool boxComplete = false;
    // The CONECT entries name only links between residues (an mmCIF file's disulfide and
    // covalent links), never an atom's whole list of neighbours: they add to computed bonds.
    bool conectsAreLinks = false;
};

// Serial number → record index with the reader's rule: the record at serial − 1 when it carries
// that serial, else the first record in file order that does; −1 when none does. Built once for a
// record set, then constant time per serial; a set numbered 1, 2, 3, ... needs no map at all.
class SerialIndex {
public:
    // Indexes the first count records (all of them when count is negative).
    explicit SerialIndex(const PdbFile& pdb, int count = -1);
    int IndexOf(int serial) const;

private:
    const PdbRecord* m_records;
    int m_count;
    std::unordered_map<int, int> m_first;
};

} // namespace vorn
