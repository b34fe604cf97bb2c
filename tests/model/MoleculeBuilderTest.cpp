// Building molecules from record sets: models, chains, residues, bonds, lone oxygens, monitors.
#include "model/MoleculeBuilder.h"

#include "io/PdbFile.h"
#include "model/Molecule.h"
#include "model/UiHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class RecordingHost : public UiHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

PdbRecord Rec(int serial, const char* name, const char* res, int resSeq, char chain, float x,
              float y = 0, float z = 0, int model = 0) {
    PdbRecord r;
    std::strcpy(r.record, "ATOM");
    r.serial = serial;
    std::strcpy(r.atomName, name);
    std::strcpy(r.resName, res);
    r.resSeq = resSeq;
    r.chain = chain;
    r.x = x;
    r.y = y;
    r.z = z;
    r.model = model;
    return r;
}

PdbFile FileOf(std::vector<PdbRecord> records) {
    PdbFile pdb;
    pdb.records = std::move(records);
    pdb.atomCount = static_cast<int>(pdb.records.size());
    return pdb;
}

// A backbone residue N CA C O along x, 3.8 Å per residue, bonded in a chain.
void AddResidue(std::vector<PdbRecord>& out, int& serial, const char* res, int resSeq, char chain,
                int model = 0) {
    const float x0 = 3.8f * static_cast<float>(resSeq);
    out.push_back(Rec(serial++, "N", res, resSeq, chain, x0, 0, 0, model));
    out.push_back(Rec(serial++, "CA", res, resSeq, chain, x0 + 1.45f, 0, 0, model));
    out.push_back(Rec(serial++, "C", res, resSeq, chain, x0 + 2.45f, 0.5f, 0, model));
    out.push_back(Rec(serial++, "O", res, resSeq, chain, x0 + 2.45f, 1.7f, 0, model));
}

TEST(BuildMolecule, ChainsAndResiduesFollowChainIdModelAndResidueNumber) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    AddResidue(r, serial, "GLY", 2, 'A');
    PdbRecord water = Rec(serial++, "O", "HOH", 100, 'A', 50, 50, 50);
    water.hetero = 1;
    r.push_back(water);
    AddResidue(r, serial, "SER", 1, 'B');
    AddResidue(r, serial, "SER", 1, 'B', /*model=*/1); // same chain id, next model: new chain
    for (size_t i = 9; i < r.size(); ++i)
        r[i].z = 20.0f; // away from chain A
    PdbFile pdb = FileOf(r);
    Molecule mol;
    BuildMolecule(mol, pdb, false, true, nullptr);

    ASSERT_EQ(mol.AtomCount(), 17);
    ASSERT_EQ(mol.chains.size(), 3u);
    EXPECT_EQ(mol.chains[0].id, 'A');
    EXPECT_EQ(mol.chains[0].residues.size(), 2u);
    EXPECT_EQ(mol.chains[0].residues[1].type, kGly);
    EXPECT_EQ(mol.chains[0].residues[1].number, 2);
    EXPECT_EQ(mol.chains[0].residues[1].caIndex, 5);
    EXPECT_EQ(mol.chains[0].residues[1].orientIndex, 7);
    EXPECT_EQ(mol.chains[0].residues[1].atoms.Count(), 4);
    EXPECT_EQ(mol.chains[2].model, 1);
    EXPECT_EQ(mol.chains[2].id, 'B');
    EXPECT_TRUE(mol.atoms[8].hetero);
    EXPECT_EQ(mol.atoms[1].element, kCarbon);
    EXPECT_EQ(mol.atoms[3].element, kOxygen);
    // Bonds never cross models; each residue has N-CA, CA-C, C=O, and C-N links residue 1 to 2.
    EXPECT_EQ(mol.bonds.size(), 3u + 3u + 1u + 3u + 3u);
    for (const Bond& b : mol.bonds) {
        EXPECT_LT(b.first, b.second);
        EXPECT_EQ(mol.atoms[b.first].model, mol.atoms[b.second].model);
    }
}

TEST(BuildMolecule, ResiduesWithoutAlphaCarbonOrOxygenAreDroppedButAtomsStay) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    r.push_back(Rec(serial++, "N", "GLY", 2, 'A', 7.6f));
    r.push_back(Rec(serial++, "CA", "GLY", 2, 'A', 9.05f));
    r.push_back(Rec(serial++, "OXT", "GLY", 2, 'A', 10.0f, 1.0f)); // no atom named exactly "O"
    PdbFile pdb = FileOf(r);
    Molecule mol;
    BuildMolecule(mol, pdb, false, true, nullptr);
    EXPECT_EQ(mol.AtomCount(), 7);
    ASSERT_EQ(mol.chains.size(), 1u);
    EXPECT_EQ(mol.chains[0].residues.size(), 1u);
    EXPECT_EQ(mol.chains[0].residues[0].number, 1);
}

TEST(BuildMolecule, NucleotidesUseStarredSugarAtoms) {
    std::vector<PdbRecord> r;
    r.push_back(Rec(1, "P", "G", 1, 'A', 0));
    r.push_back(Rec(2, "C5*", "G", 1, 'A', 1.5f));
    r.push_back(Rec(3, "C3*", "G", 1, 'A', 3.0f));
    r.push_back(Rec(4, "CA", "G", 1, 'A', 20.0f)); // not an alpha carbon in a nucleotide
    r.push_back(Rec(5, "C5'", "C", 2, 'A', 40.0f)); // primed names do not count
    r.push_back(Rec(6, "C3'", "C", 2, 'A', 41.5f));
    PdbFile pdb = FileOf(r);
    Molecule mol;
    BuildMolecule(mol, pdb, false, true, nullptr);
    ASSERT_EQ(mol.chains.size(), 1u);
    ASSERT_EQ(mol.chains[0].residues.size(), 1u);
    EXPECT_EQ(mol.chains[0].residues[0].type, kNucleotideG);
    EXPECT_EQ(mol.chains[0].residues[0].caIndex, 2);
    EXPECT_EQ(mol.chains[0].residues[0].orientIndex, 1);
}

TEST(BuildMolecule, UnevenModelsWarnAndReadEveryRecordAsAnAtom) {
    std::vector<PdbRecord> r;
    for (int i = 0; i < 10; ++i)
        r.push_back(Rec(i + 1, "C", "ALA", 1, 'A', 10.0f * static_cast<float>(i), 0, 0, 1));
    for (int i = 0; i < 11; ++i)
        r.push_back(Rec(i + 1, "C", "ALA", 1, 'A', 10.0f * static_cast<float>(i), 0, 0, 2));
    PdbFile pdb = FileOf(r);
    Molecule mol;
    RecordingHost host;
    BuildMolecule(mol, pdb, true, true, &host);
    EXPECT_EQ(mol.AtomCount(), 21);
    EXPECT_EQ(mol.frameCount, 0);
    EXPECT_EQ(mol.frames.Count(), 0);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"All models in PDB file must contain the same number of atoms"});
}

TEST(BuildMolecule, EqualModelsBecomeFramesAndOnlyFirstModelBonds) {
    std::vector<PdbRecord> r;
    int serial = 1;
    for (int model = 1; model <= 3; ++model) {
        serial = 1;
        AddResidue(r, serial, "ALA", 1, 'A', model);
        r.back().z += 0.1f * static_cast<float>(model); // the frames differ in one coordinate
    }
    PdbFile pdb = FileOf(r);
    Molecule mol;
    RecordingHost host;
    BuildMolecule(mol, pdb, true, true, &host);
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(mol.AtomCount(), 4);
    ASSERT_EQ(mol.frameCount, 2);
    ASSERT_EQ(mol.frames.Count(), 2);
    EXPECT_EQ(mol.frames[0].size(), 12u);
    EXPECT_FLOAT_EQ(mol.frames[1][3 * 3 + 2], 0.3f);
    EXPECT_EQ(mol.bonds.size(), 3u);
}

TEST(BuildMolecule, LoneOxygensBecomeHeteroAndMonitorsAndRangesAreKept) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    r.push_back(Rec(serial++, "OW", "WAT", 2, 'A', 30, 30, 30)); // water not named as one
    r[0].tempFactor = -30.0f;
    r[1].tempFactor = 12.0f;
    PdbFile pdb = FileOf(r);
    pdb.monitors.push_back(PdbMonitor{1, 1, 5, 255, 0, 0, 0, 4});
    pdb.monitors.push_back(PdbMonitor{2, 1, 99, 0, 255, 0, 0, 98}); // atom beyond the molecule
    Molecule mol;
    BuildMolecule(mol, pdb, false, true, nullptr);
    EXPECT_TRUE(mol.atoms[4].hetero);
    EXPECT_FALSE(mol.atoms[3].hetero);
    ASSERT_EQ(mol.monitors.Count(), 1);
    EXPECT_EQ(mol.monitors[0].atomB, 4);
    EXPECT_EQ(mol.monitors[0].color, (Rgba{255, 0, 0, 255}));
    EXPECT_FLOAT_EQ(mol.tempMax, 30.0f); // magnitudes
    EXPECT_FLOAT_EQ(mol.tempMin, 0.0f);
}

TEST(BuildMolecule, WithoutConnectOnlyConectListsBondAndUnknownSerialsAreIgnored) {
    std::vector<PdbRecord> r;
    int serial = 1;
    AddResidue(r, serial, "ALA", 1, 'A');
    PdbFile pdb = FileOf(r);
    pdb.conects.resize(2);
    pdb.conects[0].owner = 1;
    pdb.conects[0].bonded.Append(4);
    pdb.conects[0].bonded.Append(77); // no such atom
    pdb.conects[1].owner = 4;
    pdb.conects[1].bonded.Append(1);
    pdb.conectCount = 2;
    Molecule mol;
    BuildMolecule(mol, pdb, false, false, nullptr);
    ASSERT_EQ(mol.bonds.size(), 1u);
    EXPECT_EQ(mol.bonds[0].first, 0);
    EXPECT_EQ(mol.bonds[0].second, 3);
    EXPECT_EQ(mol.bonded[0].ToVector(), std::vector<int>{3});
    EXPECT_EQ(mol.bonded[3].ToVector(), std::vector<int>{0});
}

} // namespace
