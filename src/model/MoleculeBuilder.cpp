// Turns the file-shaped record set into the molecule's atoms, chains, residues and bonds.
#include "model/MoleculeBuilder.h"

#include "core/HugePages.h"
#include "core/Parallel.h"
#include "core/UiHost.h"
#include "io/PdbFile.h"
#include "model/Connectivity.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vorn {

namespace {

// Below this many atoms per thread, starting threads costs more than it saves.
constexpr int kAtomsPerThread = 20000;

// Number of models of a multi-model file: one more than the number of model changes between
// consecutive records. Returns 1 (and warns) when the records do not split into equal models.
int CountModels(const PdbFile& pdb, UiHost* ui) {
    const auto& records = pdb.records;
    int models = 1;
    for (size_t i = 1; i < records.size(); ++i)
        if (records[i].model != records[i - 1].model)
            ++models;
    if (records.size() % static_cast<size_t>(models) != 0) {
        if (ui)
            ui->ShowMessage("All models in PDB file must contain the same number of atoms");
        return 1;
    }
    return models;
}

// Copies a NUL-terminated field into a fixed array, cutting it to fit.
template <size_t N>
void CopyName(char (&to)[N], const char* from) {
    const size_t length = std::min(std::strlen(from), N - 1);
    std::memcpy(to, from, length);
    to[length] = '\0';
}

Atom AtomOfRecord(const PdbRecord& r) {
    Atom atom;
    CopyName(atom.name, r.atomName);
    atom.element = ElementOfAtomName(r.atomName);
    atom.x = r.x;
    atom.y = r.y;
    atom.z = r.z;
    atom.serial = r.serial;
    atom.tempFactor = r.tempFactor;
    atom.occupancy = r.occupancy;
    atom.resSeq = r.resSeq;
    atom.hetero = r.hetero != 0;
    CopyName(atom.resName, r.resName);
    atom.model = r.model;
    atom.chain = r.chain;
    return atom;
}

// Atoms are converted on several threads; each writes its own range.
void AddAtoms(Molecule& mol, const PdbFile& pdb, int atomCount) {
    mol.atoms = LargeVectorOnThreads<Atom>(static_cast<size_t>(atomCount));
    ForRanges(atomCount, kAtomsPerThread, [&](int begin, int end) {
        for (int i = begin; i < end; ++i)
            mol.atoms[static_cast<size_t>(i)] = AtomOfRecord(pdb.records[static_cast<size_t>(i)]);
    });
}

// Every model after the first becomes a frame of x, y, z per atom, in record order.
void AddModelFrames(Molecule& mol, const PdbFile& pdb, int atomCount, int models) {
    for (int m = 1; m < models; ++m) {
        std::vector<float> frame(3 * static_cast<size_t>(atomCount));
        for (int i = 0; i < atomCount; ++i) {
            const PdbRecord& r = pdb.records[static_cast<size_t>(m) * atomCount + i];
            frame[3 * i] = r.x;
            frame[3 * i + 1] = r.y;
            frame[3 * i + 2] = r.z;
        }
        mol.frames.Append(std::move(frame));
    }
    mol.frameCount = models - 1;
}

// The residue type of the last residue name asked for, kept: the atoms of a residue carry the
// same name, and working out a type takes several case-insensitive comparisons.
class ResidueTyper {
public:
    int TypeOf(const char* resName) {
        if (std::strncmp(resName, m_name, sizeof m_name) != 0) {
            CopyName(m_name, resName);
            m_type = ResidueTypeOfName(m_name);
        }
        return m_type;
    }

private:
    char m_name[sizeof(Atom::resName)] = "";
    int m_type = ResidueTypeOfName("");
};

// Appends an atom to its residue. Every atom sets the residue's type and number, so the last
// one decides; the alpha-carbon and orientation atoms are found by their exact names, which for
// nucleotides carry the prime as "*" or "'".
void AddToResidue(Residue& residue, const Atom& atom, int index, ResidueTyper& typer) {
    residue.atoms.Append(index);
    residue.type = typer.TypeOf(atom.resName);
    residue.number = atom.resSeq;
    const char* name = atom.name;
    if (IsNucleotide(residue.type)) {
        if (IsPrimedName(name, "C3"))
            residue.caIndex = index;
        else if (IsPrimedName(name, "C5"))
            residue.orientIndex = index;
    } else if (std::strcmp(name, "CA") == 0) {
        residue.caIndex = index;
    } else if (std::strcmp(name, "O") == 0) {
        residue.orientIndex = index;
    }
}

bool SameChain(const Atom& a, const Atom& b) {
    return a.model == b.model && a.chain == b.chain;
}

// The atoms of the residue that starts at atom first: it runs over the following non-hetero atoms
// of its chain with its residue number.
int ResidueAtomCount(const Molecule& mol, int first) {
    const Atom& start = mol.atoms[static_cast<size_t>(first)];
    int count = 1;
    for (size_t j = static_cast<size_t>(first) + 1; j < mol.atoms.size(); ++j) {
        const Atom& atom = mol.atoms[j];
        if (atom.hetero)
            continue;
        if (!SameChain(atom, start) || atom.resSeq != start.resSeq)
            break;
        ++count;
    }
    return count;
}

// Non-hetero atoms form chains (a change of model or chain identifier starts one) and residues
// (a change of residue number within a chain starts one).
void BuildChains(Molecule& mol) {
    const Atom* previous = nullptr;
    ResidueTyper typer;
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& atom = mol.atoms[static_cast<size_t>(i)];
        if (atom.hetero)
            continue;
        if (!previous || !SameChain(atom, *previous)) {
            mol.chains.emplace_back();
            mol.chains.back().model = atom.model;
            mol.chains.back().id = atom.chain;
            previous = nullptr;
        }
        auto& residues = mol.chains.back().residues;
        if (!previous || atom.resSeq != previous->resSeq) {
            residues.emplace_back();
            residues.back().atoms.Reserve(ResidueAtomCount(mol, i));
        }
        AddToResidue(residues.back(), atom, i, typer);
        previous = &atom;
    }
}

// Residues without an alpha-carbon or orientation atom cannot be drawn as backbone; their atoms
// stay in the molecule.
void RemoveIncompleteResidues(Molecule& mol) {
    for (Chain& chain : mol.chains) {
        auto& residues = chain.residues;
        residues.erase(std::remove_if(residues.begin(), residues.end(),
                                      [](const Residue& residue) {
                                          return residue.caIndex < 0 || residue.orientIndex < 0;
                                      }),
                       residues.end());
    }
}

// Atom index of an entry value: the value itself in index mode, the record with that serial in
// serial mode. Values that name no atom of the molecule give -1.
int AtomIndexOfValue(const SerialIndex& serials, const Connectivity& conn, int value,
                     int atomCount) {
    const int index = conn.serialMode ? serials.IndexOf(value) : value;
    return (index >= 0 && index < atomCount) ? index : -1;
}

// The usual outcome: index mode with one entry per atom in atom order, ready to be the
// molecule's lists as they stand.
bool IsOneEntryPerAtom(const Connectivity& conn, int atomCount) {
    if (conn.serialMode || conn.EntryCount() != atomCount)
        return false;
    for (int i = 0; i < atomCount; ++i)
        if (conn.owners[static_cast<size_t>(i)] != i)
            return false;
    for (int v : conn.bonded.Values())
        if (v < 0 || v >= atomCount)
            return false;
    return true;
}

// Gathers the entries' (owner, bonded) pairs as atom indices per owner atom, entries in order,
// dropping values that name no atom.
FlatLists ListsPerAtom(const PdbFile& pdb, const Connectivity& conn, int atomCount) {
    const SerialIndex serials(pdb);
    std::vector<std::pair<int, int>> pairs;
    ReserveLarge(pairs, conn.bonded.Values().size());
    for (int e = 0; e < conn.EntryCount(); ++e) {
        const int a =
            AtomIndexOfValue(serials, conn, conn.owners[static_cast<size_t>(e)], atomCount);
        if (a < 0)
            continue;
        for (int value : conn.bonded[e]) {
            const int b = AtomIndexOfValue(serials, conn, value, atomCount);
            if (b >= 0)
                pairs.emplace_back(a, b);
        }
    }
    FlatLists lists = GroupByKey(atomCount, static_cast<int>(pairs.size()),
                                 [&](int k) { return pairs[static_cast<size_t>(k)].first; });
    for (int& k : lists.Values())
        k = pairs[static_cast<size_t>(k)].second;
    return lists;
}

// The bonded lists of the atoms as atom indices: computed from distances with the file's CONECT
// lists merged in, or the file's lists alone.
FlatLists BondedLists(const PdbFile& pdb, bool connect, int atomCount) {
    Connectivity conn =
        connect ? MakeConnectivity(pdb, /*indexModeRequested=*/true) : FileConnectivity(pdb);
    return IsOneEntryPerAtom(conn, atomCount) ? std::move(conn.bonded)
                                              : ListsPerAtom(pdb, conn, atomCount);
}

// Each listed pair (a, b) with a < b is one bond, in owner order and then list order. With the
// multi-model option only bonds within the first record's model are kept. Threads take ranges of
// atoms: each counts the bonds of its range, then writes them after those of the ranges before.
void BuildBonds(Molecule& mol, FlatLists bonded, const PdbFile& pdb, bool multiModel) {
    mol.bonded = std::move(bonded);
    const int atomCount = mol.AtomCount();
    const int firstModel = pdb.records.empty() ? 0 : pdb.records.front().model;
    const auto forEachBond = [&](int begin, int end, auto take) {
        for (int a = begin; a < end; ++a) {
            const Atom& atomA = mol.atoms[static_cast<size_t>(a)];
            for (int b : mol.bonded[a]) {
                const Atom& atomB = mol.atoms[static_cast<size_t>(b)];
                if (a >= b ||
                    (multiModel && (atomA.model != firstModel || atomB.model != firstModel)))
                    continue;
                take(Bond{a, b, false, atomA.hetero || atomB.hetero});
            }
        }
    };
    const int parts = std::max(1, std::min(WorkerThreads(), atomCount / kAtomsPerThread));
    std::vector<size_t> first(static_cast<size_t>(parts) + 1, 0);
    RunParts(parts, [&](int part) {
        const PartRange range = RangeOfPart(atomCount, parts, part);
        forEachBond(range.begin, range.end,
                    [&](const Bond&) { ++first[static_cast<size_t>(part) + 1]; });
    });
    for (size_t p = 1; p < first.size(); ++p)
        first[p] += first[p - 1];
    mol.bonds = LargeVectorOnThreads<Bond>(first.back());
    RunParts(parts, [&](int part) {
        const PartRange range = RangeOfPart(atomCount, parts, part);
        size_t next = first[static_cast<size_t>(part)];
        forEachBond(range.begin, range.end, [&](const Bond& bond) { mol.bonds[next++] = bond; });
    });
}

// An oxygen without any bond is a water that was not named as one.
void MarkLoneOxygens(Molecule& mol) {
    std::vector<unsigned char> bonded(mol.atoms.size(), 0);
    for (const Bond& bond : mol.bonds)
        bonded[static_cast<size_t>(bond.first)] = bonded[static_cast<size_t>(bond.second)] = 1;
    for (size_t i = 0; i < mol.atoms.size(); ++i)
        if (!bonded[i] && mol.atoms[i].name[0] == 'O')
            mol.atoms[i].hetero = true;
}

void AddMonitors(Molecule& mol, const PdbFile& pdb) {
    mol.monitors.Clear();
    for (const PdbMonitor& m : pdb.monitors) {
        if (m.indexA < 0 || m.indexA >= mol.AtomCount() || m.indexB < 0 ||
            m.indexB >= mol.AtomCount())
            continue; // an atom of a later model, which is a frame and not an atom
        Rgba color{static_cast<std::uint8_t>(m.red), static_cast<std::uint8_t>(m.green),
                   static_cast<std::uint8_t>(m.blue), 255};
        mol.monitors.Append(Monitor{m.kind, m.indexA, m.indexB, color});
    }
}

} // namespace

void BuildMolecule(Molecule& mol, const PdbFile& pdb, bool multiModel, bool connect, UiHost* ui) {
    const int recordCount = static_cast<int>(pdb.records.size());
    const int models = (multiModel && recordCount > 0) ? CountModels(pdb, ui) : 1;
    const int atomCount = recordCount / models;
    // Bonds are found first: the search gives its working memory back before the atoms, some
    // hundred bytes each, take theirs.
    FlatLists bonded = BondedLists(pdb, connect, atomCount);
    AddAtoms(mol, pdb, atomCount);
    if (models > 1)
        AddModelFrames(mol, pdb, atomCount, models);
    BuildChains(mol);
    RemoveIncompleteResidues(mol);
    BuildBonds(mol, std::move(bonded), pdb, multiModel);
    MarkLoneOxygens(mol);
    const PdbValueRanges ranges = pdb.ValueRanges();
    mol.tempMax = ranges.tempMax;
    mol.tempMin = ranges.tempMin;
    mol.occMax = ranges.occMax;
    mol.occMin = ranges.occMin;
    AddMonitors(mol, pdb);
}

} // namespace vorn
