// PDB reader on malformed input: unopenable files, damaged gzip streams, short lines, overflow.
#include "core/VornError.h"
#include "io/PdbFile.h"

#include <climits>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;

fs::path TempPath(const char* name) {
    return fs::temp_directory_path() / name;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

std::string TextError(const std::string& text, PdbFile& pdb) {
    const fs::path path = TempPath("vorn_pdb_bad_input.pdb");
    WriteBytes(path, text);
    std::string message = ReadError(path, pdb);
    fs::remove(path);
    return message;
}

TEST(PdbBadInputTest, UnopenableFiles) {
    PdbFile pdb;
    EXPECT_EQ(ReadError(TempPath("vorn_no_such_file.pdb"), pdb), "Can't open file!");
    EXPECT_EQ(ReadError(fs::temp_directory_path(), pdb), "Can't open file!");
}

TEST(PdbBadInputTest, DamagedGzipStreams) {
    // A gzip copy of a real file, then cut short and, separately, with bytes overwritten.
    const std::string text = ReadBytes(VORN_TEST_DATA "/1ubq.pdb");
    const fs::path path = TempPath("vorn_pdb_bad_input.pdb.gz");
    gzFile gz = gzopen(path.string().c_str(), "wb");
    ASSERT_NE(gz, nullptr);
    gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
    gzclose(gz);
    const std::string packed = ReadBytes(path);
    PdbFile pdb;
    EXPECT_EQ(ReadError(path, pdb), "");
    EXPECT_EQ(pdb.atomCount, 660);

    WriteBytes(path, packed.substr(0, packed.size() / 2));
    EXPECT_EQ(ReadError(path, pdb), "Error parsing file!");
    std::string damaged = packed;
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    WriteBytes(path, damaged);
    EXPECT_EQ(ReadError(path, pdb), "Error parsing file!");
    fs::remove(path);
}

TEST(PdbBadInputTest, LinesThatRunOut) {
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
}

TEST(PdbBadInputTest, EmptyAndBinaryFilesHoldNoRecords) {
    PdbFile pdb;
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
    EXPECT_EQ(r.serial, INT_MAX);
    EXPECT_EQ(r.resSeq, INT_MIN);
    EXPECT_EQ(r.x + r.y + r.z + r.occupancy + r.tempFactor, 0.0f); // none is finite
    EXPECT_EQ(pdb.conects[0].owner, INT_MAX); // the first serial is never split
    ASSERT_EQ(pdb.conects[0].bonded.Count(), 3);
    EXPECT_EQ(pdb.conects[0].bonded[2], -9); // after 99999 and 99999
    // "1.." splits into "1." and "."; ".1." into "." and "1."; "..." holds no number at all.
    EXPECT_FLOAT_EQ(pdb.records[1].x, 1.0f);
    EXPECT_FLOAT_EQ(pdb.records[1].occupancy, 7.0f);
    EXPECT_FLOAT_EQ(pdb.records[2].y, 0.0f);
    EXPECT_FLOAT_EQ(pdb.records[2].z, 1.0f);
    EXPECT_FLOAT_EQ(pdb.records[2].occupancy, 0.0f);
    EXPECT_FLOAT_EQ(pdb.records[2].tempFactor, 5.0f);
}

} // namespace
