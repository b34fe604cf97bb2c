// Writes molecules in their displayed position, and ranges of trajectory frames, as PDB text.
#include "io/PdbWriter.h"

#include "appearance/ColorScheme.h"
#include "core/ReplacingFile.h"
#include "core/VornError.h"
#include "model/Molecule.h"
#include "model/MotionState.h"
#include "model/UiHost.h"

#include <algorithm>
#include <climits>
#include <cstring>

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
    return std::fprintf(f, "TER   %5d      %-4s%c%4d\n", last.serial + 1, last.resName, last.chain,
                        last.resSeq) >= 0 &&
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

float WrittenTempFactor(const Molecule& mol, float tempFactor, bool normalise) {
    if (!normalise)
        return std::min(tempFactor, 99.9f);
    const double n = Normalize(tempFactor, mol.tempMin, mol.tempMax);
    return static_cast<float>(99.8 * n + 0.01);
}

// Fields shared by a saved atom and an exported frame's atom. Every atom is written as ATOM.
void FillFromAtom(PdbRecord& r, const Atom& atom) {
    r.resSeq = atom.resSeq;
    r.chain = atom.chain;
    r.SetAtomName(atom.name);
    r.SetResName(atom.resName);
    r.hetero = 0;
}

// CONECT entries for the atoms of the first model (the first k records); bonds reaching outside
// those records would name atoms without an entry and are left out.
void AddConects(PdbFile& pdb, const Molecule& mol) {
    if (mol.atoms.empty())
        return;
    const int firstModel = mol.atoms.front().model;
    const int k = static_cast<int>(std::count_if(
        mol.atoms.begin(), mol.atoms.end(), [&](const Atom& a) { return a.model == firstModel; }));
    pdb.conects.resize(static_cast<size_t>(k));
    for (int i = 0; i < k; ++i)
        pdb.conects[static_cast<size_t>(i)].owner = pdb.records[static_cast<size_t>(i)].serial;
    for (const Bond& bond : mol.bonds) {
        if (bond.first >= k || bond.second >= k || bond.first < 0 || bond.second < 0 ||
            mol.atoms[static_cast<size_t>(bond.first)].model != firstModel)
            continue;
        ConectEntry& a = pdb.conects[static_cast<size_t>(bond.first)];
        ConectEntry& b = pdb.conects[static_cast<size_t>(bond.second)];
        a.bonded.Append(b.owner);
        b.bonded.Append(a.owner);
        ++pdb.bondCount;
    }
    pdb.conectCount = k;
}

// Why a trajectory cannot be exported, or null.
const char* ExportRefusal(const Molecule& mol, int start, int stop) {
    const int frames = mol.frames.Count();
    if (frames == 0)
        return "Cannot export a zero length trajectory";
    if (stop < start || start < 1)
        return "Invalid starting step";
    if (stop > frames)
        return "Invalid stopping step";
    for (const Atom& atom : mol.atoms)
        if (atom.model != mol.atoms.front().model)
            return "Unable to export a trajectory for a multi-model data set.";
    return nullptr;
}

// Frame f - 1 as it is stored (not turned by the display rotation) for f = start .. stop.
// Returns false when a frame holds fewer coordinates than the molecule has atoms.
bool TrajectoryRecords(PdbFile& pdb, const Molecule& mol, int start, int stop) {
    const int n = stop - start + 1;
    const size_t atomCount = mol.atoms.size();
    pdb = MakeWriteRecords(static_cast<int>(atomCount) * n);
    for (int k = 0; k < n; ++k) {
        const std::vector<float>& frame = mol.frames[start - 1 + k];
        if (frame.size() < 3 * atomCount)
            return false;
        for (size_t i = 0; i < atomCount; ++i) {
            PdbRecord& r = pdb.records[static_cast<size_t>(k) * atomCount + i];
            const Atom& atom = mol.atoms[i];
            FillFromAtom(r, atom);
            r.serial = atom.serial;
            r.tempFactor = atom.tempFactor;
            r.x = frame[3 * i];
            r.y = frame[3 * i + 1];
            r.z = frame[3 * i + 2];
            r.occupancy = float(k) / float(n); // the frame's place in the exported range
            r.model = k + 1;
        }
    }
    return true;
}

} // namespace

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

PdbFile MoleculeRecords(const Molecule& mol, bool normalise, int serialOffset) {
    PdbFile pdb = MakeWriteRecords(mol.AtomCount());
    const DisplayMap map(mol);
    for (size_t i = 0; i < mol.atoms.size(); ++i) {
        const Atom& atom = mol.atoms[i];
        PdbRecord& r = pdb.records[i];
        const std::array<double, 3> p = map.Position(static_cast<int>(i));
        r.x = static_cast<float>(p[0]);
        r.y = static_cast<float>(p[1]);
        r.z = static_cast<float>(p[2]);
        r.serial = atom.serial + serialOffset;
        r.tempFactor = WrittenTempFactor(mol, atom.tempFactor, normalise);
        r.occupancy = atom.occupancy;
        r.model = atom.model;
        FillFromAtom(r, atom);
    }
    AddConects(pdb, mol);
    return pdb;
}

void SavePdbMolecule(const Molecule& mol, std::FILE* file, int precision, bool conect,
                     bool normalise, int serialOffset) {
    const PdbFile pdb = MoleculeRecords(mol, normalise, serialOffset);
    if (!WritePdbRecords(pdb, file, precision, conect))
        VORN_RAISE(kSource, "Error saving pdb file, " + mol.fileName);
}

void SaveMoleculeByType(const Molecule& mol, std::FILE* file, int type, int precision, bool conect,
                        bool normalise, int serialOffset) {
    switch (type) {
    case kSavePdb:
        SavePdbMolecule(mol, file, precision, conect, normalise, serialOffset);
        return;
    case kSaveXyz:
        VORN_RAISE(kSource, "XYZ files aren't supported yet!");
    case kSaveCrd:
        VORN_RAISE(kSource, "CRD files aren't supported yet!");
    default:
        VORN_RAISE(kSource, "Unknown file type!");
    }
}

std::string SaveCoordinatesName(const std::string& fileName) {
    if (fileName.find(".pdb") != std::string::npos || fileName.find(".PDB") != std::string::npos)
        return fileName;
    return fileName + ".pdb";
}

std::string SaveCoordinates(const std::vector<const Molecule*>& molecules,
                            const std::string& fileName, int type, int precision, bool conect,
                            bool normalise) {
    // An empty name would otherwise become the hidden file ".pdb".
    if (fileName.empty())
        VORN_RAISE(kSource, "Please enter a file name");
    const std::string name = SaveCoordinatesName(fileName);
    ReplacingFile out;
    if (!out.Open(name))
        VORN_RAISE(kSource, "Unable to open file for saving");
    int offset = 0;
    for (const Molecule* mol : molecules) {
        SaveMoleculeByType(*mol, out.File(), type, precision, conect, normalise, offset);
        offset += mol->AtomCount() + 1;
    }
    if (!out.Commit())
        VORN_RAISE(kSource, "Error saving pdb file, " + name);
    return name;
}

bool ExportTrajectory(const Molecule& mol, const std::string& fileName, int start, int stop,
                      UiHost* ui) {
    if (const char* refusal = ExportRefusal(mol, start, stop)) {
        if (ui)
            ui->ShowMessage(refusal);
        return false;
    }
    PdbFile pdb;
    if (!TrajectoryRecords(pdb, mol, start, stop) ||
        !WritePdbRecords(pdb, fileName, kPdbMinPrecision, false)) {
        if (ui)
            ui->ShowMessage("Unable to save " + fileName);
        return false;
    }
    return true;
}
