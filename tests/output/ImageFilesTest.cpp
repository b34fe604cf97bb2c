// Capture sizing and the BMP and PNG files: header bytes, row order, colour order, text chunks,
// and targets left alone when a write fails.
#include "output/ImageFiles.h"

#include "core/VornError.h"

#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <png.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <typename F>
std::string ErrorOf(F f) try {
    f();
    return "no error";
} catch (const VornError& e) {
    return e.Message();
}

// A fresh directory per test; a test that sees one entry knows no temporary was left.
struct ImageDir : ::testing::Test {
    fs::path dir = fs::temp_directory_path() /
                   ("vorn-images-" + std::to_string(getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    long EntryCount() const { return std::distance(fs::directory_iterator(dir), {}); }
};

// Every byte, padding included, differs from its neighbours, so a row or channel out of place
// shows.
DibImage Pattern(int width, int height) {
    DibImage image;
    image.width = width, image.height = height;
    image.bits.resize(size_t(image.RowBytes()) * size_t(height));
    for (size_t i = 0; i < image.bits.size(); ++i)
        image.bits[i] = std::uint8_t(i * 7 + i / 251);
    return image;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct PngContents {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    std::vector<Bytes> rows;
    std::map<std::string, std::string> texts; // uncompressed ones only
};

void ReadPngInto(png_structp png, png_infop info, std::FILE* file, PngContents& out) {
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &out.width, &out.height, &out.bitDepth, &out.colorType, &out.interlace,
                 nullptr, nullptr);
    png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 y = 0; y < out.height; ++y)
        out.rows.emplace_back(rows[y], rows[y] + png_get_rowbytes(png, info));
    png_textp text = nullptr;
    for (int i = 0, n = png_get_text(png, info, &text, nullptr); i < n; ++i)
        if (text[i].compression == PNG_TEXT_COMPRESSION_NONE)
            out.texts[text[i].key] = text[i].text;
}

PngContents ReadPng(const std::string& path) {
    PngContents out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (file && !setjmp(png_jmpbuf(png)))
        ReadPngInto(png, info, file, out);
    png_destroy_read_struct(&png, &info, nullptr);
    if (file)
        std::fclose(file);
    return out;
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
    // A window with no height keeps the wanted size instead of dividing by zero.
    EXPECT_EQ(fit(300, 200, 640, 0), "300x200");
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

TEST_F(ImageDir, BmpHeadersThenRowsAsTheyLie) {
    const DibImage image = Pattern(250, 250);
    ASSERT_EQ(image.RowBytes(), 752);
    const std::string path = Path("shot.bmp");
    std::ofstream(path) << "old contents";
    WriteBmpFile(path, image);
    const Bytes b = ReadBytes(path);
    ASSERT_EQ(b.size(), 54u + 188000u);
    const Bytes fileHeader = {'B', 'M', 0x96, 0xDE, 2, 0, 0, 0, 0, 0, 54, 0, 0, 0}; // 188,054 bytes
    const Bytes infoHeader = {40, 0,  0, 0, 250, 0, 0, 0,    250,  0, 0, 0, 1,
                              0,  24, 0, 0, 0,   0, 0, 0x60, 0xDE, 2, 0}; // 188,000 bytes of pixels
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 14), fileHeader);
    EXPECT_EQ(Bytes(b.begin() + 14, b.begin() + 38), infoHeader);
    EXPECT_EQ(Bytes(b.begin() + 38, b.begin() + 54), Bytes(16, 0)); // resolutions, colours
    EXPECT_TRUE(std::equal(image.bits.begin(), image.bits.end(), b.begin() + 54));
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(ImageDir, PngRowsTopFirstInRgbWithTextChunks) {
    const DibImage image = Pattern(3, 2); // 9 pixel bytes and 3 of padding a row
    WritePngFile(Path("shot.png"), image, "1CRN: crambin");
    const PngContents png = ReadPng(Path("shot.png"));
    ASSERT_EQ(png.width, 3u);
    ASSERT_EQ(png.height, 2u);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
    for (int y = 0; y < 2; ++y) {
        const std::uint8_t* p = image.Row(1 - y); // the last stored row is the top
        const Bytes rgb = {p[2], p[1], p[0], p[5], p[4], p[3], p[8], p[7], p[6]};
        EXPECT_EQ(png.rows[size_t(y)], rgb) << "row " << y;
    }
    const std::map<std::string, std::string> texts = {{"Title", "1CRN: crambin"},
                                                      {"Author", "Vorn"}};
    EXPECT_EQ(png.texts, texts);
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
    EXPECT_EQ(ErrorOf([&] { WritePngFile(path, truncated, "t"); }),
              "Unable to write bitmap (invalid dib)");
    EXPECT_EQ(ErrorOf([&] { WriteBmpFile(path, truncated); }),
              "Unable to write bitmap (invalid dib)");
    const Bytes kept = ReadBytes(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier picture");
    EXPECT_EQ(EntryCount(), 1);
}
