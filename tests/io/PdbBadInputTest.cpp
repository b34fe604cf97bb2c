// PDB reader on malformed input: unopenable files, damaged gzip streams, short lines, overflow.
#include "ScratchFiles.h"
#include "core/VornError.h"
#include "io/PdbFile.h"

#include <climits>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace vorn {

namespace {

namespace fs = std::filesystem;

// The message of the VornError that reading the file raises, or "" when it reads.
std::string ReadError(const fs::path& path, PdbFile& pdb) {
    try {
        pdb.Read(path.string());
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "pdb");
        return e.Message();
    }
    return "";
}

std::string TextError(const std::string& bytes, PdbFile& pdb) {
    const fs::path path = fs::path(ScratchPath("pdb_bad_input.pdb"));
    std::ofstream(path, std::ios::binary) << bytes;
    std::string message = ReadError(path, pdb);
    fs::remove(path);
    return message;
}

TEST(PdbBadInputTest, UnopenableFilesAndDamagedGzipStreams) {
    PdbFile pdb;
    EXPECT_EQ(ReadError(fs::path(ScratchPath("no_such_file.pdb")), pdb), "Can't open file!");
    EXPECT_EQ(ReadError(fs::temp_directory_path(), pdb), "Can't open file!");
    // A real gzip file cut short, and with bytes overwritten in its middle.
    std::ifstream in(VORN_TEST_DATA "/1a28.pdb.gz", std::ios::binary);
    const std::string packed(std::istreambuf_iterator<char>(in), {});
    std::string damaged = packed;
    damaged.replace(packed.size() / 2, 64, 64, '\0');
    EXPECT_EQ(TextError(packed.substr(0, packed.size() / 2), pdb), "Error parsing file!");
    EXPECT_EQ(TextError(damaged, pdb), "Error parsing file!");
}

TEST(PdbBadInputTest, ShortEmptyAndBinaryInput) {
    PdbFile pdb;
    for (const char* line : {"ATOM", "ATOM 1", "ATOM 1 N", "ATOM 1 N ALA", "ATOM 1 CAALA",
                             "HETATM 1 O A", "CONECT", "CONECT A1 2", "CONECT 1.5 2"})
        EXPECT_EQ(TextError(std::string("REMARK x\n") + line + "\n", pdb), "Error parsing file!")
            << line;
    EXPECT_EQ(TextError("ATOM 1 N ALA A\n", pdb), ""); // chain without number or coordinates
    EXPECT_EQ(pdb.records[0].resSeq, 0);
    EXPECT_EQ(TextError("ATOM 1 N LONGRES A 1 1 2 3\n", pdb),
              "SetResName: Error in assigning PDB_RESIDUE_FIELD");
    // The atom lines are judged before the CONECT lines, whatever their order in the file.
    EXPECT_EQ(TextError("CONECT x\nATOM 1 N LONGRES A 1 1 2 3\n", pdb),
              "SetResName: Error in assigning PDB_RESIDUE_FIELD");
    // Empty and binary files read without records.
    EXPECT_EQ(TextError("", pdb), "");
    EXPECT_EQ(pdb.atomCount, 0);
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    EXPECT_EQ(TextError(garbage + std::string("\0ATOM 1 N ALA A 1 1 2 3\n", 24), pdb), "");
    EXPECT_EQ(pdb.atomCount, 0);
}

TEST(PdbBadInputTest, OutOfRangeNumbersAndShortGluedTokens) {
    PdbFile pdb;
    ASSERT_EQ(TextError("ATOM 99999999999 N ALA A -99999999999 1e999 nan inf 1e-999 -inf\n"
                        "ATOM 2 N ALA A 1 1.. .. 7\nATOM 3 N ALA A 1 2.5 .1. ... 5\n"
                        "CONECT 99999999999 -99999999999\n",
                        pdb),
              "");
    const PdbRecord& r = pdb.records[0];
    // The first CONECT serial is never split.
    EXPECT_EQ((std::vector<int>{r.serial, r.resSeq, pdb.conects[0].owner}),
              (std::vector<int>{INT_MAX, INT_MIN, INT_MAX}));
    EXPECT_EQ(r.x + r.y + r.z + r.occupancy + r.tempFactor, 0.0f); // none is finite
    ASSERT_EQ(pdb.conects[0].bonded.Count(), 3);
    EXPECT_EQ(pdb.conects[0].bonded[2], -9); // after 99999 and 99999
    // "1.." splits into "1." and "."; ".1." into "." and "1."; "..." holds no number at all.
    const PdbRecord &a = pdb.records[1], &b = pdb.records[2];
    EXPECT_EQ((std::vector<float>{a.x, a.occupancy, b.y, b.z, b.occupancy, b.tempFactor}),
              (std::vector<float>{1, 7, 0, 1, 0, 5}));
}

} // namespace

TEST(PdbBadInputTest, DigitRunsPastTheExactRangeAndModelsPastTheLargest) {
    // Twenty digits overflow a 64-bit mantissa; the number still reads by the general conversion.
    PdbFile pdb;
    ASSERT_EQ(ReadError(VORN_TEST_DATA "/bad/long_digit_coordinate.pdb", pdb), "");
    EXPECT_EQ(pdb.records[0].x, 11111111111111111111.5f);
    EXPECT_EQ(pdb.records[0].y, 2.0f);
    // Serials restarting in another chain imply a new model; past INT_MAX the count stays put.
    ASSERT_EQ(ReadError(VORN_TEST_DATA "/bad/implied_model_past_int_max.pdb", pdb), "");
    EXPECT_EQ(pdb.records[0].model, INT_MAX);
    EXPECT_EQ(pdb.records[1].model, INT_MAX);
}

} // namespace vorn
