// The PDB reader parses blocks of lines on several threads: whatever the block size and the number
// of threads, plain or gzip, the record set and the error are those of one pass over the lines.
#include "ScratchFiles.h"
#include "ThreadCount.h"
#include "core/VornError.h"
#include "io/LineBlocks.h"
#include "io/PdbFile.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace vorn {

namespace {

std::string Atom(const char* serial, const char* name, const char* residue, char chain, int number,
                 float x, const char* rest = "  1.00  0.00") {
    char line[128];
    std::snprintf(line, sizeof line, "ATOM  %5s %-4s %3s %c%4d    %8.3f%8.3f%8.3f%s\n", serial,
                  name, residue, chain, number, x, 2.0 * x, -x, rest);
    return line;
}

// Lines whose records owe their serial, model or chain to the lines before them, and the other
// kinds of line the reader takes, in one file.
std::string StatefulText() {
    std::string t = "REMARK   1 a header line\nMONITOR 1 1 5 255 0 0\nBBOX_R 1.0 2.0 3.0\n";
    t += Atom("1", "N", "ALA", 'A', 1, 1.0f) + Atom("2", "CA", "ALA", 'A', 1, 1.5f) + "TER\n";
    // The chain goes on after TER: renamed B until another chain comes.
    t += Atom("3", "N", "GLY", 'A', 2, 2.0f) + Atom("4", "CA", "GLY", 'A', 2, 2.5f);
    t += Atom("5", "C", "GLY", 'C', 3, 3.0f);
    t += "HETATM12345  O   HOH W 100       9.000   9.000   9.000  1.00 30.00\n";
    // Smaller serials in other chains: each an implied new model.
    t += Atom("6", "N", "SER", 'D', 1, 4.0f, "  1.00 10.00") +
         Atom("2", "N", "SER", 'E', 1, 4.5f, "  1.00 10.00");
    // Serials past 99,999 in hexadecimal: "186a0" says so, "18700" is read so after it.
    t += "MODEL        7\n" + Atom("99999", "N", "LYS", 'F', 5, 5.0f) +
         Atom("186a0", "CA", "LYS", 'F', 5, 5.5f) + Atom("186a1", "C", "LYS", 'F', 5, 6.0f) +
         Atom("18700", "O", "LYS", 'F', 5, 6.5f) + "ENDMDL\n";
    // A line longer than 511 characters keeps its first 511 only.
    t += "ATOM     20  CB  LYS F   5       1.000   2.000   3.000" + std::string(600, ' ') +
         "4.00 5.00\n";
    t += std::string("ATOM     21  CG  LYS F   5       1.000   2.000   3.000  0.50") + '\0' +
         " 9.99 trailing\n";
    t += "ATOM     22  CD  LYS F   5       1.000   2.000   3.000  1.00  5.00\r\n";
    t += "CONECT    1    2\nCONECT    1    3\nCONECT 186a0 186a1\nMONITOR 2 1 22 0 255 0\n";
    t += "BBOX_A 4 5 6 BBOX_B 7 8 9\nBBOX_C 1 1 1\n";
    t += "ATOM     23  CE  LYS F   5       4.000   5.000   6.000"; // no newline at the end
    return t;
}

std::string WriteFile(const std::string& name, const std::string& text, bool gzip) {
    const std::string path = ScratchPath(name);
    if (gzip) {
        gzFile gz = gzopen(path.c_str(), "wb");
        gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
        gzclose(gz);
    } else {
        std::ofstream(path, std::ios::binary) << text;
    }
    return path;
}

// Everything a record set holds, one line per item.
std::string Describe(const PdbFile& pdb) {
    std::string out;
    char line[256];
    for (const PdbRecord& r : pdb.records) {
        std::snprintf(line, sizeof line, "%s %d %s %s %c %d %.3f %.3f %.3f %g %g %d %d\n", r.record,
                      r.serial, r.atomName, r.resName, r.chain, r.resSeq, r.x, r.y, r.z,
                      r.occupancy, r.tempFactor, r.hetero, r.model);
        out += line;
    }
    for (const ConectEntry& e : pdb.conects) {
        out += "conect " + std::to_string(e.owner) + ":";
        for (int v : e.bonded)
            out += " " + std::to_string(v);
        out += "\n";
    }
    for (const PdbMonitor& m : pdb.monitors) {
        std::snprintf(line, sizeof line, "monitor %d %d %d %d %d\n", m.kind, m.serialA, m.serialB,
                      m.indexA, m.indexB);
        out += line;
    }
    for (const float* v : {pdb.boxR, pdb.boxA, pdb.boxB, pdb.boxC}) {
        std::snprintf(line, sizeof line, "box %g %g %g\n", v[0], v[1], v[2]);
        out += line;
    }
    std::snprintf(line, sizeof line, "counts %d %d %d %d %d\n", pdb.atomCount, pdb.conectCount,
                  pdb.monitorCount, pdb.bondCount, pdb.boxComplete ? 1 : 0);
    return out + line;
}

// The record set at every block size and thread count, which must all agree; or the message of
// the error, which must agree likewise.
std::string ReadEveryWay(const std::string& path) {
    std::string first;
    for (int threads : {1, 2, 3}) {
        const ThreadCount count(threads);
        for (std::size_t block : {LineBlockSource::kDefaultBlockBytes, std::size_t{1},
                                  std::size_t{7}, std::size_t{64}, std::size_t{300}}) {
            std::string result;
            try {
                PdbFile pdb;
                pdb.Read(path, block);
                result = Describe(pdb);
            } catch (const VornError& e) {
                result = e.Source() + ": " + e.Message();
            }
            if (first.empty())
                first = result;
            EXPECT_EQ(result, first) << threads << " threads, blocks of " << block << " bytes";
        }
    }
    return first;
}

} // namespace

// What one pass reads from these lines is pinned by the reader's own tests; here every way of
// reading agrees with it, plain or packed, and the lines ending at a NUL or CR LF read whole.
TEST(PdbBlocks, EveryBlockSizeAndThreadCountReadsAsOnePass) {
    const std::string plain = WriteFile("stateful.pdb", StatefulText(), false);
    const std::string packed = WriteFile("stateful.pdb.gz", StatefulText(), true);
    const std::string text = ReadEveryWay(plain);
    EXPECT_EQ(ReadEveryWay(packed), text);
    PdbFile pdb;
    pdb.Read(plain);
    std::remove(plain.c_str());
    std::remove(packed.c_str());
    SCOPED_TRACE(text);
    ASSERT_EQ(pdb.atomCount, 16);
    const auto& r = pdb.records;
    EXPECT_EQ(std::string() + r[0].chain + r[1].chain + r[2].chain + r[3].chain + r[4].chain,
              "AABBC");
    EXPECT_EQ((std::vector<int>{r[5].model, r[6].model, r[7].model, r[8].model}),
              (std::vector<int>{0, 1, 2, 7}));
    EXPECT_EQ(r[11].serial, 0x18700);
    EXPECT_EQ(r[12].tempFactor, 0.0f); // what stood past 511 characters is gone
    EXPECT_EQ(r[13].occupancy, 0.5f);  // the NUL ends the line
    EXPECT_EQ(r[13].tempFactor, 0.0f);
    EXPECT_EQ(r[14].tempFactor, 5.0f);
    EXPECT_EQ(r[15].x, 4.0f);
    EXPECT_EQ(pdb.conects.size(), 2u);
    EXPECT_EQ(pdb.monitorCount, 2);
    EXPECT_TRUE(pdb.boxComplete);
}

// The first failed atom line wins over an earlier failed CONECT line wherever the blocks are cut;
// a damaged gzip stream wins over both.
TEST(PdbBlocks, ErrorsAreThoseOfOnePass) {
    std::string text = "CONECT abc\n";
    for (int i = 1; i <= 40; ++i)
        text += Atom(std::to_string(i).c_str(), "CA", "GLY", 'A', i, float(i));
    const std::string badConect = WriteFile("bad_conect.pdb", text, false);
    EXPECT_EQ(ReadEveryWay(badConect), "pdb: Error parsing file!");
    text += "ATOM     41  CA  GLYCINE A  41       1.000   2.000   3.000\n";
    text += "ATOM     42  CA      A  42       1.000   2.000   3.000\n";
    const std::string badAtom = WriteFile("bad_atom.pdb", text, false);
    EXPECT_EQ(ReadEveryWay(badAtom), "pdb: SetResName: Error in assigning PDB_RESIDUE_FIELD");

    const std::string packed = WriteFile("bad_atom.pdb.gz", text, true);
    std::ifstream in(packed, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string cut = WriteFile("cut.pdb.gz", bytes.substr(0, bytes.size() - 12), false);
    EXPECT_EQ(ReadEveryWay(cut), "pdb: Error parsing file!");
    for (const std::string& path : {badConect, badAtom, packed, cut})
        std::remove(path.c_str());
}

// Blocks end at newlines; a line longer than a whole read arrives with at least its first 511
// characters, the rest of it dropped.
TEST(PdbBlocks, BlocksHoldWholeLines) {
    const std::string longLine = std::string(2000, 'x');
    const std::string path = WriteFile("blocks.txt", "ab\ncd\n" + longLine + "\nef", false);
    for (std::size_t size : {std::size_t{1}, std::size_t{4}, std::size_t{1000}}) {
        LineBlockSource source;
        ASSERT_TRUE(source.Open(path, GzUnpackLimit(), size));
        std::string seen;
        TextBlock block;
        while (source.Next(block)) {
            const std::string text(block.bytes.data(), block.size);
            EXPECT_TRUE(text.back() == '\n' || text == "ef") << text;
            seen += text;
        }
        EXPECT_EQ(seen.substr(0, 6), "ab\ncd\n");
        EXPECT_EQ(seen.substr(6, 511), longLine.substr(0, 511));
        EXPECT_EQ(seen.substr(seen.size() - 3), "\nef");
        EXPECT_FALSE(source.Failed());
    }
    std::remove(path.c_str());
}

} // namespace vorn
