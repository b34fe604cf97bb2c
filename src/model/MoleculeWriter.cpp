// Writes molecules in their displayed position, and ranges of trajectory frames, as PDB files:
// the inverse of building a molecule from a record set.
#include "model/MoleculeWriter.h"

#include "core/ReplacingFile.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "io/PdbWriter.h"
#include "model/Molecule.h"
#include "model/MotionState.h"

#include <algorithm>
#include <cstring>

namespace vorn {

namespace {

const char* const kSource = "pdb";

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
        r.serial = AddToSerial(atom.serial, serialOffset);
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
        offset = AddToSerial(offset, AddToSerial(mol->AtomCount(), 1));
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

} // namespace vorn
