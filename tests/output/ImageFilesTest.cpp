// Capture sizing and the BMP and PNG files: header bytes, row order, colour order, text chunks,
// and targets left alone when a write fails.
#include "output/ImageFiles.h"

#include "RaisedError.h"
#include "core/VornError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

namespace vorn {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A fresh directory per test; a test that sees one entry knows no temporary was left.
struct ImageDir : ::testing::Test {
    const fs::path dir = fs::temp_directory_path() / ("vorn-images-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    long EntryCount() const { return std::distance(fs::directory_iterator(dir), {}); }
};

// Every byte, padding included, differs from its neighbours: a row or channel out of place shows.
DibImage Pattern(int width, int height) {
    DibImage image{width, height, 24, {}};
    image.bits.resize(size_t(image.RowBytes()) * size_t(height));
    for (size_t i = 0; i < image.bits.size(); ++i)
        image.bits[i] = std::uint8_t(i * 7 + i / 251);
    return image;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(CaptureSize, CapThenFitToTheClientAspectThenHalve) {
    auto fit = [](int w, int h, int cw, int ch, int limit = -1) {
        const CaptureSize s = FitCaptureSize(w, h, cw, ch, limit);
        return std::to_string(s.width) + "x" + std::to_string(s.height);
    };
    EXPECT_EQ(fit(2000, 2000, 500, 400), "1000x800");
    EXPECT_EQ(fit(300, 600, 400, 400), "300x300");
    EXPECT_EQ(fit(1000, 1000, 400, 500), "800x1000");
    EXPECT_EQ(fit(1000, 1000, 1000, 1000, 1000), "500x500"); // 750,000 bytes ≤ 1,024,000
    EXPECT_EQ(fit(1000, 1000, 1000, 1000, 100), "125x125");
    EXPECT_EQ(fit(1000, 1000, 1000, 1000, 1), "15x15"); // 675 bytes
    EXPECT_EQ(fit(300, 200, 640, 0), "300x200");        // no height: no division by zero
    // No side drops to 0: not by the aspect, the halving or a wanted size of 0.
    EXPECT_EQ(fit(1000, 1000, 2000, 1), "1000x1");
    EXPECT_EQ(fit(1000, 1000, 2000, 1, 1), "250x1");
    EXPECT_EQ(fit(0, -5, 400, 400), "1x1");
}

TEST(ImageExtension, AppendedUnlessContainedInEitherCase) {
    EXPECT_EQ(WithExtension("/tmp/shot", ".png"), "/tmp/shot.png");
    EXPECT_EQ(WithExtension("/tmp/shot.PNG", ".png"), "/tmp/shot.PNG");
    EXPECT_EQ(WithExtension("/tmp/a.png.old", ".png"), "/tmp/a.png.old");
    EXPECT_EQ(WithExtension("/tmp/shot.Png", ".png"), "/tmp/shot.Png.png");
    EXPECT_EQ(WithExtension("/tmp/shot.png", ".bmp"), "/tmp/shot.png.bmp");
}

TEST_F(ImageDir, BmpAndPngHoldTheWholePicture) {
    // BMP: 188,054 bytes, the pixels from byte 54; 250 × 250, 1 plane, 24 bits, uncompressed,
    // 188,000 bytes of pixels (rows of 752), no resolution or palette; the rows as they lie.
    const DibImage image = Pattern(250, 250);
    std::ofstream(Path("shot.bmp")) << "old contents";
    WriteBmpFile(Path("shot.bmp"), image);
    std::string b = ReadFile(Path("shot.bmp"));
    ASSERT_EQ(b.size(), 54u + 188000u);
    Bytes header = {'B', 'M', 0x96, 0xDE, 2, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0,    0,    0, 250,
                    0,   0,   0,    250,  0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  0x60, 0xDE, 2, 0};
    header.resize(54);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 54), header);
    EXPECT_TRUE(b.substr(54) == std::string(image.bits.begin(), image.bits.end()));

    // PNG: 3 × 2, 8-bit RGB, not interlaced, the top (last stored) row first, red first.
    const DibImage small = Pattern(3, 2); // 9 pixel bytes and 3 of padding a row
    WritePngFile(Path("shot.png"), small, "1CRN: crambin");
    b = ReadFile(Path("shot.png"));
    EXPECT_EQ(b.substr(12, 17), std::string("IHDR\0\0\0\3\0\0\0\2\10\2\0\0\0", 17));
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&png, b.data(), b.size()));
    png.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr));
    for (size_t k = 0; k < 18; ++k) // channel k % 3 of pixel k % 9 / 3 of row k / 9 from the top
        EXPECT_EQ(rgb.at(k), small.Row(1 - int(k / 9))[k % 9 / 3 * 3 + 2 - k % 3]) << "byte " << k;
    // Uncompressed text chunks, their length first.
    auto textChunk = [](const std::string& key, const std::string& text) {
        const std::string data = key + '\0' + text;
        return std::string{0, 0, 0, char(data.size())} + "tEXt" + data;
    };
    EXPECT_NE(b.find(textChunk("Title", "1CRN: crambin")), b.npos);
    EXPECT_NE(b.find(textChunk("Author", "Vorn")), b.npos);
    EXPECT_EQ(EntryCount(), 2);
}

TEST_F(ImageDir, FailedWritesRaiseAndLeaveTargetsAlone) {
    const std::string missing = Path("no-such-dir/shot.png");
    const std::string openError = "Unable to open " + missing + " for writing";
    EXPECT_EQ(ErrorOf([&] { WritePngFile(missing, Pattern(4, 4), "t"); }), openError);
    EXPECT_EQ(ErrorOf([&] { WriteBmpFile(missing, Pattern(4, 4)); }), openError);
    // libpng's own message comes through, and the earlier file survives whole.
    const std::string path = Path("keep.png");
    std::ofstream(path) << "earlier picture";
    EXPECT_EQ(ErrorOf([&] { WritePngFile(path, Pattern(2000000, 1), "t"); }), "Invalid IHDR data");
    DibImage truncated = Pattern(4, 4);
    truncated.bits.pop_back();
    const std::string invalid = "Unable to write bitmap (invalid dib)";
    EXPECT_EQ(ErrorOf([&] { WritePngFile(path, truncated, "t"); }), invalid);
    EXPECT_EQ(ErrorOf([&] { WriteBmpFile(path, truncated); }), invalid);
    EXPECT_EQ(ReadFile(path), "earlier picture");
    EXPECT_EQ(EntryCount(), 1);
}

} // namespace vorn
