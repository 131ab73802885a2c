#pragma once
// FFmpeg's functions, loaded from its libraries when a WMA or M4A file is first
// read or written. Linking them would load FFmpeg and the hundred-odd
// libraries it pulls in at every start of the programs, most of which never
// touch such a file. The libraries are the ones of the headers built against
// (their sonames come from the headers' version numbers), so each pointer has
// the type the headers declare.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <string>

namespace brisklet::audio {

// Every FFmpeg function the audio component calls.
#define BRISKLET_FFMPEG_FUNCTIONS(X)                                                               \
    X(av_channel_layout_copy)                                                                      \
    X(av_channel_layout_default)                                                                   \
    X(av_channel_layout_uninit)                                                                    \
    X(av_dict_get)                                                                                 \
    X(av_find_best_stream)                                                                         \
    X(av_frame_alloc)                                                                              \
    X(av_frame_free)                                                                               \
    X(av_frame_get_buffer)                                                                         \
    X(av_frame_make_writable)                                                                      \
    X(av_frame_unref)                                                                              \
    X(av_free)                                                                                     \
    X(av_freep)                                                                                    \
    X(av_log_set_level)                                                                            \
    X(av_malloc)                                                                                   \
    X(av_packet_alloc)                                                                             \
    X(av_packet_free)                                                                              \
    X(av_packet_rescale_ts)                                                                        \
    X(av_packet_unref)                                                                             \
    X(av_read_frame)                                                                               \
    X(av_rescale_q)                                                                                \
    X(av_seek_frame)                                                                               \
    X(av_strerror)                                                                                 \
    X(av_write_frame)                                                                              \
    X(av_write_trailer)                                                                            \
    X(avcodec_alloc_context3)                                                                      \
    X(avcodec_find_encoder)                                                                        \
    X(avcodec_flush_buffers)                                                                       \
    X(avcodec_free_context)                                                                        \
    X(avcodec_open2)                                                                               \
    X(avcodec_parameters_from_context)                                                             \
    X(avcodec_parameters_to_context)                                                               \
    X(avcodec_receive_frame)                                                                       \
    X(avcodec_receive_packet)                                                                      \
    X(avcodec_send_frame)                                                                          \
    X(avcodec_send_packet)                                                                         \
    X(avformat_alloc_output_context2)                                                              \
    X(avformat_close_input)                                                                        \
    X(avformat_find_stream_info)                                                                   \
    X(avformat_free_context)                                                                       \
    X(avformat_new_stream)                                                                         \
    X(avformat_open_input)                                                                         \
    X(avformat_write_header)                                                                       \
    X(avio_alloc_context)                                                                          \
    X(avio_context_free)                                                                           \
    X(avio_flush)                                                                                  \
    X(swr_alloc_set_opts2)                                                                         \
    X(swr_convert)                                                                                 \
    X(swr_free)                                                                                    \
    X(swr_init)

// One pointer a function, named as the function.
struct FfmpegApi {
#define BRISKLET_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
    BRISKLET_FFMPEG_FUNCTIONS(BRISKLET_FFMPEG_POINTER)
#undef BRISKLET_FFMPEG_POINTER
};

// The functions, for reading or creating `path`: loaded on the first call,
// once, whichever thread calls. When FFmpeg cannot be loaded, throws AudioError
// "cannot read <path>: FFmpeg's libavformat.so.59 could not be loaded: ..."
// ("cannot create <path>: ..." for writing).
const FfmpegApi& ffmpegToRead(const std::string& path);
const FfmpegApi& ffmpegToWrite(const std::string& path);

// The loaded functions, for code that runs only after one of the above has
// succeeded (the closers below).
const FfmpegApi& ffmpeg();

struct FormatCloser {
    void operator()(AVFormatContext* c) const { ffmpeg().avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { ffmpeg().avcodec_free_context(&c); }
};
struct ResamplerCloser {
    void operator()(SwrContext* c) const { ffmpeg().swr_free(&c); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { ffmpeg().av_packet_free(&p); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { ffmpeg().av_frame_free(&f); }
};

} // namespace brisklet::audio
