// The document's load pipeline on real files and its failures.
#include "document/VornDoc.h"

#include "RaisedError.h"
#include "ScratchFiles.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "document/Trajectory.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

struct RecordingHost : UiHost {
    void SetStatusText(const std::string& text) override { status.push_back(text); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> status, messages;
};

std::string ReadError(const std::string& file, int type) {
    Molecule mol;
    return ErrorOf([&] { CVornDoc().ReadByType(mol, file, false, true, type); });
}

TEST(VornDoc, ChoosesTheReaderByNameAndContentAndRefusesUnsupportedTypes) {
    EXPECT_EQ(ReadError("x.xyz", kFileXyz), "XYZ files aren't supported yet!");
    EXPECT_EQ(ReadError("x.CRD", kFileByExtension), "CRD files aren't supported yet!");
    EXPECT_EQ(ReadError("x.dcd", kFileDcd), "Unknown file type!");
    EXPECT_EQ(ReadError("x.pdb.gz", kFileByExtension), "Unknown file type!");
    EXPECT_EQ(CVornDoc::FileTypeOfName("dir.v2/a.Dcd"), kFileDcd);
    EXPECT_EQ(CVornDoc::FileTypeOfName("noextension"), kFileUnknown);
    // mmCIF by name, by content under any name, and through every way a file is read.
    for (const char* name : {"a.cif", "A.CIF", "a.mmcif", "a.cif.gz", "a.MMCIF.GZ"})
        EXPECT_EQ(CVornDoc::FileTypeOfName(name), kFileMmcif) << name;
    EXPECT_EQ(CVornDoc::FileTypeOfName("a.ciff"), kFileUnknown);
    const std::string renamed = ScratchPath("entry.pdb");
    std::filesystem::copy_file(kData + "/1A8O.cif", renamed,
                               std::filesystem::copy_options::overwrite_existing);
    for (int type : {kFilePdb, kFileMmcif, kFileByExtension}) {
        Molecule mol;
        CVornDoc().ReadByType(mol, type == kFileMmcif ? kData + "/1A8O.cif" : renamed, false, true,
                              type);
        EXPECT_EQ(mol.AtomCount(), 644) << type;
    }
    RecordingHost host;
    CVornDoc doc(&host);
    ASSERT_TRUE(doc.ReadCoordinateFile(renamed));
    EXPECT_EQ(host.status.front(), "Reading mmCIF file ...");
    EXPECT_EQ(ReadError(kData + "/1crn.pdb", kFileMmcif),
              "Error parsing file! Line 1: expected block header (data_)");
    std::remove(renamed.c_str());
}

// Bonds as pairs of atom indices, in order.
std::vector<std::pair<int, int>> BondPairs(const Molecule& mol) {
    std::vector<std::pair<int, int>> pairs;
    for (const Bond& b : mol.bonds)
        pairs.emplace_back(b.first, b.second);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// 2BEG's PDB file holds the first of the mmCIF's ten models: read with -multi, the mmCIF gives
// the same atoms, bonds, chains, residues and structure, and nine frames.
TEST(VornDoc, ReadsTheSameEntryFromPdbAndMmcif) {
    CVornDoc pdbDoc, cifDoc;
    cifDoc.multiModelTraj = true;
    ASSERT_TRUE(pdbDoc.ReadCoordinateFile(kData + "/2BEG.pdb"));
    ASSERT_TRUE(cifDoc.ReadCoordinateFile(kData + "/2BEG.cif.gz"));
    const Molecule &pdb = *pdbDoc.primary, &cif = *cifDoc.primary;
    ASSERT_EQ(cif.AtomCount(), pdb.AtomCount());
    EXPECT_EQ(cif.frames.Count(), 9);
    for (int i = 0; i < pdb.AtomCount(); ++i)
        EXPECT_EQ(std::string(cif.atoms[i].name) + " " + std::to_string(cif.atoms[i].x),
                  std::string(pdb.atoms[i].name) + " " + std::to_string(pdb.atoms[i].x));
    EXPECT_EQ(BondPairs(cif), BondPairs(pdb));
    ASSERT_EQ(cif.chains.size(), 5u);
    ASSERT_EQ(cif.chains.size(), pdb.chains.size());
    for (std::size_t c = 0; c < pdb.chains.size(); ++c) {
        ASSERT_EQ(cif.chains[c].residues.size(), pdb.chains[c].residues.size());
        for (std::size_t r = 0; r < pdb.chains[c].residues.size(); ++r) {
            const Residue &a = pdb.chains[c].residues[r], &b = cif.chains[c].residues[r];
            EXPECT_EQ((std::vector<int>{b.type, b.number, b.caIndex, b.structure}),
                      (std::vector<int>{a.type, a.number, a.caIndex, a.structure}));
        }
    }
    // 1A8O: the same bonds, whether its selenomethionines are hetero (PDB) or not (mmCIF).
    ASSERT_TRUE(pdbDoc.ReadCoordinateFile(kData + "/1A8O.pdb"));
    ASSERT_TRUE(cifDoc.ReadCoordinateFile(kData + "/1A8O.cif"));
    EXPECT_EQ(BondPairs(*cifDoc.primary), BondPairs(*pdbDoc.primary));
}

TEST(VornDoc, ReadsRealProteinsThroughTheWholePipeline) {
    RecordingHost host;
    CVornDoc doc(&host);
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    const Molecule& mol = *doc.primary; // its counts are pinned by the command line's reports
    EXPECT_EQ(host.status,
              (std::vector<std::string>{"Reading pdb file ...", "Processing data ...",
                                        "Assigning secondary structure ...", "Ready"}));
    EXPECT_EQ(mol.atoms[0].color, (Rgba{143, 143, 255, 255})); // N of Thr 1
    EXPECT_FLOAT_EQ(mol.atoms[0].mass, 14.0067f);
    EXPECT_FLOAT_EQ(mol.atoms[0].radius, 1.527f);
    int ss = 0, cbsg = 0; // the three disulfides survive beside each cysteine's CB-SG bond
    for (const Bond& b : mol.bonds) {
        const std::string pair = std::string(mol.atoms[b.first].name) + mol.atoms[b.second].name;
        ss += pair == "SGSG";
        cbsg += pair == "CBSG" || pair == "SGCB";
    }
    EXPECT_EQ(ss, 3);
    EXPECT_EQ(cbsg, 6);

    // A file without atoms is a failure and a missing one raises; neither leaves anything behind.
    const std::string empty = ScratchPath("empty.pdb");
    std::ofstream(empty) << "REMARK nothing here\nEND\n";
    EXPECT_FALSE(doc.ReadCoordinateFile(empty));
    std::remove(empty.c_str());
    EXPECT_THROW(doc.ReadCoordinateFile(kData + "/no_such_file.pdb"), VornError);
    EXPECT_EQ(doc.molecules.Count(), 1);
    EXPECT_EQ(doc.primary, &mol);
    EXPECT_TRUE(mol.active);

    doc.secondaryStructOnRead = false; // a second read becomes the primary and only active one
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1a28.pdb.gz"));
    ASSERT_EQ(doc.molecules.Count(), 2);
    EXPECT_EQ(doc.primary, doc.molecules[1].get());
    EXPECT_FALSE(doc.molecules[0]->active);
    EXPECT_TRUE(doc.molecules[1]->active);
    EXPECT_EQ(doc.primary->chains[0].residues[0].structure, kNotAssigned);
}

// Three molecules with 0, 2 and 4 frames read from a hand-made structure.
CVornDoc& DocWithFrames(CVornDoc& doc) {
    doc.secondaryStructOnRead = false;
    for (int frames : {0, 2, 4}) {
        EXPECT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
        for (int f = 0; f < frames; ++f)
            doc.primary->frames.Append(std::vector<float>(3 * 327, 0.0f));
    }
    return doc;
}

TEST(VornDoc, PlaybackWrapsEachMoleculeByItsOwnLengthAndTheListKeepsTheModulus) {
    CVornDoc doc;
    DocWithFrames(doc).ResetPlayback();
    EXPECT_EQ(doc.FrameModulus(), 5);
    std::vector<int> shown;
    for (int step = 0; step < 6; ++step) {
        doc.StepForward();
        shown.push_back(doc.MoleculeAt(1).currentFrame * 10 + doc.MoleculeAt(2).currentFrame);
    }
    EXPECT_EQ(shown, (std::vector<int>{11, 22, 3, 14, 0, 11}));
    EXPECT_EQ(doc.MoleculeAt(0).currentFrame, 0); // no frames: always its own coordinates
    doc.SetFrame(0);
    doc.StepBackward();
    EXPECT_EQ(doc.FrameIndex(), 4);
    doc.SetFrame(-1);
    EXPECT_EQ(doc.FrameIndex(), 4);

    // Operations on the list of molecules.
    Molecule& copy = doc.DuplicateMolecule(1);
    ASSERT_EQ(doc.MoleculeCount(), 4);
    EXPECT_EQ(copy.frames.Count(), 2);
    EXPECT_EQ(copy.bonds.size(), doc.MoleculeAt(1).bonds.size());
    copy.atoms[0].x += 1; // a deep copy: the original keeps its coordinates
    EXPECT_NE(copy.atoms[0].x, doc.MoleculeAt(1).atoms[0].x);
    EXPECT_FALSE(copy.active);

    doc.MakePrimary(0);
    EXPECT_EQ(doc.primary, &doc.MoleculeAt(0));
    EXPECT_FALSE(doc.MoleculeAt(2).active);
    doc.ToggleSelection(0); // the primary molecule stays active
    doc.ToggleSelection(3);
    EXPECT_TRUE(doc.MoleculeAt(0).active);
    EXPECT_TRUE(doc.MoleculeAt(3).active);
    doc.ToggleFixed(3);
    EXPECT_FALSE(doc.MoleculeAt(3).motion.moving);

    doc.DeleteMolecule(0); // the primary goes: the last one takes its place
    EXPECT_EQ(doc.IndexOf(doc.primary), 2);
    EXPECT_EQ(doc.FrameModulus(), 5);
}

TEST(VornDoc, ReadsCoordinatesAndTrajectoryOrSaysWhyNot) {
    RecordingHost host;
    CVornDoc doc(&host);
    const std::string pdb = kData + "/adk_closed.pdb", dcd = kData + "/dcd/adk_2frames.dcd";
    EXPECT_FALSE(doc.ReadCoordinatesAndTrajectory("", kFilePdb, dcd, 3, 0));
    EXPECT_FALSE(doc.ReadCoordinatesAndTrajectory(pdb, kFilePdb, "", 3, 0));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Please enter a coordinate file name",
                                                       "Please enter a trajectory file name"}));
    EXPECT_EQ(doc.MoleculeCount(), 0);

    // Cancelled after one frame: the structure stays, without any frame of the trajectory.
    auto cancel = [](Molecule& mol, const std::string& file, int type, int first, int) {
        const std::atomic<bool> keepGoing{true};
        ReadTrajectoryFrames(mol, file, type, first, first + 1, keepGoing, {});
        return false;
    };
    EXPECT_EQ(ErrorOf([&] { doc.ReadCoordinatesAndTrajectory(pdb, kFilePdb, dcd, 3, 0, cancel); }),
              "Trajectory read has been cancelled");
    ASSERT_EQ(doc.MoleculeCount(), 1);
    EXPECT_EQ(doc.primary->frames.Count(), 0);
    EXPECT_EQ(doc.primary->frameCount, 0);
    doc.DeleteMolecule(0);

    ASSERT_TRUE(doc.ReadCoordinatesAndTrajectory(pdb, kFilePdb, dcd, 3, 2));
    EXPECT_EQ(doc.title, pdb + "+" + dcd);
    EXPECT_EQ(doc.primary->frames.Count(), 2);
    EXPECT_EQ(doc.FrameModulus(), 3);
    EXPECT_EQ(doc.primary->chains[0].residues[0].structure, kCoil); // structure was assigned
    EXPECT_THROW(doc.ReadCoordinatesAndTrajectory(pdb, kFileXyz, dcd, 3, 0), VornError);
}

// A trajectory read that fails or is cancelled leaves the frames the molecule had (here the models
// of an NMR ensemble read as frames).
TEST(VornDoc, AFailedOrCancelledTrajectoryReadKeepsTheFramesBefore) {
    CVornDoc doc;
    doc.multiModelTraj = true;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/2eqq.pdb"));
    Molecule& mol = *doc.primary;
    ASSERT_EQ(mol.frames.Count(), 19);
    const float firstX = mol.frames[0][0];
    EXPECT_THROW(doc.ReadTrajectory(kData + "/dcd/adk_2frames.dcd", kTrajectoryDcd, 0, "stop"),
                 VornError); // 3341 atoms in the file, 423 in the molecule
    auto cancel = [](Molecule&, const std::string&, int, int, int) { return false; };
    EXPECT_THROW(
        doc.ReadTrajectory(kData + "/dcd/adk_2frames.dcd", kTrajectoryDcd, 0, "stop", cancel),
        VornError);
    EXPECT_EQ(mol.frames.Count(), 19);
    EXPECT_EQ(mol.frameCount, 19);
    EXPECT_EQ(mol.frames[0][0], firstX);
    EXPECT_EQ(doc.FrameModulus(), 20);
}

TEST(VornDoc, KeepsHydrogenBondsAndMeasuresInStepWithItsMolecules) {
    CVornDoc doc;
    doc.secondaryStructOnRead = false;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    doc.FindHydrogenBonds(); // two copies on each other also bond between them
    const size_t stacked = doc.hydrogenBonds.size();
    doc.MoleculeAt(1).motion.translation[0] = 100; // far apart: only bonds within each copy
    doc.FindHydrogenBonds();
    EXPECT_EQ(doc.hydrogenBonds.size(), 2 * 22u); // crambin has 22 (vorn-cli hbonds)
    EXPECT_GT(stacked, doc.hydrogenBonds.size());

    EXPECT_TRUE(doc.measures.TogglePick(0, &doc.MoleculeAt(0), 0));
    EXPECT_TRUE(doc.measures.TogglePick(0, &doc.MoleculeAt(1), 1));
    doc.DeleteMolecule(1);
    EXPECT_EQ(doc.measures.Count(), 1);
}

} // namespace

} // namespace vorn
