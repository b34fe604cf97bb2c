// FFmpeg's libraries, loaded when a movie is first made rather than when the program starts.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace vorn {

// The functions the movie writer calls, with the library each comes from.
#define VORN_FFMPEG_FUNCTIONS(X)                                                                   \
    X(Util, av_dict_free)                                                                          \
    X(Util, av_dict_set)                                                                           \
    X(Util, av_frame_alloc)                                                                        \
    X(Util, av_frame_free)                                                                         \
    X(Util, av_frame_get_buffer)                                                                   \
    X(Util, av_frame_make_writable)                                                                \
    X(Util, av_free)                                                                               \
    X(Util, av_freep)                                                                              \
    X(Util, av_log_set_level)                                                                      \
    X(Util, av_malloc)                                                                             \
    X(Util, av_opt_set_int)                                                                        \
    X(Util, av_pix_fmt_desc_get)                                                                   \
    X(Scale, sws_freeContext)                                                                      \
    X(Scale, sws_getContext)                                                                       \
    X(Scale, sws_scale)                                                                            \
    X(Codec, av_packet_alloc)                                                                      \
    X(Codec, av_packet_free)                                                                       \
    X(Codec, av_packet_rescale_ts)                                                                 \
    X(Codec, avcodec_alloc_context3)                                                               \
    X(Codec, avcodec_find_encoder_by_name)                                                         \
    X(Codec, avcodec_free_context)                                                                 \
    X(Codec, avcodec_open2)                                                                        \
    X(Codec, avcodec_parameters_from_context)                                                      \
    X(Codec, avcodec_receive_packet)                                                               \
    X(Codec, avcodec_send_frame)                                                                   \
    X(Format, av_guess_format)                                                                     \
    X(Format, av_interleaved_write_frame)                                                          \
    X(Format, av_write_trailer)                                                                    \
    X(Format, avformat_alloc_output_context2)                                                      \
    X(Format, avformat_free_context)                                                               \
    X(Format, avformat_new_stream)                                                                 \
    X(Format, avformat_query_codec)                                                                \
    X(Format, avformat_write_header)                                                               \
    X(Format, avio_alloc_context)                                                                  \
    X(Format, avio_context_free)                                                                   \
    X(Format, avio_flush)

struct FfmpegFunctions {
#define VORN_FFMPEG_MEMBER(library, name) decltype(&::name) name = nullptr;
    VORN_FFMPEG_FUNCTIONS(VORN_FFMPEG_MEMBER)
#undef VORN_FFMPEG_MEMBER
};

// The functions of the FFmpeg libraries the program was built with, loaded at the first call
// (from any thread); null when a library or a function cannot be found. The libraries pull in over
// a hundred others, whose loading and set-up would otherwise delay every start by tens of
// milliseconds, movie or not.
const FfmpegFunctions* LoadFfmpeg();

} // namespace vorn
