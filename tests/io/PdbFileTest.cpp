// PDB reader: field repairs, chain renaming, models, CONECT, MONITOR and BBOX lines, real files.
#include "io/PdbFile.h"

#include "core/VornError.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Reads the text as a PDB file through a temporary file.
PdbFile ReadText(const std::string& text) {
    const fs::path path = fs::temp_directory_path() / "vorn_pdb_file_test.pdb";
    std::ofstream(path, std::ios::binary) << text;
    PdbFile pdb;
    EXPECT_TRUE(pdb.Read(path.string()));
    fs::remove(path);
    return pdb;
}

std::string Chains(const PdbFile& pdb) {
    std::string chains;
    for (const PdbRecord& r : pdb.records)
        chains += r.chain;
    return chains;
}

std::vector<int> Models(const PdbFile& pdb) {
    std::vector<int> models;
    for (const PdbRecord& r : pdb.records)
        models.push_back(r.model);
    return models;
}

// Record, atom, residue, [chain], residue number, x y z, occupancy, B-factor, hetero flag, model.
std::string Fields(const PdbRecord& r) {
    char text[200];
    std::snprintf(text, sizeof text, "%s %s %s [%c] %d %g %g %g %g %g %d %d", r.record, r.atomName,
                  r.resName, r.chain, r.resSeq, double(r.x), double(r.y), double(r.z),
                  double(r.occupancy), double(r.tempFactor), r.hetero, r.model);
    return text;
}

TEST(PdbFileTest, ReadsAndRepairsAtomLines) {
    const char* const cases[][2] = {
        {"ATOM 1 N ALA A 1 11.104 6.134 -6.504 1.00 0.00",
         "ATOM N ALA [A] 1 11.104 6.134 -6.504 1 0 0 0"},
        {"ATOM 1 n ala a 1 1 2 3 0.25", "ATOM N ALA [a] 1 1 2 3 0.25 0 0 0"},
        // Atom name run into the residue name; the name is kept as typed, 6 characters at most.
        {"ATOM 1 HD21ASN A 1 1 2 3", "ATOM HD21 ASN [A] 1 1 2 3 1 0 0 0"},
        {"ATOM 1 CA1ALA A 1 1 2 3", "ATOM CA1 ALA [A] 1 1 2 3 1 0 0 0"},
        {"ATOM 1 Hd2345xgly A 1 1 2 3", "ATOM Hd2345 GLY [A] 1 1 2 3 1 0 0 0"},
        // Chain and residue number: glued, absent, a digit, glued to a long residue name.
        {"ATOM 1 N ALA A1 1.5 2 3", "ATOM N ALA [A] 1 1.5 2 3 1 0 0 0"},
        {"ATOM 1 N ALA 17 1.5 2 3", "ATOM N ALA [ ] 17 1.5 2 3 1 0 0 0"},
        {"ATOM 1 N 12 1.5 2 3", "ATOM N UNK0 [ ] 12 1.5 2 3 1 0 0 0"},
        {"ATOM 1 N ALA 2 5 1.5 2 3", "ATOM N ALA [2] 5 1.5 2 3 1 0 0 0"},
        {"ATOM 1 OH2 TIP3W 5 1.5 2 3", "ATOM OH2 TIP3 [W] 5 1.5 2 3 1 0 1 0"},
        {"ATOM 1 N PRO H 52A 1 2 3", "ATOM N PRO [H] 52 1 2 3 1 0 0 0"},
        // Hetero atoms (an alternate-location mark is skipped) and waters.
        {"HETATM 7 O A HOH B 9 1 2 3", "HETATM O HOH [B] 9 1 2 3 1 0 1 0"},
        {"HETATM 7 C1 STR A 9 1 2 3", "HETATM C1 STR [A] 9 1 2 3 1 0 1 0"},
        {"HETATM12345  O   HOH W 901 1 2 3", "HETATM O HOH [W] 901 1 2 3 1 0 1 0"},
        {"ATOM 7 OH2 SOLV X 9 1 2 3", "ATOM OH2 SOLV [X] 9 1 2 3 1 0 1 0"},
        // Coordinates run together; four in one token set none.
        {"ATOM 1 N ALA A 1 -12.345-67.890 1.234", "ATOM N ALA [A] 1 -12.345 -67.89 1.234 1 0 0 0"},
        {"ATOM 1 N ALA A 1 5.5 -12.345-67.890 0.5 9.5",
         "ATOM N ALA [A] 1 5.5 -12.345 -67.89 0.5 9.5 0 0"},
        {"ATOM 1 N ALA A 1 1.234-5.678910.123 0.7",
         "ATOM N ALA [A] 1 1.234 -5.678 910.123 0.7 0 0 0"},
        {"ATOM 1 N ALA A 1 1.1.1.1.1 0.7", "ATOM N ALA [A] 1 0 0 0 0.7 0 0 0"},
    };
    for (const auto& c : cases) {
        PdbFile pdb = ReadText(std::string(c[0]) + "\n");
        ASSERT_EQ(pdb.atomCount, 1) << c[0];
        EXPECT_EQ(Fields(pdb.records[0]), c[1]) << c[0];
    }
    // A five-digit serial run into HETATM is still the serial; other glued record names are not
    // atom records.
    EXPECT_EQ(ReadText("HETATM12345  O   HOH W 901 1 2 3\n").records[0].serial, 12345);
    EXPECT_EQ(ReadText("HETATMX  O   HOH W 901 1 2 3\nATOMS 1 N ALA A 1 1 2 3\n").atomCount, 0);
}

TEST(PdbFileTest, RenamesChainsContinuedAfterTer) {
    PdbFile pdb = ReadText("ATOM 1 N ALA A 1 1 2 3\nTER\nATOM 2 N ALA A 2 1 2 3\n"
                           "ATOM 3 N ALA A 2 1 2 3\nATOM 4 N ALA C 2 1 2 3\n"
                           "ATOM 5 N ALA A 2 1 2 3\n");
    EXPECT_EQ(Chains(pdb), "ABBCA");
    // Each further segment gets an identifier of its own.
    pdb = ReadText("ATOM 1 N ALA 1 1.0 2 3\nTER\nATOM 2 N ALA 1 1.0 2 3\nTER\n"
                   "ATOM 3 N ALA 1 1.0 2 3\nATOM 4 N ALA 1 1.0 2 3\n");
    EXPECT_EQ(Chains(pdb), " ABB");
    // TER followed by another chain renames nothing, and is then used up.
    pdb = ReadText("ATOM 1 N ALA A 1 1 2 3\nTER\nATOM 2 N ALA B 1 1 2 3\n"
                   "ATOM 3 N ALA B 1 1 2 3\n");
    EXPECT_EQ(Chains(pdb), "ABB");
    // A new model ends the renaming: NMR ensembles close every model with TER.
    pdb = ReadText("ATOM 1 N ALA A 1 1 2 3\nTER\nMODEL 2\nATOM 1 N ALA A 1 1 2 3\n");
    EXPECT_EQ(Chains(pdb), "AA");
    const std::string from = "YZxy9870", to = "ABya1081";
    for (std::size_t i = 0; i < from.size(); ++i) {
        const std::string line = std::string("ATOM 1 N ALA ") + from[i] + " 1 1.0 2 3\n";
        EXPECT_EQ(Chains(ReadText(line + "TER\n" + line)).substr(1), to.substr(i, 1)) << from[i];
    }
}

TEST(PdbFileTest, NumbersModels) {
    PdbFile pdb = ReadText("ATOM 1 N ALA A 1 1 2 3\nMODEL 4\nATOM 1 N ALA A 1 1 2 3\n"
                           "ATOM 9 N ALA A 1 1 2 3 1 0\nATOM 2 N ALA B 1 1 2 3 1 0\n"
                           "ATOM 1 N ALA A 1 1 2 3\n");
    // Serial 2 restarts in another chain: a new model; serial 1 lacks B-factors: no change.
    EXPECT_EQ(Models(pdb), (std::vector<int>{0, 4, 4, 5, 5}));
    // Frames separated by TER alone: the renamed chain marks each restart as a new model.
    const std::string frame = "ATOM 1 N ALA A 1 1 2 3 1 0\nATOM 2 N ALA A 1 1 2 3 1 0\nTER\n";
    pdb = ReadText(frame + frame + frame);
    EXPECT_EQ(Models(pdb), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(Chains(pdb), "AABBCC");
}

TEST(PdbFileTest, ReadsConectLists) {
    PdbFile pdb = ReadText("CONECT 1 2 3\nCONECT 1 4\nCONECT 123456789 123456789 x 7\n"
                           "CONECT 2 1\nCONECT 5 5\n");
    ASSERT_EQ(pdb.conectCount, 4);
    EXPECT_EQ(pdb.conects[0].owner, 1);
    EXPECT_EQ(std::vector<int>(pdb.conects[0].bonded.begin(), pdb.conects[0].bonded.end()),
              (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(pdb.conects[1].owner, 123456789);
    EXPECT_EQ(std::vector<int>(pdb.conects[1].bonded.begin(), pdb.conects[1].bonded.end()),
              (std::vector<int>{56789, 1234}));
    EXPECT_EQ(pdb.bondCount, 5); // 1-2 twice, 1-3, 1-4, two from the long line; 5-5 is none
}

TEST(PdbFileTest, ReadsMonitorsAndBox) {
    PdbFile pdb = ReadText("ATOM 5 N ALA A 1 1 2 3\nATOM 8 N ALA A 1 1 2 3\n"
                           "ATOM 5 N ALA A 1 1 2 3\nMONITOR 1 8 5 255 0 0\n"
                           "MONITOR 1 5 8 256 0 0\nMONITOR 2 5 6 0 0 0\nMONITOR 3 5 8 0 0\n"
                           "REMARK MONITOR 1 5 8 0 0 0\nBBOX_R 1 2 3\nX BBOX_A -1.5 0 1e2\n"
                           "BBOX_B 4 5 6\n");
    ASSERT_EQ(pdb.monitorCount, 1);
    EXPECT_EQ(pdb.monitors[0].red, 255);
    EXPECT_EQ(pdb.monitors[0].indexA, 1);
    EXPECT_EQ(pdb.monitors[0].indexB, 0);
    EXPECT_FALSE(pdb.boxComplete);
    EXPECT_FLOAT_EQ(pdb.boxA[0], -1.5f);
    EXPECT_FLOAT_EQ(pdb.boxA[2], 100.0f);
    EXPECT_TRUE(ReadText("BBOX_R 1 2 3\nBBOX_A 1 2 3\nBBOX_B 1 2 3\nBBOX_C 1 2 3").boxComplete);
}

// The message a setter raises for the text, or "" when it accepts it.
std::string SetterError(void (PdbRecord::*set)(const char*), const char* text) {
    PdbRecord r;
    try {
        (r.*set)(text);
    } catch (const VornError& e) {
        return e.Message();
    }
    return "";
}

TEST(PdbFileTest, SettersCheckLengthAndMarkWater) {
    PdbRecord r;
    r.SetResName("hoh");
    EXPECT_STREQ(r.resName, "HOH");
    EXPECT_EQ(r.hetero, 1);
    r.SetResName("ALA");
    EXPECT_EQ(r.hetero, 0);
    EXPECT_EQ(SetterError(&PdbRecord::SetRecord, "HETATOM"), "");
    EXPECT_EQ(SetterError(&PdbRecord::SetRecord, "HETATOMS"),
              "SetRecord: Error in assigning PDB_RECORD_FIELD!");
    EXPECT_EQ(SetterError(&PdbRecord::SetAtomName, "ABCDEFG"), "");
    EXPECT_EQ(SetterError(&PdbRecord::SetAtomName, "ABCDEFGH"),
              "SetAtomName: Error in assigning PDB_NAME_FIELD");
    EXPECT_EQ(SetterError(&PdbRecord::SetResName, "ABCDE"), "");
    EXPECT_EQ(SetterError(&PdbRecord::SetResName, "ABCDEF"),
              "SetResName: Error in assigning PDB_RESIDUE_FIELD");
}

TEST(PdbFileTest, LooksUpSerialsAndMeasuresFields) {
    PdbFile pdb = ReadText("ATOM 1 N ALA A 1 1 2 3 0.5 -7\nATOM 2 N ALA A 1 1 2 3 -2 3\n"
                           "ATOM 40 N ALA A 1 1 2 3 1 0.25\nATOM 41 N ALA A 1 1 2 3 1 1\n");
    EXPECT_EQ(pdb.AtomIndexOfSerial(2), 1);
    EXPECT_EQ(pdb.AtomIndexOfSerial(40), 2);
    EXPECT_EQ(pdb.AtomIndexOfSerial(41), 3);
    EXPECT_EQ(pdb.AtomIndexOfSerial(3), -1);
    EXPECT_FLOAT_EQ(pdb.TempFactorMax(), 7.0f);
    EXPECT_FLOAT_EQ(pdb.TempFactorMin(), 0.25f);
    EXPECT_FLOAT_EQ(pdb.OccupancyMax(), 2.0f);
    EXPECT_FLOAT_EQ(pdb.OccupancyMin(), 0.5f);
    PdbFile empty;
    EXPECT_EQ(empty.TempFactorMax(), 0.0f);
    EXPECT_EQ(empty.OccupancyMin(), 0.0f);
}

TEST(PdbFileTest, CutsLongLinesAndKeepsLastLine) {
    const std::string longLine = "REMARK" + std::string(505, ' ') + "ATOM 1 N ALA A 1 1 2 3\n";
    PdbFile pdb = ReadText(longLine + "ATOM 2 N ALA A 1 1 2 3\nATOM 3 N ALA A 1 1 2 3");
    ASSERT_EQ(pdb.atomCount, 2);
    EXPECT_EQ(pdb.records[1].serial, 3);
}

// Atom counts and first records of real structures.
TEST(PdbFileTest, ReadsRealFiles) {
    struct Expected {
        const char* file;
        int atoms, conects, bonds;
    };
    // 1ehz continues five CONECT lists on a second line.
    for (Expected e : {Expected{"1crn.pdb", 327, 6, 3},
                       {"1ubq.pdb", 660, 0, 0},
                       {"1a28.pdb.gz", 4262, 46, 52},
                       {"2eqq.pdb", 8460, 2, 1},
                       {"1ehz.pdb", 1821, 388, 404},
                       {"adk_closed.pdb", 3341, 0, 0},
                       {"1a0q.pdb", 3301, 35, 29}}) {
        PdbFile pdb;
        EXPECT_TRUE(pdb.Read(std::string(VORN_TEST_DATA) + "/" + e.file));
        EXPECT_EQ(pdb.atomCount, e.atoms) << e.file;
        EXPECT_EQ(pdb.conectCount, e.conects) << e.file;
        EXPECT_EQ(pdb.bondCount, e.bonds) << e.file;
    }
    PdbFile pdb;
    pdb.Read(VORN_TEST_DATA "/adk_closed.pdb"); // segment identifier 4AKE after the B-factor
    EXPECT_EQ(pdb.records[0].chain, ' ');
    EXPECT_FLOAT_EQ(pdb.records[0].tempFactor, 84.71f);
    pdb.Read(VORN_TEST_DATA "/2eqq.pdb");
    EXPECT_EQ(pdb.records[423].model, 2);
    EXPECT_EQ(pdb.records.back().model, 20);
    EXPECT_EQ(pdb.records.back().chain, 'A');
}

} // namespace
