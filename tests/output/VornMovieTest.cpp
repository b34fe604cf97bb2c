// Movies written frame by frame and read back by FFmpeg's own tools: codecs, sizes, key frames,
// row order, and targets left alone when a movie fails.
#include "output/VornMovie.h"

#include "../MovieProbe.h"
#include "../RaisedError.h"
#include "../WrittenFiles.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace vorn {

namespace {

// Blue grows to the right, green upwards, red with the frame: a frame upside down, shifted or
// repeated shows in the decoded pixels.
DibImage Gradient(int width, int height, int frame) {
    DibImage image;
    image.width = width;
    image.height = height;
    image.bits.resize(std::size_t(image.RowBytes()) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.Row(y) + 3 * x;
            p[0] = std::uint8_t(x * 255 / (width - 1));
            p[1] = std::uint8_t(y * 255 / (height - 1));
            p[2] = std::uint8_t(40 + 60 * frame);
        }
    return image;
}

// The largest and the mean difference of the decoded frames (top row first, one more column and
// row when padded) from the gradients they were made of.
std::pair<int, double> Difference(const std::string& decoded, int frames, int width, int height,
                                  bool padded = false) {
    const int storedWidth = width + padded, storedHeight = height + padded;
    if (decoded.size() != std::size_t(frames) * storedWidth * storedHeight * 3)
        return {255, 255.0};
    int largest = 0;
    double sum = 0;
    for (int f = 0; f < frames; ++f) {
        const DibImage picture = Gradient(width, height, f);
        for (int row = 0; row < height; ++row)
            for (int i = 0; i < width * 3; ++i) {
                const int at = ((f * storedHeight + row) * storedWidth) * 3 + i;
                const int d = std::abs(std::uint8_t(decoded[std::size_t(at)]) -
                                       picture.Row(height - 1 - row)[i]);
                largest = std::max(largest, d);
                sum += d;
            }
    }
    return {largest, sum / (frames * width * height * 3)};
}

class VornMovieTest : public WrittenFilesTest {
protected:
    std::string Write(const char* name, int width, int height, int depth, MovieCodec codec,
                      int frames = 3) {
        VornMovie movie;
        movie.Open(Path(name), width, height, 15, depth, codec);
        for (int f = 0; f < frames; ++f)
            movie.AddFrame(Gradient(width, height, f));
        movie.Close();
        return Path(name);
    }
};

} // namespace

TEST(VornMovieCodecs, NamesAndWhatFfmpegWritesIntoEachContainer) {
    EXPECT_EQ(MovieFileName("run"), "run.avi");
    EXPECT_EQ(MovieFileName("RUN.AVI"), "RUN.AVI");
    EXPECT_EQ(MovieFileName("run.Mp4"), "run.Mp4");
    EXPECT_EQ(ContainerOfName("run.mp4.avi"), MovieContainer::avi);
    std::string avi, mp4;
    for (const MovieCodecInfo& codec : AvailableMovieCodecs(MovieContainer::avi))
        avi += std::string(codec.key) + " ";
    for (const MovieCodecInfo& codec : AvailableMovieCodecs(MovieContainer::mp4))
        mp4 += std::string(codec.key) + " ";
    EXPECT_EQ(avi.rfind("raw mjpeg mpeg4 ffv1 ", 0), 0u) << avi;
    EXPECT_EQ(mp4.rfind("mjpeg mpeg4 ", 0), 0u) << mp4; // no raw or FFV1 frames in MP4
    EXPECT_EQ(DefaultMovieCodec(MovieContainer::mp4),
              mp4.find("h264") != std::string::npos ? MovieCodec::h264 : MovieCodec::mpeg4);
}

TEST_F(VornMovieTest, UncompressedFramesHoldTheBitmapRowsAtEachDepth) {
    for (const int depth : {16, 24, 32}) {
        SCOPED_TRACE(depth);
        const std::string name =
            Write(("raw" + std::to_string(depth) + ".avi").c_str(), 5, 3, depth, MovieCodec::raw);
        EXPECT_EQ(Probe(name), "rawvideo,5,3,3 +++");
        // depth / 8 bytes a pixel, rows padded to 4 bytes: the file holds the bitmap's rows.
        const std::string packet = std::to_string((5 * depth / 8 + 3) / 4 * 4 * 3) + "\n";
        EXPECT_EQ(CommandOutput("ffprobe -v error -show_entries packet=size -of csv=p=0 " + name),
                  packet + packet + packet);
        const int largest = Difference(DecodedBgr(name), 3, 5, 3).first;
        EXPECT_TRUE(depth == 16 ? largest > 0 && largest < 8 : largest == 0) << largest;
    }
}

TEST_F(VornMovieTest, EveryCodecWritesKeyFramesThatDecodeToThePicture) {
    const char* const ffmpegNames[] = {"rawvideo", "mjpeg", "mpeg4", "ffv1", "h264"};
    for (const char* extension : {".avi", ".mp4"})
        for (const MovieCodecInfo& codec : AvailableMovieCodecs(ContainerOfName(extension))) {
            const std::string name =
                Write((codec.key + std::string(extension)).c_str(), 33, 17, 24, codec.codec);
            // Odd sides: H.264's 4:2:0 frames take one more column and row.
            const bool padded = codec.codec == MovieCodec::h264;
            EXPECT_EQ(Probe(name), std::string(ffmpegNames[int(codec.codec)]) +
                                       (padded ? ",34,18,3 +++" : ",33,17,3 +++"));
            const bool lossless = codec.codec == MovieCodec::raw || codec.codec == MovieCodec::ffv1;
            // Lossy codecs stay within a few levels; a picture upside down is some 80 off.
            EXPECT_LE(Difference(DecodedBgr(name), 3, 33, 17, padded).second, lossless ? 0.0 : 8.0)
                << name;
        }
}

TEST_F(VornMovieTest, RefusalsAndFailuresLeaveTheTargetAsItWas) {
    const std::string old = Path("old.avi");
    std::ofstream(old) << "old";
    VornMovie movie;
    const MovieCodec raw = MovieCodec::raw;
    EXPECT_EQ(ErrorOf([&] { movie.Open(old, 0, 0, 0, 8, raw); }), "Frame width out of bounds");
    EXPECT_EQ(ErrorOf([&] { movie.Open(old, 1, 0, 0, 8, raw); }), "Frame height out of bounds");
    EXPECT_EQ(ErrorOf([&] { movie.Open(old, 1, 1, 0, 8, raw); }), "Frame rate out of bounds");
    EXPECT_EQ(ErrorOf([&] { movie.Open(old, 1, 1, 1, 8, raw); }), "Frame depth out of bounds");
    EXPECT_EQ(ErrorOf([&] { movie.AddFrame(Gradient(2, 2, 0)); }), "Invalid state");
    EXPECT_EQ(ErrorOf([&] { Write("missing/m.avi", 8, 8, 24, raw); }),
              "Error opening the AVI file. File name must end with '.avi'");
    movie.Open(old, 8, 8, 15, 24, raw); // a frame of another size drops the movie
    movie.AddFrame(Gradient(8, 8, 0));
    EXPECT_EQ(ErrorOf([&] { movie.AddFrame(Gradient(8, 9, 0)); }),
              "Movie frame size does not match the movie");
    EXPECT_FALSE(movie.IsOpen());
    {
        VornMovie unfinished; // destroyed before Close
        unfinished.Open(old, 8, 8, 15, 24, MovieCodec::mjpeg);
        unfinished.AddFrame(Gradient(8, 8, 0));
    }
    // A full disk: the file may not grow past 64 KB.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64 * 1024, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string full = ErrorOf([&] { Write("old.avi", 64, 64, 24, MovieCodec::raw, 8); });
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(full == "Can't write movie frame!" || full == "Unable to write " + old) << full;
    EXPECT_EQ(ReadText(old), "old");
    EXPECT_EQ(Entries(), 1u); // no temporary left beside it
    Write("old.avi", 8, 8, 24, MovieCodec::raw, 2);
    EXPECT_EQ(Probe(old), "rawvideo,8,8,2 ++");
}

} // namespace vorn
