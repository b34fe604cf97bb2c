// PDB reader: field repairs, chain renaming, models, CONECT, MONITOR and BBOX lines, real files.
#include "io/PdbFile.h"

#include "RaisedError.h"
#include "ScratchFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

PdbFile ReadText(const std::string& text) {
    const auto path = std::filesystem::path(ScratchPath("pdb_file_test.pdb"));
    std::ofstream(path, std::ios::binary) << text;
    PdbFile pdb;
    EXPECT_TRUE(pdb.Read(path.string()));
    std::filesystem::remove(path);
    return pdb;
}

// Chain identifiers, then model numbers, of all records: "AB/01".
std::string ChainsModels(const PdbFile& pdb) {
    std::string chains, models;
    for (const PdbRecord& r : pdb.records) {
        chains += r.chain;
        models += std::to_string(r.model);
    }
    return chains + "/" + models;
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
    // A five-digit serial run into HETATM is still the serial; other glued names are not atoms.
    EXPECT_EQ(ReadText("HETATM12345  O   HOH W 901 1 2 3\n").records[0].serial, 12345);
    EXPECT_EQ(ReadText("HETATMX  O   HOH W 901 1 2 3\nATOMS 1 N ALA A 1 1 2 3\n").atomCount, 0);
}

TEST(PdbFileTest, RenamesChainsAfterTerAndNumbersModels) {
    const auto atom = [](char chain) {
        return "ATOM 1 N ALA " + std::string(1, chain) + " 1 1.0 2 3\n";
    };
    const std::string a = atom('A'),
                      frame = "ATOM 1 N ALA A 1 1 2 3 1 0\nATOM 2 N ALA A 1 1 2 3 1 0\nTER\n";
    const std::string cases[][2] = {
        // A chain continued after TER is renamed until another chain starts; each further
        // segment gets an identifier of its own.
        {a + "TER\n" + a + a + atom('C') + a, "ABBCA/00000"},
        {atom(' ') + "TER\n" + atom(' ') + "TER\n" + atom(' ') + atom(' '), " ABB/0000"},
        // TER followed by another chain renames nothing, and is then used up.
        {a + "TER\n" + atom('B') + atom('B'), "ABB/000"},
        // A new model ends the renaming: NMR ensembles close every model with TER.
        {a + "TER\nMODEL 2\n" + a, "AA/02"},
        // Serial 2 restarting in another chain starts a model; serial 1 lacking B-factors does not.
        {a + "MODEL 4\n" + a + "ATOM 9 N ALA A 1 1 2 3 1 0\nATOM 2 N ALA B 1 1 2 3 1 0\n" + a,
         "AAABA/04455"},
        // Frames separated by TER alone: the renamed chain marks each restart as a new model.
        {frame + frame + frame, "AABBCC/001122"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChainsModels(ReadText(c[0])), c[1]) << c[0];
    const std::string from = "YZxy9870", to = "ABya1081";
    for (std::size_t i = 0; i < from.size(); ++i)
        EXPECT_EQ(ChainsModels(ReadText(atom(from[i]) + "TER\n" + atom(from[i])))[1], to[i])
            << from[i];
}

TEST(PdbFileTest, ReadsConectMonitorAndBoxLines) {
    PdbFile pdb = ReadText("CONECT 1 2 3\nCONECT 1 4\nCONECT 123456789 123456789 x 7\n"
                           "CONECT 2 1\nCONECT 5 5\n");
    ASSERT_EQ(pdb.conectCount, 4);
    const auto bonded = [&](int i) {
        return std::vector<int>(pdb.conects[i].bonded.begin(), pdb.conects[i].bonded.end());
    };
    EXPECT_EQ(pdb.conects[0].owner, 1);
    EXPECT_EQ(bonded(0), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(pdb.conects[1].owner, 123456789);
    EXPECT_EQ(bonded(1), (std::vector<int>{56789, 1234}));
    EXPECT_EQ(pdb.bondCount, 5); // 1-2 twice, 1-3, 1-4, two from the long line; 5-5 is none
    pdb = ReadText("ATOM 5 N ALA A 1 1 2 3\nATOM 8 N ALA A 1 1 2 3\nATOM 5 N ALA A 1 1 2 3\n"
                   "MONITOR 1 8 5 255 0 0\nMONITOR 1 5 8 256 0 0\nMONITOR 2 5 6 0 0 0\n"
                   "MONITOR 3 5 8 0 0\nREMARK MONITOR 1 5 8 0 0 0\nBBOX_R 1 2 3\n"
                   "X BBOX_A -1.5 0 1e2\nBBOX_B 4 5 6\n");
    ASSERT_EQ(pdb.monitorCount, 1);
    const PdbMonitor& m = pdb.monitors[0];
    EXPECT_EQ((std::vector<int>{m.red, m.indexA, m.indexB}), (std::vector<int>{255, 1, 0}));
    EXPECT_FALSE(pdb.boxComplete);
    EXPECT_EQ((std::vector<float>{pdb.boxA[0], pdb.boxA[2]}), (std::vector<float>{-1.5f, 100}));
    EXPECT_TRUE(ReadText("BBOX_R 1 2 3\nBBOX_A 1 2 3\nBBOX_B 1 2 3\nBBOX_C 1 2 3").boxComplete);
}

TEST(PdbFileTest, SettersRejectOverlongText) {
    PdbRecord r; // the longest text each setter takes, then one character more
    r.SetRecord("HETATOM"), r.SetAtomName("ABCDEFG"), r.SetResName("ABCDE");
    EXPECT_EQ(ErrorOf([&] { r.SetRecord("HETATOMS"); }),
              "SetRecord: Error in assigning PDB_RECORD_FIELD!");
    EXPECT_EQ(ErrorOf([&] { r.SetAtomName("ABCDEFGS"); }),
              "SetAtomName: Error in assigning PDB_NAME_FIELD");
    EXPECT_EQ(ErrorOf([&] { r.SetResName("ABCDES"); }),
              "SetResName: Error in assigning PDB_RESIDUE_FIELD");
}

TEST(PdbFileTest, LooksUpSerialsMeasuresFieldsAndCutsLongLines) {
    PdbFile pdb = ReadText("ATOM 1 N ALA A 1 1 2 3 0.5 -7\nATOM 2 N ALA A 1 1 2 3 -2 3\n"
                           "ATOM 40 N ALA A 1 1 2 3 1 0.25\nATOM 41 N ALA A 1 1 2 3 1 1\n");
    const SerialIndex serials(pdb);
    const std::vector<int> indices = {serials.IndexOf(2), serials.IndexOf(40), serials.IndexOf(41),
                                      serials.IndexOf(3)};
    EXPECT_EQ(indices, (std::vector<int>{1, 2, 3, -1}));
    EXPECT_EQ((std::vector<float>{pdb.TempFactorMax(), pdb.TempFactorMin(), pdb.OccupancyMax(),
                                  pdb.OccupancyMin()}),
              (std::vector<float>{7, 0.25f, 2, 0.5f}));
    EXPECT_EQ(PdbFile().TempFactorMax() + PdbFile().OccupancyMin(), 0.0f);
    // Text past 511 characters is dropped; a last line without a newline is read.
    pdb = ReadText("REMARK" + std::string(505, ' ') +
                   "ATOM 1 N ALA A 1 1 2 3\nATOM 2 N ALA A 1 1 2 3\nATOM 3 N ALA A 1 1 2 3");
    ASSERT_EQ(pdb.atomCount, 2);
    EXPECT_EQ(pdb.records[1].serial, 3);
}

// Serials past 99,999 in hybrid-36, glued to HETATM and run together in CONECT lists too, and in
// the hexadecimal some programs write (decimal again where a new model starts over).
TEST(PdbFileTest, ReadsWideSerialsAndLooksThemUp) {
    const auto atom = [](const std::string& serial) {
        return "ATOM " + serial + " C ALA A 1 1 2 3\n";
    };
    PdbFile pdb =
        ReadText(atom("99999") + atom("A0000") + atom("A0001") + "HETATMA0002 O HOH A 2 1 2 3\n" +
                 atom("a0000") + "CONECT A0000 99999A0001\nCONECT A0002 A0000 xyz\n");
    const SerialIndex serials(pdb);
    std::vector<int> read, looked;
    for (const PdbRecord& r : pdb.records)
        read.push_back(r.serial);
    EXPECT_EQ(read, (std::vector<int>{99999, 100000, 100001, 100002, 43770016}));
    ASSERT_EQ(pdb.conectCount, 2);
    for (const ConectEntry& e : pdb.conects) {
        looked.push_back(serials.IndexOf(e.owner));
        for (int serial : e.bonded)
            looked.push_back(serials.IndexOf(serial));
    }
    EXPECT_EQ(looked, (std::vector<int>{1, 2, 0, 3, 1}));
    EXPECT_STREQ(pdb.records[3].record, "HETATM");

    pdb = ReadText(atom("99998") + atom("99999") + atom("186a0") + atom("186a9") + atom("18700") +
                   "MODEL 2\n" + atom("9999") + atom("10000") + "CONECT 186a0 186a9\n");
    read.clear();
    for (const PdbRecord& r : pdb.records)
        read.push_back(r.serial);
    EXPECT_EQ(read, (std::vector<int>{99998, 99999, 100000, 100009, 100096, 9999, 10000}));
    EXPECT_EQ(pdb.conects[0].owner, 100000);
    EXPECT_EQ(*pdb.conects[0].bonded.begin(), 100009);
}

TEST(PdbFileTest, ReadsRealFiles) {
    // The golden info reports pin the atom and model counts of the real files. 1ehz continues five
    // CONECT lists on a next line; adk_closed has a segment identifier after the B-factor.
    PdbFile ehz, adk;
    ASSERT_TRUE(ehz.Read(VORN_TEST_DATA "/1ehz.pdb") && adk.Read(VORN_TEST_DATA "/adk_closed.pdb"));
    EXPECT_EQ((std::vector<int>{ehz.conectCount, ehz.bondCount}), (std::vector<int>{388, 404}));
    EXPECT_EQ(adk.records[0].chain, ' ');
    EXPECT_FLOAT_EQ(adk.records[0].tempFactor, 84.71f);
}

} // namespace

} // namespace vorn
