// Prints PDB record sets as text: MODEL blocks of ATOM lines, TER, ENDMDL and CONECT lines.
#include "io/PdbWriter.h"

#include "core/ReplacingFile.h"
#include "core/VornError.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace vorn {

namespace {

const char* const kSource = "pdb";

// Atom name from column 14 and residue name from column 18, both padded to 4; with p = 3 the
// coordinates fill columns 27-38, 39-46 and 47-54 and the line is 66 characters long.
bool PrintAtom(std::FILE* f, const PdbRecord& r, int p) {
    return std::fprintf(f, "%-6s%5d  %-4s%-4s%c%4d%*.*f%*.*f%*.*f%6.2f%6.2f\n", r.record, r.serial,
                        r.atomName, r.resName, r.chain, r.resSeq, p + 9, p, double(r.x), p + 5, p,
                        double(r.y), p + 5, p, double(r.z), double(r.occupancy),
                        double(r.tempFactor)) >= 0;
}

bool PrintAtoms(std::FILE* f, const std::vector<PdbRecord>& records, int p) {
    if (std::fprintf(f, "MODEL%5d\n", records.front().model) < 0)
        return false;
    for (size_t i = 0; i < records.size(); ++i) {
        const PdbRecord& r = records[i];
        if (i > 0 && r.model != records[i - 1].model &&
            std::fprintf(f, "ENDMDL\nMODEL%5d\n", r.model) < 0)
            return false;
        if (!PrintAtom(f, r, p))
            return false;
    }
    const PdbRecord& last = records.back();
    return std::fprintf(f, "TER   %5d      %-4s%c%4d\n", AddToSerial(last.serial, 1), last.resName,
                        last.chain, last.resSeq) >= 0 &&
           std::fputs("ENDMDL\n", f) >= 0;
}

bool PrintConects(std::FILE* f, const std::vector<ConectEntry>& conects) {
    for (const ConectEntry& entry : conects) {
        if (std::fprintf(f, "CONECT%5d", entry.owner) < 0)
            return false;
        for (int serial : entry.bonded)
            if (std::fprintf(f, "%5d", serial) < 0)
                return false;
        if (std::fputc('\n', f) == EOF)
            return false;
    }
    return true;
}

} // namespace

int AddToSerial(int serial, int offset) {
    const long long sum = static_cast<long long>(serial) + offset;
    return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

PdbFile MakeWriteRecords(int count) {
    PdbFile pdb;
    pdb.records.resize(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < pdb.records.size(); ++i) {
        PdbRecord& r = pdb.records[i];
        std::strcpy(r.record, "ATOM");
        r.serial = static_cast<int>(i);
        std::strcpy(r.atomName, "C");
        std::strcpy(r.resName, "UNK0");
        r.resSeq = 1;
    }
    pdb.atomCount = static_cast<int>(pdb.records.size());
    return pdb;
}

bool WritePdbRecords(const PdbFile& pdb, std::FILE* file, int precision, bool conect) {
    const int p = std::clamp(precision, kPdbMinPrecision, kPdbMaxPrecision);
    bool ok = true;
    if (!pdb.records.empty()) {
        ok = PrintAtoms(file, pdb.records, p);
        if (ok && conect)
            ok = PrintConects(file, pdb.conects);
    }
    // fprintf only fills the buffer: a full disk shows itself at the flush.
    return std::fflush(file) == 0 && ok && !std::ferror(file);
}

bool WritePdbRecords(const PdbFile& pdb, const std::string& fileName, int precision, bool conect) {
    ReplacingFile out;
    if (!out.Open(fileName))
        VORN_RAISE(kSource, "Can't open file");
    return WritePdbRecords(pdb, out.File(), precision, conect) && out.Commit();
}

} // namespace vorn
