// Tests of the DCD reader: byte order, precision, frame counting, unit cells and damaged files.
#include "io/DcdFile.h"

#include "core/VornError.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A generated trajectory: frames of atoms with distinct, inexact values.
struct Layout {
    int atoms = 10;
    int frames = 5;
    int frameSet = -1; // NSET written; -1 writes the frame count
    bool bigEndian = false;
    bool doubles = false;
    bool unitCell = false;
    int titleBytes = 164;
    int titleLines = 2;
};

float Value(int frame, int atom, int axis) {
    return 0.1f * static_cast<float>(frame * 100 + atom * 3 + axis) - 7.3f;
}

std::string Build(const Layout& d) {
    std::string out;
    auto put = [&](const void* p, std::size_t n) {
        std::string b(static_cast<const char*>(p), n);
        if (d.bigEndian)
            std::reverse(b.begin(), b.end());
        out += b;
    };
    auto i32 = [&](std::int32_t v) { put(&v, 4); };
    i32(84);
    out += "CORD";
    i32(d.frameSet < 0 ? d.frames : d.frameSet);
    for (int k = 0; k < 19; ++k)
        i32(k == 9 ? d.unitCell : 0); // byte 48: the unit-cell flag
    for (std::int32_t v : {84, d.titleBytes, d.titleLines})
        i32(v);
    out += std::string(80 * static_cast<std::size_t>(d.titleLines), 'T');
    for (std::int32_t v : {d.titleBytes, 4, d.atoms, 4})
        i32(v);
    const int size = d.doubles ? 8 : 4;
    for (int f = 0; f < d.frames; ++f) {
        if (d.unitCell) {
            i32(48);
            for (double cell : {50.0, 90.0, 60.0, 90.0, 90.0, 70.0})
                put(&cell, 8);
            i32(48);
        }
        for (int axis = 0; axis < 3; ++axis) {
            i32(d.atoms * size);
            for (int a = 0; a < d.atoms; ++a) {
                const float v = Value(f, a, axis);
                const double wide = v;
                d.doubles ? put(&wide, 8) : put(&v, 4);
            }
            i32(d.atoms * size);
        }
    }
    return out;
}

std::string Write(const std::string& bytes) {
    const std::string path = testing::TempDir() + "dcd_test.dcd";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void Patch(std::string& bytes, std::size_t at, std::int32_t v) {
    std::memcpy(&bytes[at], &v, 4);
}

struct Result {
    int atoms = 0, frames = 0, size = 0;
    bool swapped = false, unitCell = false;
    std::vector<float> coords; // all frames read
    std::string error;         // error text, or the message raised
};

Result ReadAll(const std::string& path, int extraFrames = 0) {
    Result r;
    DcdFile dcd;
    EXPECT_TRUE(dcd.Open(path));
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

void ExpectFrames(const Result& r, int frames) {
    ASSERT_EQ(r.coords.size(), 30u * static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f)
        for (int a = 0; a < 10; ++a)
            for (int axis = 0; axis < 3; ++axis)
                ASSERT_EQ(r.coords[30 * f + 3 * a + axis], Value(f, a, axis)) << f << " " << a;
}

// Little-endian float at a byte offset, decoded by hand.
float LittleFloat(const std::vector<unsigned char>& b, std::size_t at) {
    const std::uint32_t bits =
        b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

} // namespace

// The first two frames of a NAMD trajectory; the header still records its 100 frames.
TEST(DcdFileTest, RealTrajectoryCutToTwoFrames) {
    const std::string path = std::string(VORN_TEST_DATA) + "/dcd/adk_2frames.dcd";
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(b.size(), 80508u);
    const Result r = ReadAll(path, 1);
    EXPECT_EQ(r.atoms, 3341);
    EXPECT_EQ(r.atoms, b[268] | b[269] << 8);
    EXPECT_EQ(r.frames, 2);
    EXPECT_EQ(r.size, 4);
    EXPECT_FALSE(r.swapped || r.unitCell);
    EXPECT_EQ(r.error, "Unexpected end of file!"); // the third frame is not there
    const std::size_t record = 4 * 3341 + 8;
    for (std::size_t f : {0, 1})
        for (std::size_t atom : {0, 1, 1700, 3340})
            for (std::size_t axis = 0; axis < 3; ++axis)
                EXPECT_EQ(r.coords[f * 3 * 3341 + 3 * atom + axis],
                          LittleFloat(b, 280 + f * 3 * record + axis * record + 4 * atom));
    EXPECT_FLOAT_EQ(r.coords[0], 26.9064007f);
}

TEST(DcdFileTest, ByteOrderAndPrecisionGiveTheSameFrames) {
    for (bool big : {false, true})
        for (bool doubles : {false, true}) {
            Layout d;
            d.bigEndian = big;
            d.doubles = doubles;
            const Result r = ReadAll(Write(Build(d)));
            EXPECT_EQ(r.swapped, big);
            EXPECT_EQ(r.size, doubles ? 8 : 4);
            EXPECT_EQ(r.frames, 5);
            EXPECT_EQ(r.error, "");
            ExpectFrames(r, 5);
        }
}

TEST(DcdFileTest, FrameCountAndValueSizeFromTheLength) {
    struct Case {
        int frames, frameSet;
        bool doubles, unitCell;
        int wantFrames, wantSize;
    };
    const Case cases[] = {
        // NSET not recorded, then NSET right
        {5, 0, false, false, 5, 4},
        {5, 5, true, false, 5, 8},
        // NSET beyond the frames held: those held are read
        {5, 6, false, false, 5, 4},
        {5, 9, true, false, 5, 8},
        // NSET short of the frames: the size rule stands
        {5, 4, false, false, 4, 5},
        // unit-cell records before each frame
        {3, 3, false, true, 3, 4},
        {3, 0, false, true, 3, 4},
        {3, 3, true, true, 3, 8},
        {3, 7, true, true, 3, 8},
    };
    for (const Case& c : cases) {
        Layout d;
        d.frames = c.frames;
        d.frameSet = c.frameSet;
        d.doubles = c.doubles;
        d.unitCell = c.unitCell;
        const Result r = ReadAll(Write(Build(d)));
        SCOPED_TRACE(c.frameSet);
        EXPECT_EQ(r.frames, c.wantFrames);
        EXPECT_EQ(r.size, c.wantSize);
        EXPECT_EQ(r.unitCell, c.unitCell);
        if (c.wantSize == 4 || c.wantSize == 8) {
            EXPECT_EQ(r.error, "");
            ExpectFrames(r, c.wantFrames);
        }
    }
}

TEST(DcdFileTest, DamagedHeaders) {
    Layout titles;
    titles.titleBytes = 165;
    EXPECT_EQ(ReadAll(Write(Build(titles))).error, "Bad DCD file header");
    titles.titleBytes = 84; // one line announced, two given
    EXPECT_EQ(ReadAll(Write(Build(titles))).error, "Bad DCD file header");
    struct Case {
        std::size_t at;
        std::int32_t value;
        const char* error;
    };
    const Case cases[] = {
        {0, 85, "Corrupted DCD file header"},     {88, 80, "Corrupted DCD file header"},
        {260, 160, "Corrupted DCD file header"},  {264, 8, "Corrupted DCD file header"},
        {8, -1, "Bad DCD file header"},           {268, -5, "Bad DCD file header"},
        {268, 2000000000, "Bad DCD file header"}, {268, 11, "Bad DCD file header"},
    };
    for (const Case& c : cases) {
        std::string bytes = Build(Layout{});
        Patch(bytes, c.at, c.value);
        EXPECT_EQ(ReadAll(Write(bytes)).error, c.error) << c.at;
    }
    Layout fewer; // NSET 3 over 6 frames makes the size rule say 8, the records say 4
    fewer.frames = 6;
    fewer.frameSet = 3;
    EXPECT_EQ(ReadAll(Write(Build(fewer))).error, "Bad DCD file header");
    EXPECT_EQ(ReadAll(Write("")).error, "Unexpected end of file!");
    Layout none;
    none.frames = 0;
    none.frameSet = 4;
    const Result empty = ReadAll(Write(Build(none)));
    EXPECT_EQ(empty.error, "");
    EXPECT_EQ(empty.frames, 0);
}

TEST(DcdFileTest, TruncatedAndDamagedFrames) {
    const std::string whole = Build(Layout{});
    Layout zeroSet;
    zeroSet.frameSet = 0;
    Result r = ReadAll(Write(Build(zeroSet).substr(0, 276 + 2 * 144 + 60)), 1);
    EXPECT_EQ(r.frames, 2);
    EXPECT_EQ(r.error, "Unexpected end of file!");
    EXPECT_EQ(ReadAll(Write(whole.substr(0, 300))).error, "Unexpected end of file!");
    std::string bytes = whole;
    Patch(bytes, 276 + 144 + 48, 44); // the Y marker of the second frame
    r = ReadAll(Write(bytes));
    EXPECT_EQ(r.error, "Error reading DCD file!");
    EXPECT_EQ(r.coords[0], Value(0, 0, 0));

    DcdFile dcd;
    int atoms, frames, size;
    float xyz[33];
    EXPECT_THROW(dcd.ReadHeader(atoms, frames, size), VornError);
    try {
        dcd.ReadFrame(xyz, 10, 4);
    } catch (const VornError& e) {
        EXPECT_STREQ(e.what(), "Please open the file before reading!");
    }
    ASSERT_TRUE(dcd.Open(Write(whole)));
    dcd.ReadHeader(atoms, frames, size);
    dcd.ReadFrame(xyz, 11, 4); // not the header's atom count
    EXPECT_EQ(dcd.ErrorText(), "Error reading DCD file!");
}
