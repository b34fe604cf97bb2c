// Writes movies of captured pictures through FFmpeg: AVI files (or MP4, by the name's extension)
// whose every frame is a key frame, put in place of their target only once complete.
#pragma once

#include "output/DibImage.h"

#include <memory>
#include <string>
#include <vector>

namespace vorn {

enum class MovieCodec { raw, mjpeg, mpeg4, ffv1, h264 };
enum class MovieContainer { avi, mp4 };

struct MovieCodecInfo {
    MovieCodec codec;
    const char* key;   // the name vorn-cli takes: "raw", "mjpeg", "mpeg4", "ffv1", "h264"
    const char* label; // what a codec list shows: "Full Frames (Uncompressed)", ...
};

// The codecs this machine's FFmpeg can write into the container, in the order a list shows them
// (uncompressed frames first for AVI; MP4 has none).
std::vector<MovieCodecInfo> AvailableMovieCodecs(MovieContainer container);
// MP4 for a name ending in ".mp4" in any case, else AVI.
MovieContainer ContainerOfName(const std::string& fileName);
// The name a movie is written to: an MP4 name as it is; any other gets ".avi" appended unless it
// contains ".avi" or ".AVI".
std::string MovieFileName(const std::string& fileName);
// Uncompressed frames for AVI; H.264 for MP4 where the encoder exists, else MPEG-4.
MovieCodec DefaultMovieCodec(MovieContainer container);

// Quality of the lossy codecs, 1 (smallest) to 100 (best); raw and FFV1 frames are lossless.
constexpr int kDefaultMovieQuality = 90;

// One movie being written. Open, AddFrame for every frame, Close. The frames go to a temporary
// file beside the target, which Close renames over the target: until then an older file of that
// name is untouched. Every VornError (source "VornMovie") discards the movie and leaves the writer
// closed, as does destruction without Close.
class VornMovie {
public:
    VornMovie();
    ~VornMovie();
    VornMovie(const VornMovie&) = delete;
    VornMovie& operator=(const VornMovie&) = delete;

    // Starts a movie of width × height pixels at frameRate frames per second. depth (16, 24 or
    // 32 bits per pixel) is the colour depth of the frames: uncompressed frames are stored at it
    // (RGB 5-5-5, BGR, BGRA), a codec is given pictures reduced to it. A writer that is open is
    // closed first (the movie it held is completed).
    void Open(const std::string& fileName, int width, int height, int frameRate, int depth,
              MovieCodec codec, int quality = kDefaultMovieQuality);
    // Appends a 24-bit picture of the movie's width and height as the next frame.
    void AddFrame(const DibImage& frame);
    // Finishes the movie and puts it in place of the target. Nothing happens when closed.
    void Close();
    // Drops the movie being written; the target stays as it was.
    void Discard();

    bool IsOpen() const { return m_writer != nullptr; }
    // The file the movie goes to (MovieFileName of the name given to Open), of the last movie
    // after Close, as are the sizes and the count.
    const std::string& FileName() const { return m_fileName; }
    int FramesWritten() const { return m_frameIndex; }
    // The size of the stored frames: the movie's size, except that H.264 stores an odd side one
    // pixel larger, repeating the last column or row.
    int StoredWidth() const { return m_storedWidth; }
    int StoredHeight() const { return m_storedHeight; }

private:
    class Writer;
    std::unique_ptr<Writer> m_writer;
    std::string m_fileName;
    int m_width = 0, m_height = 0;
    int m_storedWidth = 0, m_storedHeight = 0;
    int m_frameIndex = 0; // of the next frame
};

} // namespace vorn
