// Tests of the DCD reader: byte order, precision, frame counting, unit cells and damaged files.
// The real trajectory in data/dcd is read by the golden info reports of tests/cli.
#include "io/DcdFile.h"

#include "ScratchFiles.h"
#include "core/VornError.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

float Value(int frame, int atom, int axis) {
    return 0.1f * static_cast<float>(frame * 100 + atom * 3 + axis) - 7.3f;
}

// Ten atoms with distinct, inexact values. frameSet is the NSET written (-1: the frame count); a
// unit cell sets the flag at byte 48 and puts a 48-byte record before each frame. Frames start at
// byte 276 and take 144 bytes in single precision.
std::string Build(int frames = 5, int frameSet = -1, bool doubles = false, bool unitCell = false,
                  bool bigEndian = false) {
    std::string out;
    auto put = [&](auto v) {
        const std::string b(reinterpret_cast<const char*>(&v), sizeof v);
        out += bigEndian ? std::string(b.rbegin(), b.rend()) : b;
    };
    put(84);
    out += "CORD";
    for (int k = 0; k < 20; ++k)
        put(k == 0 ? (frameSet < 0 ? frames : frameSet) : k == 10 ? int{unitCell} : 0);
    for (int v : {84, 164, 2}) // title record: two 80-byte lines
        put(v);
    out.append(160, 'T');
    for (int v : {164, 4, 10, 4})
        put(v);
    const int size = doubles ? 8 : 4;
    for (int f = 0; f < frames; ++f) {
        if (unitCell) // a zeroed unit-cell record
            for (int v : {48, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 48})
                put(v);
        for (int axis = 0; axis < 3; ++axis) {
            put(10 * size);
            for (int a = 0; a < 10; ++a)
                doubles ? put(double{Value(f, a, axis)}) : put(Value(f, a, axis));
            put(10 * size);
        }
    }
    return out;
}

std::string Patched(std::string bytes, std::size_t at, std::int32_t v) {
    return bytes.replace(at, 4, reinterpret_cast<const char*>(&v), 4);
}

std::string Write(const std::string& bytes) {
    const std::string path = ScratchPath("dcd_test.dcd");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct Result {
    int atoms = 0, frames = 0, size = 0;
    bool swapped = false, unitCell = false;
    std::vector<float> coords; // all frames read
    std::string error;         // ErrorText(), or the message raised
};

// Reads the header, then frames (extraFrames more than it counts) until the first error.
Result ReadAll(const std::string& path, int extraFrames = 0) {
    Result r;
    DcdFile dcd;
    dcd.Open(path);
    try {
        dcd.ReadHeader(r.atoms, r.frames, r.size);
        for (int f = 0; f < r.frames + extraFrames && dcd.ErrorText().empty(); ++f) {
            r.coords.resize(r.coords.size() + 3 * static_cast<std::size_t>(r.atoms));
            dcd.ReadFrame(&r.coords[r.coords.size() - 3 * r.atoms], r.atoms, r.size);
        }
        r.error = dcd.ErrorText();
        r.swapped = dcd.Swapped();
        r.unitCell = dcd.HasUnitCell();
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "DCD");
        r.error = e.Message();
    }
    return r;
}

} // namespace

TEST(DcdFileTest, FrameCountValueSizeAndByteOrder) {
    // Frames, NSET, doubles, unit cell, big-endian; the frame count and value size wanted. NSET 0,
    // right, beyond the frames held (those held are read) and short of them (the size rule
    // stands), then unit cells and big-endian files.
    const int cases[][7] = {
        {5, 0, 0, 0, 0, 5, 4}, {5, 5, 1, 0, 0, 5, 8}, {5, 6, 0, 0, 0, 5, 4}, {5, 9, 1, 0, 0, 5, 8},
        {5, 4, 0, 0, 0, 4, 5}, {3, 3, 0, 1, 0, 3, 4}, {3, 0, 0, 1, 0, 3, 4}, {3, 3, 1, 1, 0, 3, 8},
        {3, 7, 1, 1, 0, 3, 8}, {5, 5, 0, 0, 1, 5, 4}, {5, 5, 1, 0, 1, 5, 8}, {3, 3, 1, 1, 1, 3, 8},
    };
    for (const auto& c : cases) {
        const Result r = ReadAll(Write(Build(c[0], c[1], c[2], c[3], c[4])));
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ((std::vector<int>{r.frames, r.size, r.unitCell, r.swapped}),
                  (std::vector<int>{c[5], c[6], c[3], c[4]}));
        if (c[6] != 5) {
            EXPECT_EQ(r.error, "");
            for (int i = 0; i < static_cast<int>(r.coords.size()); ++i)
                ASSERT_EQ(r.coords[i], Value(i / 30, i % 30 / 3, i % 3)) << i;
        }
    }
}

TEST(DcdFileTest, DamagedHeaders) {
    const std::string good = Build();
    const char* bad = "Bad DCD file header";
    EXPECT_EQ(ReadAll(Write(Patched(Patched(good, 92, 165), 260, 165))).error, bad); // title
    EXPECT_EQ(ReadAll(Write(Build(6, 3))).error, bad); // NSET 3 over 6 frames: size 8, records 4
    EXPECT_EQ(ReadAll(Write("")).error, "Unexpected end of file!");
    // One title line announced for two, wrong markers, negative NSET or NATOM, NATOM too large
    // for the file or not matching the records.
    const char* corrupted = "Corrupted DCD file header";
    const struct {
        std::size_t at;
        std::int32_t value;
        const char* error;
    } cases[] = {{96, 1, bad},          {0, 85, corrupted},     {88, 80, corrupted},
                 {260, 160, corrupted}, {264, 8, corrupted},    {8, -1, bad},
                 {268, -5, bad},        {268, 2000000000, bad}, {268, 11, bad}};
    for (const auto& c : cases)
        EXPECT_EQ(ReadAll(Write(Patched(good, c.at, c.value))).error, c.error) << c.at;
    const Result empty = ReadAll(Write(Build(0, 4)));
    EXPECT_EQ(empty.error, "");
    EXPECT_EQ(empty.frames, 0);
}

TEST(DcdFileTest, TruncatedAndDamagedFrames) {
    Result r = ReadAll(Write(Build(5, 0).substr(0, 276 + 2 * 144 + 60)), 1);
    EXPECT_EQ(r.frames, 2);
    EXPECT_EQ(r.error, "Unexpected end of file!");
    EXPECT_EQ(ReadAll(Write(Build().substr(0, 300))).error, "Unexpected end of file!");
    r = ReadAll(Write(Patched(Build(), 276 + 144 + 48, 44))); // the Y marker of the second frame
    EXPECT_EQ(r.error, "Error reading DCD file!");
    EXPECT_EQ(r.coords[0], Value(0, 0, 0));
    EXPECT_EQ(ReadAll(ScratchPath("none.dcd")).error, "Please open the file before reading!");

    DcdFile dcd;
    int atoms, frames, size;
    float xyz[33];
    EXPECT_THROW(dcd.ReadFrame(xyz, 10, 4), VornError);
    ASSERT_TRUE(dcd.Open(Write(Build())));
    dcd.ReadHeader(atoms, frames, size);
    dcd.ReadFrame(xyz, 11, 4); // not the header's atom count
    EXPECT_EQ(dcd.ErrorText(), "Error reading DCD file!");
}

} // namespace vorn
