// Saving molecules: records in their displayed position, temperature factors, several molecules
// in one file replaced only by a complete write, and trajectory export.
#include "model/MoleculeWriter.h"

#include "RaisedError.h"
#include "WrittenFiles.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "io/PdbWriter.h"
#include "model/Molecule.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vorn {

namespace fs = std::filesystem;

namespace {

struct RecordingUi : UiHost {
    Lines messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// Atoms "CA GLY A" in a row along x, serials and residue numbers from 1; the first two bonded.
Molecule Row(int count, const char* fileName) {
    Molecule mol;
    mol.fileName = fileName;
    for (int i = 0; i < count; ++i) {
        Atom& a = mol.atoms.emplace_back();
        std::strcpy(a.name, "CA"), std::strcpy(a.resName, "GLY");
        a.serial = a.resSeq = i + 1, a.x = float(i), a.chain = 'A';
    }
    mol.bonds.push_back(Bond{0, 1});
    return mol;
}

using MoleculeWriter = WrittenFilesTest;

TEST_F(MoleculeWriter, RecordsOfAMolecule) {
    std::FILE* full = std::fopen("/dev/full", "w");
    EXPECT_EQ(ErrorOf([&] { SavePdbMolecule(Row(3, "row.pdb"), full, 3, true, false, 0); }),
              "Error saving pdb file, row.pdb");
    std::fclose(full);

    // Temperature factors limited to 99.9 or normalised over the molecule's range.
    Molecule mol = Row(3, "t.pdb");
    mol.atoms[0].tempFactor = mol.tempMax = 150;
    mol.atoms[1].tempFactor = 20;
    mol.atoms[2].tempFactor = mol.tempMin = 5;
    auto columns = [&](bool normalise) {
        std::string out;
        for (const std::string& line :
             LinesStartingWith(WrittenText(MoleculeRecords(mol, normalise, 0), 3, false), "ATOM"))
            out += line.substr(60);
        return out;
    };
    EXPECT_EQ(columns(false), " 99.90 20.00  5.00");
    EXPECT_EQ(columns(true), " 99.81 10.33  0.01");
    mol.tempMin = mol.tempMax = 30; // an empty range
    EXPECT_EQ(columns(true), " 99.81 99.81 99.81");

    mol.atoms[2].y = 2;
    mol.motion.translation[0] = 0.5f;
    mol.motion.rotation = {0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}; // quarter turn, x onto -y
    mol.atoms[1].serial = INT_MAX - 1;
    EXPECT_EQ(MoleculeRecords(mol, false, 5).records[1].serial, INT_MAX);
    const PdbRecord r = MoleculeRecords(mol, false, 0).records[2];
    EXPECT_NEAR(r.x, 2.0f, 1e-6);
    EXPECT_NEAR(r.y, -2.5f, 1e-6);
}

// A write failing part of the way, and reading back, are checked by tests/cli/roundtrip.sh.
TEST_F(MoleculeWriter, SaveCoordinatesReplacesOnlyWhenComplete) {
    EXPECT_EQ(SaveCoordinatesName("x.pdb.bak") + SaveCoordinatesName("X.PDB"), "x.pdb.bakX.PDB");
    const Molecule mol = Row(3, "row.pdb");
    const std::string name = Path("m.pdb");
    std::ofstream(name) << "old";
    auto save = [&](const std::string& file, int type) {
        return ErrorOf([&] { SaveCoordinates({&mol, &mol}, file, type, 3, true, false); });
    };
    EXPECT_EQ(save(name, 1), "XYZ files aren't supported yet!");
    EXPECT_EQ(save(name, 2), "CRD files aren't supported yet!");
    EXPECT_EQ(save(name, 7), "Unknown file type!");
    EXPECT_EQ(save(Path("no/m.pdb"), 0), "Unable to open file for saving");
    EXPECT_EQ(ReadText(name), "old");
    fs::create_directory(Path("sub.pdb")); // the rename over a directory fails
    EXPECT_EQ(save(Path("sub.pdb"), 0), "Error saving pdb file, " + Path("sub.pdb"));
    EXPECT_EQ(Entries(), 2u); // no temporaries left

    // The second molecule's serials follow the first's count + 1; the file keeps its permissions.
    fs::permissions(name, fs::perms(0640));
    EXPECT_EQ(save(Path("m"), 0), "no error");
    EXPECT_EQ(fs::status(name).permissions(), fs::perms(0640));
    const std::string text = ReadText(name);
    EXPECT_EQ(LinesStartingWith(text, "TER"),
              (Lines{"TER       4      GLY A   3", "TER       8      GLY A   3"}));
    EXPECT_EQ(LinesStartingWith(text, "CONECT")[3], "CONECT    5    6");
}

TEST_F(MoleculeWriter, ExportTrajectory) {
    Molecule mol = Row(2, "traj.pdb");
    RecordingUi ui;
    EXPECT_FALSE(ExportTrajectory(mol, Path("t.pdb"), 1, 1, &ui));
    for (int f = 0; f < 5; ++f)
        mol.frames.Append({float(f), 0, 0, float(f), 1, 0});
    mol.frameCount = 5;
    for (const auto& [start, stop] : {std::pair{0, 2}, {3, 2}, {1, 6}})
        EXPECT_FALSE(ExportTrajectory(mol, Path("t.pdb"), start, stop, &ui)) << start << stop;
    mol.atoms[1].model = 2;
    EXPECT_FALSE(ExportTrajectory(mol, Path("t.pdb"), 1, 5, &ui));
    mol.atoms[1].model = 1;
    fs::create_directory(Path("sub.pdb"));
    EXPECT_FALSE(ExportTrajectory(mol, Path("sub.pdb"), 1, 5, &ui));
    EXPECT_EQ(ui.messages, (Lines{"Cannot export a zero length trajectory", "Invalid starting step",
                                  "Invalid starting step", "Invalid stopping step",
                                  "Unable to export a trajectory for a multi-model data set.",
                                  "Unable to save " + Path("sub.pdb")}));
    EXPECT_EQ(Entries(), 1u);
    EXPECT_EQ(ErrorOf([&] { ExportTrajectory(mol, Path("no/t.pdb"), 1, 5, &ui); }),
              "Can't open file");

    mol.motion.rotation = {0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}; // frames are not turned
    ASSERT_TRUE(ExportTrajectory(mol, Path("t.pdb"), 2, 4, nullptr));
    const std::string text = ReadText(Path("t.pdb"));
    EXPECT_EQ(LinesStartingWith(text, "MODEL"), (Lines{"MODEL    1", "MODEL    2", "MODEL    3"}));
    EXPECT_EQ(LinesStartingWith(text, "ATOM")[0],
              "ATOM      1  CA  GLY A   1       1.000   0.000   0.000  0.00  0.00");
    const std::string tail = "ATOM      2  CA  GLY A   2       3.000   1.000   0.000  0.67  0.00\n"
                             "TER       3      GLY A   2\nENDMDL\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail); // no CONECT
    EXPECT_EQ(LinesStartingWith(text, "ATOM").size() + LinesStartingWith(text, "TER").size(), 7u);
}

} // namespace

} // namespace vorn
