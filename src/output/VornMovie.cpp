// Movies over FFmpeg: the codec table, the muxer and encoder set-up, frames converted from bitmap
// rows, and the temporary file that takes the target's place once the movie is complete.
#include "output/VornMovie.h"

#include "core/ReplacingFile.h"
#include "core/VornError.h"
#include "output/FfmpegLibrary.h"
#include "output/ImageFiles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace vorn {

namespace {

const char* const kSource = "VornMovie";

// FFmpeg's functions; raises when its libraries cannot be loaded.
const FfmpegFunctions& Ff() {
    const FfmpegFunctions* functions = LoadFfmpeg();
    if (!functions)
        VORN_RAISE(kSource, "Can't load the FFmpeg libraries!");
    return *functions;
}

struct CodecEntry {
    MovieCodecInfo info;
    const char* encoder;  // FFmpeg's encoder name
    AVPixelFormat pixels; // what the encoder takes; uncompressed frames follow the depth
    bool evenSides;       // 4:2:0 frames that the encoder refuses at odd sizes
};

const CodecEntry kCodecs[] = {
    {{MovieCodec::raw, "raw", "Full Frames (Uncompressed)"}, "rawvideo", AV_PIX_FMT_BGR24, false},
    {{MovieCodec::mjpeg, "mjpeg", "Motion JPEG"}, "mjpeg", AV_PIX_FMT_YUVJ420P, false},
    {{MovieCodec::mpeg4, "mpeg4", "MPEG-4 Part 2"}, "mpeg4", AV_PIX_FMT_YUV420P, false},
    {{MovieCodec::ffv1, "ffv1", "FFV1 (Lossless)"}, "ffv1", AV_PIX_FMT_BGR0, false},
    {{MovieCodec::h264, "h264", "H.264"}, "libx264", AV_PIX_FMT_YUV420P, true},
};

const CodecEntry& EntryOf(MovieCodec codec) {
    for (const CodecEntry& entry : kCodecs)
        if (entry.info.codec == codec)
            return entry;
    return kCodecs[0];
}

// FFmpeg reports through its own log; the writer reports through VornError alone.
void SilenceFfmpeg() {
    static const bool silenced = (Ff().av_log_set_level(AV_LOG_QUIET), true);
    (void)silenced;
}

const AVOutputFormat* MuxerOf(MovieContainer container) {
    return Ff().av_guess_format(container == MovieContainer::mp4 ? "mp4" : "avi", nullptr, nullptr);
}

bool Writable(const CodecEntry& entry, const AVOutputFormat* muxer) {
    if (!LoadFfmpeg())
        return false; // no codec at all without the libraries
    const AVCodec* encoder = Ff().avcodec_find_encoder_by_name(entry.encoder);
    return encoder && muxer &&
           Ff().avformat_query_codec(muxer, encoder->id, FF_COMPLIANCE_NORMAL) == 1;
}

// Uncompressed frames as a bitmap of that depth stores them.
AVPixelFormat PixelsOfDepth(int depth) {
    return depth == 16 ? AV_PIX_FMT_RGB555LE : depth == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
}

// Quality 1 to 100 as a quantiser (2 best to 31) and as an H.264 rate factor (10 to 50).
int QuantiserOf(int quality) {
    return 2 + (100 - quality) * 29 / 100;
}
int RateFactorOf(int quality) {
    return 10 + (100 - quality) * 40 / 100;
}

bool EndsWithMp4(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".mp4";
}

// FFmpeg writes through the replacing file's stream: the muxers seek back to fill in sizes.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using PacketBytes = const std::uint8_t*;
#else
using PacketBytes = std::uint8_t*;
#endif

int WriteToFile(void* file, PacketBytes bytes, int size) {
    const auto count = static_cast<std::size_t>(size);
    return std::fwrite(bytes, 1, count, static_cast<std::FILE*>(file)) == count ? size
                                                                                : AVERROR(EIO);
}

std::int64_t SeekInFile(void* file, std::int64_t offset, int whence) {
    auto* f = static_cast<std::FILE*>(file);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return -1; // not known; no muxer needs it
    if (fseeko(f, offset, whence) != 0)
        return AVERROR(errno);
    return ftello(f);
}

// 8 bits a channel cut to the 5 that a 16-bit bitmap keeps, widened again as a display shows them.
void ReduceTo555(DibImage& image) {
    for (std::uint8_t& v : image.bits)
        v = static_cast<std::uint8_t>((v & 0xF8) | (v >> 5));
}

// One bitmap row (BGR) as a row of the frame's packed pixels.
void PackRow(const std::uint8_t* bgr, int width, AVPixelFormat pixels, std::uint8_t* out) {
    if (pixels == AV_PIX_FMT_BGR24) {
        std::memcpy(out, bgr, std::size_t(width) * 3);
    } else if (pixels == AV_PIX_FMT_RGB555LE) {
        for (int x = 0; x < width; ++x, bgr += 3) {
            const unsigned v = (bgr[2] >> 3u) << 10u | (bgr[1] >> 3u) << 5u | bgr[0] >> 3u;
            *out++ = static_cast<std::uint8_t>(v);
            *out++ = static_cast<std::uint8_t>(v >> 8u);
        }
    } else { // BGRA and BGR0
        for (int x = 0; x < width; ++x, bgr += 3, out += 4) {
            std::memcpy(out, bgr, 3);
            out[3] = 255;
        }
    }
}

// Repeats the last column and row of a w × h picture into the extra column and row of a 4:2:0
// frame. The chroma planes of an odd side already reach the extra pixel.
void RepeatEdges(AVFrame* frame, int w, int h) {
    std::uint8_t* luma = frame->data[0];
    const int stride = frame->linesize[0];
    for (int y = 0; y < h; ++y)
        for (int x = w; x < frame->width; ++x)
            luma[y * stride + x] = luma[y * stride + w - 1];
    for (int y = h; y < frame->height; ++y)
        std::memcpy(luma + y * stride, luma + (h - 1) * stride,
                    static_cast<std::size_t>(frame->width));
}

} // namespace

std::vector<MovieCodecInfo> AvailableMovieCodecs(MovieContainer container) {
    if (!LoadFfmpeg())
        return {};
    SilenceFfmpeg();
    std::vector<MovieCodecInfo> codecs;
    for (const CodecEntry& entry : kCodecs)
        if (Writable(entry, MuxerOf(container)))
            codecs.push_back(entry.info);
    return codecs;
}

MovieContainer ContainerOfName(const std::string& fileName) {
    return EndsWithMp4(fileName) ? MovieContainer::mp4 : MovieContainer::avi;
}

std::string MovieFileName(const std::string& fileName) {
    return EndsWithMp4(fileName) ? fileName : WithExtension(fileName, ".avi");
}

MovieCodec DefaultMovieCodec(MovieContainer container) {
    if (container == MovieContainer::avi)
        return MovieCodec::raw;
    if (!LoadFfmpeg())
        return MovieCodec::mpeg4;
    return Writable(EntryOf(MovieCodec::h264), MuxerOf(container)) ? MovieCodec::h264
                                                                   : MovieCodec::mpeg4;
}

// The FFmpeg side of one movie. Destroying it without Finish leaves the target untouched.
class VornMovie::Writer {
public:
    ~Writer();
    void Start(const std::string& fileName, const CodecEntry& entry, int width, int height,
               int frameRate, int depth, int quality);
    void Encode(const DibImage& image, int index);
    void Finish(const std::string& fileName);

    int storedWidth = 0, storedHeight = 0;

private:
    void OpenOutput(const std::string& fileName, MovieContainer container);
    void OpenEncoder(const CodecEntry& entry, int frameRate, int quality);
    void WriteHeader(bool rawFrames);
    void SetUpConversion(int depth, bool rawFrames);
    void NewFrame();
    void WritePackets();

    ReplacingFile m_file;
    AVFormatContext* m_format = nullptr;
    AVIOContext* m_io = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;    // what the encoder is given
    SwsContext* m_toYuv = nullptr; // bitmap rows to the codec's YUV planes
    bool m_reduce = false;         // a codec gets a 16-bit movie's pictures at 5 bits a channel
    DibImage m_reduced;            // such a picture
    bool m_bottomUp = false;       // uncompressed frames keep the bitmap's row order
    int m_width = 0, m_height = 0;
};

VornMovie::Writer::~Writer() {
    const FfmpegFunctions* ff = LoadFfmpeg();
    if (!ff)
        return; // nothing of FFmpeg's was made
    ff->sws_freeContext(m_toYuv);
    ff->av_frame_free(&m_frame);
    ff->av_packet_free(&m_packet);
    ff->avcodec_free_context(&m_codec);
    ff->avformat_free_context(m_format);
    if (m_io)
        ff->av_freep(&m_io->buffer);
    ff->avio_context_free(&m_io);
    // m_file removes the temporary unless Finish committed it.
}

void VornMovie::Writer::Start(const std::string& fileName, const CodecEntry& entry, int width,
                              int height, int frameRate, int depth, int quality) {
    const MovieContainer container = ContainerOfName(fileName);
    if (!Writable(entry, MuxerOf(container)))
        VORN_RAISE(kSource, "Can't get compression format!");
    m_width = width;
    m_height = height;
    storedWidth = entry.evenSides ? width + (width & 1) : width;
    storedHeight = entry.evenSides ? height + (height & 1) : height;
    const bool rawFrames = entry.info.codec == MovieCodec::raw;
    OpenOutput(fileName, container);
    OpenEncoder(entry, frameRate, quality);
    if (rawFrames)
        m_codec->pix_fmt = PixelsOfDepth(depth);
    if (Ff().avcodec_open2(m_codec, m_codec->codec, nullptr) < 0)
        VORN_RAISE(kSource, "Can't initialize compressor!");
    WriteHeader(rawFrames);
    SetUpConversion(depth, rawFrames);
    m_packet = Ff().av_packet_alloc();
    if (!m_packet)
        VORN_RAISE(kSource, "Out of memory");
}

void VornMovie::Writer::OpenOutput(const std::string& fileName, MovieContainer container) {
    if (!m_file.Open(fileName))
        VORN_RAISE(kSource, container == MovieContainer::avi
                                ? "Error opening the AVI file. File name must end with '.avi'"
                                : "Error opening the MP4 file. File name must end with '.mp4'");
    const int bufferSize = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(Ff().av_malloc(bufferSize));
    if (buffer)
        m_io = Ff().avio_alloc_context(buffer, bufferSize, 1, m_file.File(), nullptr, WriteToFile,
                                       SeekInFile);
    if (!m_io)
        Ff().av_free(buffer);
    if (!m_io || Ff().avformat_alloc_output_context2(&m_format, MuxerOf(container), nullptr,
                                                     fileName.c_str()) < 0)
        VORN_RAISE(kSource, "Error opening the AVI stream");
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_stream = Ff().avformat_new_stream(m_format, nullptr);
    if (!m_stream)
        VORN_RAISE(kSource, "Error opening the AVI stream");
}

void VornMovie::Writer::OpenEncoder(const CodecEntry& entry, int frameRate, int quality) {
    m_codec = Ff().avcodec_alloc_context3(Ff().avcodec_find_encoder_by_name(entry.encoder));
    if (!m_codec)
        VORN_RAISE(kSource, "Couldn't make compressed AVI stream!");
    m_codec->width = storedWidth;
    m_codec->height = storedHeight;
    m_codec->time_base = {1, frameRate};
    m_codec->framerate = {frameRate, 1};
    m_codec->pix_fmt = entry.pixels;
    m_codec->gop_size = 1; // every frame a key frame
    m_codec->max_b_frames = 0;
    if (entry.pixels == AV_PIX_FMT_YUV420P || entry.pixels == AV_PIX_FMT_YUVJ420P) {
        // What swscale converts to: BT.601, full range only for JPEG.
        m_codec->colorspace = AVCOL_SPC_SMPTE170M;
        m_codec->color_range =
            entry.pixels == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    quality = std::clamp(quality, 1, 100);
    if (entry.info.codec == MovieCodec::mjpeg || entry.info.codec == MovieCodec::mpeg4) {
        m_codec->flags |= AV_CODEC_FLAG_QSCALE;
        m_codec->global_quality = FF_QP2LAMBDA * QuantiserOf(quality);
    } else if (entry.info.codec == MovieCodec::h264) {
        Ff().av_opt_set_int(m_codec->priv_data, "crf", RateFactorOf(quality), 0);
    }
}

void VornMovie::Writer::WriteHeader(bool rawFrames) {
    if (Ff().avcodec_parameters_from_context(m_stream->codecpar, m_codec) < 0)
        VORN_RAISE(kSource, "Couldn't set compressed AVI format!");
    // A bitmap of 5-5-5 pixels counts 16 bits a pixel (FFmpeg counts the 15 it uses).
    if (rawFrames && m_codec->pix_fmt == AV_PIX_FMT_RGB555LE)
        m_stream->codecpar->bits_per_coded_sample = 16;
    m_stream->time_base = m_codec->time_base;
    m_stream->avg_frame_rate = m_codec->framerate;
    AVDictionary* options = nullptr;
    // Uncompressed rows go out bottom row first, as the bitmap holds them.
    if (rawFrames)
        Ff().av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    const int result = Ff().avformat_write_header(m_format, &options);
    Ff().av_dict_free(&options);
    if (result < 0 || m_io->error)
        VORN_RAISE(kSource, "Couldn't set compressed AVI format!");
}

void VornMovie::Writer::NewFrame() {
    m_frame = Ff().av_frame_alloc();
    if (m_frame) {
        m_frame->format = m_codec->pix_fmt;
        m_frame->width = storedWidth;
        m_frame->height = storedHeight;
    }
    if (!m_frame || Ff().av_frame_get_buffer(m_frame, 0) < 0)
        VORN_RAISE(kSource, "Out of memory");
}

// RGB frames are packed here (swscale reaches RGB from RGB through YUV, which loses colour);
// swscale makes the YUV planes.
void VornMovie::Writer::SetUpConversion(int depth, bool rawFrames) {
    NewFrame();
    m_bottomUp = rawFrames;
    m_reduce = depth == 16 && !rawFrames;
    const AVPixFmtDescriptor* pixels = Ff().av_pix_fmt_desc_get(m_codec->pix_fmt);
    if (pixels->flags & AV_PIX_FMT_FLAG_RGB)
        return;
    m_toYuv = Ff().sws_getContext(m_width, m_height, AV_PIX_FMT_BGR24, m_width, m_height,
                                  m_codec->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!m_toYuv)
        VORN_RAISE(kSource, "Can't get compression format!");
}

void VornMovie::Writer::Encode(const DibImage& image, int index) {
    if (Ff().av_frame_make_writable(m_frame) < 0)
        VORN_RAISE(kSource, "Out of memory");
    const DibImage* picture = &image;
    if (m_reduce) {
        m_reduced = image;
        ReduceTo555(m_reduced);
        picture = &m_reduced;
    }
    // The bitmap's bottom row comes first: read upwards for frames stored top row first.
    if (m_toYuv) {
        const std::uint8_t* rows[1] = {picture->Row(m_height - 1)};
        const int strides[1] = {-picture->RowBytes()};
        Ff().sws_scale(m_toYuv, rows, strides, 0, m_height, m_frame->data, m_frame->linesize);
    } else {
        for (int y = 0; y < m_height; ++y)
            PackRow(picture->Row(m_bottomUp ? y : m_height - 1 - y), m_width, m_codec->pix_fmt,
                    m_frame->data[0] + std::ptrdiff_t(y) * m_frame->linesize[0]);
    }
    if (storedWidth != m_width || storedHeight != m_height)
        RepeatEdges(m_frame, m_width, m_height);
    m_frame->pts = index;
    m_frame->quality = m_codec->global_quality;
    if (Ff().avcodec_send_frame(m_codec, m_frame) < 0)
        VORN_RAISE(kSource, "Error compressing frame");
    WritePackets();
}

// Everything the encoder has ready goes to the file, each packet as one sample.
void VornMovie::Writer::WritePackets() {
    for (;;) {
        const int result = Ff().avcodec_receive_packet(m_codec, m_packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return;
        if (result < 0)
            VORN_RAISE(kSource, "Error compressing frame");
        Ff().av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        if (Ff().av_interleaved_write_frame(m_format, m_packet) < 0 || m_io->error)
            VORN_RAISE(kSource, "Can't write movie frame!");
    }
}

void VornMovie::Writer::Finish(const std::string& fileName) {
    if (Ff().avcodec_send_frame(m_codec, nullptr) < 0)
        VORN_RAISE(kSource, "Error compressing frame");
    WritePackets();
    const bool written = Ff().av_write_trailer(m_format) == 0;
    Ff().avio_flush(m_io);
    if (!written || m_io->error || !m_file.Commit())
        VORN_RAISE(kSource, "Unable to write " + fileName);
}

VornMovie::VornMovie() = default;

VornMovie::~VornMovie() = default;

void VornMovie::Open(const std::string& fileName, int width, int height, int frameRate, int depth,
                     MovieCodec codec, int quality) {
    Close();
    if (width < 1)
        VORN_RAISE(kSource, "Frame width out of bounds");
    if (height < 1)
        VORN_RAISE(kSource, "Frame height out of bounds");
    if (frameRate < 1)
        VORN_RAISE(kSource, "Frame rate out of bounds");
    if (depth != 16 && depth != 24 && depth != 32)
        VORN_RAISE(kSource, "Frame depth out of bounds");
    SilenceFfmpeg();
    m_fileName = MovieFileName(fileName);
    auto writer = std::make_unique<Writer>();
    writer->Start(m_fileName, EntryOf(codec), width, height, frameRate, depth, quality);
    m_width = width;
    m_height = height;
    m_storedWidth = writer->storedWidth;
    m_storedHeight = writer->storedHeight;
    m_frameIndex = 0;
    m_writer = std::move(writer);
}

void VornMovie::AddFrame(const DibImage& frame) {
    if (!m_writer)
        VORN_RAISE(kSource, "Invalid state");
    try {
        if (frame.width != m_width || frame.height != m_height || frame.bitsPerPixel != 24 ||
            frame.bits.size() < static_cast<std::size_t>(frame.RowBytes()) * m_height)
            VORN_RAISE(kSource, "Movie frame size does not match the movie");
        m_writer->Encode(frame, m_frameIndex);
    } catch (...) {
        Discard();
        throw;
    }
    ++m_frameIndex;
}

void VornMovie::Close() {
    // Closed whatever happens: a movie that cannot be finished is dropped.
    const std::unique_ptr<Writer> writer = std::move(m_writer);
    if (writer)
        writer->Finish(m_fileName);
}

void VornMovie::Discard() {
    m_writer.reset();
}

} // namespace vorn
