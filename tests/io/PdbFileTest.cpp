// PDB reader: field repairs, chain renaming, models, CONECT, MONITOR and BBOX lines, real files.
#include "io/PdbFile.h"

#include "core/VornError.h"

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

PdbRecord ReadOne(const std::string& line) {
    PdbFile pdb = ReadText(line + "\n");
    EXPECT_EQ(pdb.atomCount, 1);
    return pdb.records.empty() ? PdbRecord() : pdb.records[0];
}

std::string Chains(const PdbFile& pdb) {
    std::string chains;
    for (const PdbRecord& r : pdb.records)
        chains += r.chain;
    return chains;
}

TEST(PdbFileTest, ReadsPlainAtomLine) {
    PdbRecord r = ReadOne("ATOM 1 N ALA A 1 11.104 6.134 -6.504 1.00 0.00");
    EXPECT_STREQ(r.record, "ATOM");
    EXPECT_EQ(r.serial, 1);
    EXPECT_STREQ(r.atomName, "N");
    EXPECT_STREQ(r.resName, "ALA");
    EXPECT_EQ(r.chain, 'A');
    EXPECT_EQ(r.resSeq, 1);
    EXPECT_FLOAT_EQ(r.x, 11.104f);
    EXPECT_FLOAT_EQ(r.y, 6.134f);
    EXPECT_FLOAT_EQ(r.z, -6.504f);
    EXPECT_FLOAT_EQ(r.occupancy, 1.0f);
    EXPECT_FLOAT_EQ(r.tempFactor, 0.0f);
    EXPECT_EQ(r.hetero, 0);
    EXPECT_EQ(r.model, 0);
}

TEST(PdbFileTest, SplitsGluedNames) {
    PdbRecord r = ReadOne("ATOM 1 HD21ASN A 1 1 2 3");
    EXPECT_STREQ(r.atomName, "HD21");
    EXPECT_STREQ(r.resName, "ASN");
    r = ReadOne("ATOM 1 CA1ALA A 1 1 2 3");
    EXPECT_STREQ(r.atomName, "CA1");
    EXPECT_STREQ(r.resName, "ALA");
    r = ReadOne("ATOM 1 Hd2345xgly A 1 1 2 3"); // name kept as typed, at most 6 characters
    EXPECT_STREQ(r.atomName, "Hd2345");
    EXPECT_STREQ(r.resName, "GLY");
    r = ReadOne("ATOM 1 n ala a 1 1 2 3"); // separate names are upper-cased
    EXPECT_STREQ(r.atomName, "N");
    EXPECT_STREQ(r.resName, "ALA");
}

TEST(PdbFileTest, SeparatesChainAndResidueNumber) {
    PdbRecord r = ReadOne("ATOM 1 N ALA A1 1.0 2.0 3.0");
    EXPECT_EQ(r.chain, 'A');
    EXPECT_EQ(r.resSeq, 1);
    EXPECT_FLOAT_EQ(r.x, 1.0f);
    r = ReadOne("ATOM 1 N ALA 17 1.0 2.0 3.0");
    EXPECT_EQ(r.chain, ' ');
    EXPECT_EQ(r.resSeq, 17);
    r = ReadOne("ATOM 1 N 12 1.0 2.0 3.0");
    EXPECT_STREQ(r.resName, "UNK0");
    EXPECT_EQ(r.resSeq, 12);
    r = ReadOne("ATOM 1 N ALA 2 5 1.0 2.0 3.0"); // digit chain identifier
    EXPECT_EQ(r.chain, '2');
    EXPECT_EQ(r.resSeq, 5);
    r = ReadOne("ATOM 1 OH2 TIP3W 5 1.0 2.0 3.0"); // chain run into a long residue name
    EXPECT_STREQ(r.resName, "TIP3");
    EXPECT_EQ(r.chain, 'W');
    EXPECT_EQ(r.hetero, 1);
    r = ReadOne("ATOM 1 N PRO H 52A 1.0 2.0 3.0"); // insertion code
    EXPECT_EQ(r.resSeq, 52);
}

TEST(PdbFileTest, HeteroAtomsAndWaters) {
    PdbRecord r = ReadOne("HETATM 7 O A HOH B 9 1.0 2.0 3.0"); // alternate location skipped
    EXPECT_STREQ(r.record, "HETATM");
    EXPECT_STREQ(r.resName, "HOH");
    EXPECT_EQ(r.chain, 'B');
    EXPECT_EQ(r.hetero, 1);
    EXPECT_EQ(ReadOne("HETATM 7 C1 STR A 9 1 2 3").hetero, 1);
    EXPECT_EQ(ReadOne("ATOM 7 OH2 SPC 9 1 2 3").hetero, 1);
    EXPECT_EQ(ReadOne("ATOM 7 OH2 SOLV X 9 1 2 3").hetero, 1);
}

TEST(PdbFileTest, SplitsGluedCoordinates) {
    PdbRecord r = ReadOne("ATOM 1 N ALA A 1 -12.345-67.890 1.234");
    EXPECT_FLOAT_EQ(r.x, -12.345f);
    EXPECT_FLOAT_EQ(r.y, -67.89f);
    EXPECT_FLOAT_EQ(r.z, 1.234f);
    r = ReadOne("ATOM 1 N ALA A 1 5.5 -12.345-67.890 0.5 9.5");
    EXPECT_FLOAT_EQ(r.y, -12.345f);
    EXPECT_FLOAT_EQ(r.z, -67.89f);
    EXPECT_FLOAT_EQ(r.occupancy, 0.5f);
    EXPECT_FLOAT_EQ(r.tempFactor, 9.5f);
    r = ReadOne("ATOM 1 N ALA A 1 1.234-5.678910.123 0.7");
    EXPECT_FLOAT_EQ(r.x, 1.234f);
    EXPECT_FLOAT_EQ(r.y, -5.678f);
    EXPECT_FLOAT_EQ(r.z, 910.123f);
    EXPECT_FLOAT_EQ(r.occupancy, 0.7f);
    r = ReadOne("ATOM 1 N ALA A 1 1.1.1.1.1 0.7"); // four numbers in one token: none is set
    EXPECT_FLOAT_EQ(r.x, 0.0f);
    EXPECT_FLOAT_EQ(r.z, 0.0f);
    EXPECT_FLOAT_EQ(r.occupancy, 0.7f);
    r = ReadOne("ATOM 1 N ALA A 1 1.0 2.0 3.0 0.25");
    EXPECT_FLOAT_EQ(r.occupancy, 0.25f);
    EXPECT_FLOAT_EQ(r.tempFactor, 0.0f);
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
    std::vector<int> models;
    for (const PdbRecord& r : pdb.records)
        models.push_back(r.model);
    // Serial 2 restarts in another chain: a new model; serial 1 lacks B-factors: no change.
    EXPECT_EQ(models, (std::vector<int>{0, 4, 4, 5, 5}));
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

TEST(PdbFileTest, SettersCheckLengthAndMarkWater) {
    PdbRecord r;
    r.SetResName("hoh");
    EXPECT_STREQ(r.resName, "HOH");
    EXPECT_EQ(r.hetero, 1);
    r.SetResName("ALA");
    EXPECT_EQ(r.hetero, 0);
    r.SetAtomName("abcdefg");
    EXPECT_STREQ(r.atomName, "ABCDEFG");
    auto message = [](auto set) {
        try {
            set();
        } catch (const VornError& e) {
            return e.Message();
        }
        return std::string();
    };
    EXPECT_EQ(message([&] { r.SetRecord("HETATOMS"); }),
              "SetRecord: Error in assigning PDB_RECORD_FIELD!");
    EXPECT_EQ(message([&] { r.SetAtomName("ABCDEFGH"); }),
              "SetAtomName: Error in assigning PDB_NAME_FIELD");
    EXPECT_EQ(message([&] { r.SetResName("ABCDEF"); }),
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
}

} // namespace
