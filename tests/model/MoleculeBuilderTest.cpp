// Building molecules from record sets: models, chains, residues, bonds, lone oxygens, monitors.
#include "model/MoleculeBuilder.h"

#include "TestRecords.h"
#include "core/UiHost.h"
#include "io/PdbFile.h"
#include "model/Molecule.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

namespace {

struct RecordingHost : UiHost {
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

PdbRecord Rec(int serial, const char* name, const char* res, int resSeq, char chain, float x,
              float y = 0, float z = 0, int model = 0) {
    PdbRecord r = AtomRecord(serial, name, x, y, z, model);
    std::strcpy(r.resName, res);
    r.resSeq = resSeq;
    r.chain = chain;
    return r;
}

PdbFile FileOf(std::vector<PdbRecord> records) {
    PdbFile pdb;
    pdb.records = std::move(records);
    pdb.atomCount = static_cast<int>(pdb.records.size());
    return pdb;
}

Molecule Built(const PdbFile& pdb, bool multiModel = false, bool connect = true,
               UiHost* ui = nullptr) {
    Molecule mol;
    BuildMolecule(mol, pdb, multiModel, connect, ui);
    return mol;
}

// A backbone residue N CA C O along x, 3.8 Å per residue, bonded in a chain.
void AddResidue(std::vector<PdbRecord>& out, int& serial, const char* res, int resSeq, char chain,
                int model = 0, float z = 0) {
    const float x0 = 3.8f * static_cast<float>(resSeq);
    out.push_back(Rec(serial++, "N", res, resSeq, chain, x0, 0, z, model));
    out.push_back(Rec(serial++, "CA", res, resSeq, chain, x0 + 1.45f, 0, z, model));
    out.push_back(Rec(serial++, "C", res, resSeq, chain, x0 + 2.45f, 0.5f, z, model));
    out.push_back(Rec(serial++, "O", res, resSeq, chain, x0 + 2.45f, 1.7f, z, model));
}

TEST(BuildMolecule, ChainsAndResiduesFollowChainIdModelAndResidueNumber) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    AddResidue(r, serial, "GLY", 2, 'A');
    // No atom named exactly "O": the residue is dropped, its atoms stay.
    r.push_back(Rec(serial++, "N", "GLY", 3, 'A', 0, 0, -20));
    r.push_back(Rec(serial++, "CA", "GLY", 3, 'A', 1.45f, 0, -20));
    r.push_back(Rec(serial++, "OXT", "GLY", 3, 'A', 2.4f, 1.0f, -20));
    r.push_back(Rec(serial++, "O", "HOH", 100, 'A', 50, 50, 50));
    r.back().hetero = 1;
    AddResidue(r, serial, "SER", 1, 'B', 0, 20);
    AddResidue(r, serial, "SER", 1, 'B', 1, 20); // same chain id and place, next model: new chain
    const Molecule mol = Built(FileOf(r));

    ASSERT_EQ(mol.AtomCount(), 20);
    ASSERT_EQ(mol.chains.size(), 3u);
    EXPECT_EQ(mol.chains[0].id, 'A');
    ASSERT_EQ(mol.chains[0].residues.size(), 2u);
    const Residue& gly = mol.chains[0].residues[1];
    EXPECT_EQ(gly.type, kGly);
    EXPECT_EQ(gly.number, 2);
    EXPECT_EQ(gly.caIndex, 5);
    EXPECT_EQ(gly.orientIndex, 7);
    EXPECT_EQ(gly.atoms.Count(), 4);
    EXPECT_EQ(mol.chains[2].model, 1);
    EXPECT_EQ(mol.chains[2].id, 'B');
    EXPECT_TRUE(mol.atoms[11].hetero);
    EXPECT_EQ(mol.atoms[1].element, kCarbon);
    EXPECT_EQ(mol.atoms[3].element, kOxygen);
    // Never across models: three per residue, C-N from residue 1 to 2, N-CA and CA-OXT of 3.
    EXPECT_EQ(mol.bonds.size(), 3u + 3u + 1u + 2u + 3u + 3u);
    for (const Bond& b : mol.bonds) {
        EXPECT_LT(b.first, b.second);
        EXPECT_EQ(mol.atoms[b.first].model, mol.atoms[b.second].model);
    }
}

// The sugar atoms carry their prime the old way ("C3*") or today's ("C3'"); DNA residues are
// named DA ... DT today.
TEST(BuildMolecule, NucleotidesUseStarredOrPrimedSugarAtoms) {
    const Molecule mol = Built(FileOf({
        Rec(1, "P", "G", 1, 'A', 0),
        Rec(2, "C5*", "G", 1, 'A', 1.5f),
        Rec(3, "C3*", "G", 1, 'A', 3.0f),
        Rec(4, "CA", "G", 1, 'A', 20.0f), // not an alpha carbon in a nucleotide
        Rec(5, "C5'", "DC", 2, 'A', 40.0f),
        Rec(6, "C3'", "DC", 2, 'A', 41.5f),
        Rec(7, "C3'", "ALA", 3, 'A', 60.0f), // no alpha carbon for an amino acid
        Rec(8, "O", "ALA", 3, 'A', 61.5f),
        Rec(9, "C3''", "DT", 4, 'A', 80.0f), // a hydrogen-like name, not the sugar carbon
        Rec(10, "C5'", "DT", 4, 'A', 81.5f),
    }));
    ASSERT_EQ(mol.chains.size(), 1u);
    ASSERT_EQ(mol.chains[0].residues.size(), 2u);
    const Residue& g = mol.chains[0].residues[0];
    EXPECT_EQ(g.type, kNucleotideG);
    EXPECT_EQ(g.caIndex, 2);
    EXPECT_EQ(g.orientIndex, 1);
    const Residue& c = mol.chains[0].residues[1];
    EXPECT_EQ(c.type, kNucleotideC);
    EXPECT_EQ(c.caIndex, 5);
    EXPECT_EQ(c.orientIndex, 4);
}

TEST(BuildMolecule, EqualModelsBecomeFramesAndUnevenOnesWarn) {
    std::vector<PdbRecord> r;
    for (int model = 1; model <= 3; ++model) {
        int serial = 1;
        AddResidue(r, serial, "ALA", 1, 'A', model);
        r.back().z += 0.1f * static_cast<float>(model); // the frames differ in one coordinate
    }
    RecordingHost host;
    const Molecule mol = Built(FileOf(r), true, true, &host);
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(mol.AtomCount(), 4);
    ASSERT_EQ(mol.frameCount, 2);
    ASSERT_EQ(mol.frames.Count(), 2);
    EXPECT_EQ(mol.frames[0].size(), 12u);
    EXPECT_FLOAT_EQ(mol.frames[1][3 * 3 + 2], 0.3f);
    EXPECT_EQ(mol.bonds.size(), 3u); // only the first model's

    r.push_back(Rec(5, "C", "ALA", 1, 'A', 30, 0, 0, 3)); // the last model has one atom more
    const Molecule uneven = Built(FileOf(r), true, true, &host);
    EXPECT_EQ(uneven.AtomCount(), 13); // every record read as an atom
    EXPECT_EQ(uneven.frameCount, 0);
    EXPECT_EQ(uneven.frames.Count(), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{
                                 "All models in PDB file must contain the same number of atoms"});
}

// Without computed bonds only the CONECT lists bond, and an oxygen left without a bond is a water
// not named as one.
TEST(BuildMolecule, ConectBondsLoneOxygensMonitorsAndRanges) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    r.push_back(Rec(serial++, "OW", "WAT", 2, 'A', 30, 30, 30));
    r[0].tempFactor = -30.0f;
    r[1].tempFactor = 12.0f;
    PdbFile pdb = FileOf(r);
    pdb.conects.resize(2);
    pdb.conectCount = 2;
    pdb.conects[0].owner = 1;
    pdb.conects[0].bonded.Append(4);
    pdb.conects[0].bonded.Append(77); // no such atom
    pdb.conects[1].owner = 4;
    pdb.conects[1].bonded.Append(1);
    pdb.monitors.push_back(PdbMonitor{1, 1, 5, 255, 0, 0, 0, 4});
    pdb.monitors.push_back(PdbMonitor{2, 1, 99, 0, 255, 0, 0, 98}); // atom beyond the molecule
    const Molecule mol = Built(pdb, false, false);
    ASSERT_EQ(mol.bonds.size(), 1u);
    EXPECT_EQ(std::make_pair(mol.bonds[0].first, mol.bonds[0].second), std::make_pair(0, 3));
    EXPECT_EQ(mol.bonded[0].ToVector(), std::vector<int>{3});
    EXPECT_EQ(mol.bonded[3].ToVector(), std::vector<int>{0});
    EXPECT_FALSE(mol.atoms[3].hetero);
    EXPECT_TRUE(mol.atoms[4].hetero);
    ASSERT_EQ(mol.monitors.Count(), 1);
    EXPECT_EQ(mol.monitors[0].atomB, 4);
    EXPECT_EQ(mol.monitors[0].color, (Rgba{255, 0, 0, 255}));
    EXPECT_FLOAT_EQ(mol.tempMax, 30.0f); // magnitudes
    EXPECT_FLOAT_EQ(mol.tempMin, 0.0f);
}

// A CONECT serial held by two atoms names the first in file order, whatever files were read before
// (a lookup once steered by where earlier files kept their serials found the later one).
TEST(BuildMolecule, DuplicateSerialsNameTheFirstWhateverWasReadBefore) {
    PdbFile shifted = FileOf({Rec(3, "C", "ALA", 1, 'A', 0), Rec(9, "C", "ALA", 1, 'A', 9)});
    shifted.conects.resize(1);
    shifted.conects[0].owner = 3;
    shifted.conects[0].bonded.Append(9);
    std::vector<PdbRecord> r;
    for (int i = 0; i < 30; ++i)
        r.push_back(Rec(i == 0 || i == 28 ? 25 : 100 + i, "C", "ALA", 1, 'A', float(3 * i)));
    PdbFile duplicates = FileOf(r);
    duplicates.conects.resize(1);
    duplicates.conects[0].owner = 25;
    duplicates.conects[0].bonded.Append(101);
    for (bool shiftedFirst : {false, true}) {
        if (shiftedFirst) {
            ASSERT_EQ(Built(shifted, false, false).bonds.size(), 1u);
        }
        const Molecule mol = Built(duplicates, false, false);
        ASSERT_EQ(mol.bonds.size(), 1u);
        EXPECT_EQ(std::make_pair(mol.bonds[0].first, mol.bonds[0].second), std::make_pair(0, 1));
    }
}

} // namespace

} // namespace vorn
