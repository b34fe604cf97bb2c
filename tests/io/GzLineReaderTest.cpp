// Line reader limits: a compressed stream that unpacks past its limit stops; plain text never does.
#include "io/GzLineReader.h"

#include "RaisedError.h"
#include "ScratchFiles.h"
#include "io/PdbFile.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace vorn {

namespace {

std::string Gzip(const std::string& text) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&z, text.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    return packed;
}

// A file of lines of 1 MiB (spaces and a newline), each line packed as its own gzip member (the
// members join into one stream), or written plain.
std::string WriteSpaces(const std::string& name, int lines, bool packed) {
    std::string line(1 << 20, ' ');
    line.back() = '\n';
    const std::string member = packed ? Gzip(line) : line;
    const std::string path = ScratchPath(name);
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i)
        out << member;
    return path;
}

struct ReadResult {
    int lines = 0;
    bool oversized = false;
    bool failed = false;
};

ReadResult ReadAll(const std::string& path, GzUnpackLimit limit) {
    GzLineReader reader;
    EXPECT_TRUE(reader.Open(path, limit));
    ReadResult result;
    while (reader.Next())
        ++result.lines;
    result.oversized = reader.Oversized();
    result.failed = reader.Failed();
    return result;
}

} // namespace

// 8 MiB packed into about 8 KB: a 1 MiB floor stops the read after the first line (the limit is
// the floor, as 100 times the packed size is less); a 16 MiB floor reads it all. Plain text has
// no limit.
TEST(GzLineReaderTest, CompressedStreamStopsPastItsLimit) {
    const std::string packed = WriteSpaces("gz_limit.gz", 8, true);
    ReadResult r = ReadAll(packed, {1 << 20, 100});
    EXPECT_EQ(r.lines, 1);
    EXPECT_TRUE(r.oversized);
    EXPECT_FALSE(r.failed);
    r = ReadAll(packed, {16 << 20, 100});
    EXPECT_EQ(r.lines, 8);
    EXPECT_FALSE(r.oversized);
    const std::string plain = WriteSpaces("gz_limit.txt", 2, false);
    r = ReadAll(plain, {1024, 1});
    EXPECT_EQ(r.lines, 2);
    EXPECT_FALSE(r.oversized);
    std::remove(packed.c_str());
    std::remove(plain.c_str());
}

// 300 lines of 1 MiB of spaces packed into about 300 KB.
TEST(GzLineReaderTest, PdbReaderRefusesAGzipBomb) {
    const std::string path = WriteSpaces("gz_bomb.pdb.gz", 300, true);
    PdbFile pdb;
    EXPECT_EQ(SourcedErrorOf([&] { pdb.Read(path); }),
              "pdb: The file unpacks to far more data than a structure needs");
    std::remove(path.c_str());
}

} // namespace vorn
