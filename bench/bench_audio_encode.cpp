// Encode throughput per output format: the audio component (through the audio
// file object, blocks in the output's own format) next to the same library
// used bare with the same settings, in the same run.
// Usage: bench_audio_encode [minutes [runs [format]]] (default 10 minutes, best
// of 3 runs, every format; a format: a part of its row name, e.g. OGG).

#include "audio/audiofile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <FLAC/stream_encoder.h>
#include <lame/lame.h>
#include <opus/opusenc.h>
#include <sndfile.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int OpusRate = 48000;
constexpr int Channels = 2;
constexpr int64_t BlockFrames = 44100; // one second per block, as the jobs use

using Samples = std::vector<float>;

Samples makeSignal(int64_t frames, int rate)
{
    Samples out(static_cast<size_t>(frames * Channels));
    uint32_t noise = 1;
    for (int64_t f = 0; f < frames; ++f) {
        double t = static_cast<double>(f) / rate;
        for (int c = 0; c < Channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double n = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.05;
            out[static_cast<size_t>(f * Channels + c)] =
                static_cast<float>(0.4 * std::sin(2 * M_PI * 440.0 * (c + 1) * t) + n);
        }
    }
    return out;
}

// Processor time of this process in seconds: other work on a busy machine
// slows the wall clock far more than this.
double cpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double seconds(const std::function<void()>& work)
{
    const double start = cpuSeconds();
    work();
    return cpuSeconds() - start;
}

void throughComponent(const Samples& s, const std::string& path, int rate,
                      const std::function<void(brisklet::audio::IAudioFile2&)>& configure)
{
    auto writer = brisklet::audio::createAudioFile();
    configure(*writer);
    writer->SetBlockFormat(rate, Channels);
    writer->OpenWrite(path);
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at < frames; at += BlockFrames) {
        auto begin = s.begin() + at * Channels;
        auto end = s.begin() + std::min(frames, at + BlockFrames) * Channels;
        writer->WriteFrames(brisklet::audio::SampleBlock(Channels, Samples(begin, end)));
    }
    writer->Close();
}

void bareWav(const Samples& s, const std::string& path)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = Channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    for (size_t at = 0; at < s.size(); at += BlockFrames * Channels)
        sf_write_float(
            f, s.data() + at,
            static_cast<sf_count_t>(std::min<size_t>(BlockFrames * Channels, s.size() - at)));
    sf_close(f);
}

void bareMp3(const Samples& s, const std::string& path)
{
    // The component's default settings, set the way the component sets them:
    // CBR 128 joint stereo, quality 5, no filters, short blocks the same in both
    // channels, bit reservoir on, LAME tag on.
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, Rate);
    lame_set_out_samplerate(lame, Rate);
    lame_set_num_channels(lame, Channels);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 128);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_disable_reservoir(lame, 0);
    lame_set_allow_diff_short(lame, 0);
    lame_set_lowpassfreq(lame, -1);
    lame_set_highpassfreq(lame, -1);
    lame_init_params(lame);
    FILE* out = std::fopen(path.c_str(), "wb");
    std::vector<unsigned char> buffer(8192 * 5 / 4 + 7200);
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at < frames; at += 8192) {
        int n = static_cast<int>(std::min<int64_t>(8192, frames - at));
        int bytes = lame_encode_buffer_interleaved_ieee_float(
            lame, s.data() + at * Channels, n, buffer.data(), static_cast<int>(buffer.size()));
        std::fwrite(buffer.data(), 1, static_cast<size_t>(bytes), out);
    }
    int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    std::fwrite(buffer.data(), 1, static_cast<size_t>(bytes), out);
    // The LAME tag over the first frame, as a gapless file needs.
    size_t tag = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
    if (tag > 0 && tag <= buffer.size() && std::fseek(out, 0, SEEK_SET) == 0)
        std::fwrite(buffer.data(), 1, tag, out);
    std::fclose(out);
    lame_close(lame);
}

void bareOgg(const Samples& s, const std::string& path)
{
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op, h1, h2, h3;
    vorbis_info_init(&vi);
    vorbis_encode_init(&vi, Channels, Rate, 128000, 128000, 128000);
    vorbis_comment_init(&vc);
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_init(&os, 1);
    FILE* out = std::fopen(path.c_str(), "wb");
    auto put = [&](const ogg_page& page) {
        std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), out);
        std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), out);
    };
    vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_stream_packetin(&os, &h3);
    while (ogg_stream_flush(&os, &og))
        put(og);
    auto drain = [&] {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og))
                    put(og);
            }
        }
    };
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at < frames; at += 4096) {
        int n = static_cast<int>(std::min<int64_t>(4096, frames - at));
        float** buffer = vorbis_analysis_buffer(&vd, n);
        for (int f = 0; f < n; ++f)
            for (int c = 0; c < Channels; ++c)
                buffer[c][f] = s[static_cast<size_t>((at + f) * Channels + c)];
        vorbis_analysis_wrote(&vd, n);
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og))
        put(og);
    std::fclose(out);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
}

void bareWma(const Samples& s, const std::string& path)
{
    AVFormatContext* fmt = nullptr;
    avformat_alloc_output_context2(&fmt, nullptr, "asf", path.c_str());
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    ctx->sample_rate = Rate;
    ctx->bit_rate = 128000;
    av_channel_layout_default(&ctx->ch_layout, Channels);
    ctx->time_base = AVRational{1, Rate};
    avcodec_open2(ctx, codec, nullptr);
    AVStream* st = avformat_new_stream(fmt, nullptr);
    st->time_base = ctx->time_base;
    avcodec_parameters_from_context(st->codecpar, ctx);
    if (avio_open(&fmt->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(fmt, nullptr) < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    AVFrame* frame = av_frame_alloc();
    frame->nb_samples = ctx->frame_size;
    frame->format = ctx->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
    av_frame_get_buffer(frame, 0);
    AVPacket* pkt = av_packet_alloc();
    auto drain = [&] {
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
            pkt->stream_index = 0;
            av_write_frame(fmt, pkt);
        }
    };
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at + ctx->frame_size <= frames; at += ctx->frame_size) {
        av_frame_make_writable(frame);
        for (int c = 0; c < Channels; ++c) {
            auto* plane = reinterpret_cast<float*>(frame->data[c]);
            for (int f = 0; f < ctx->frame_size; ++f)
                plane[f] = s[static_cast<size_t>((at + f) * Channels + c)];
        }
        frame->pts = at;
        avcodec_send_frame(ctx, frame);
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_write_trailer(fmt);
    avio_closep(&fmt->pb);
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    avformat_free_context(fmt);
}

void bareFlac(const Samples& s, const std::string& path)
{
    // Level 5, 16 bits, the component's rounding of floats to integers.
    FLAC__StreamEncoder* flac = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(flac, Channels);
    FLAC__stream_encoder_set_bits_per_sample(flac, 16);
    FLAC__stream_encoder_set_sample_rate(flac, Rate);
    FLAC__stream_encoder_set_compression_level(flac, 5);
    FLAC__stream_encoder_init_file(flac, path.c_str(), nullptr, nullptr);
    std::vector<FLAC__int32> ints(4096 * Channels);
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at < frames; at += 4096) {
        const int64_t n = std::min<int64_t>(4096, frames - at);
        for (int64_t i = 0; i < n * Channels; ++i) {
            double x = s[static_cast<size_t>(at * Channels + i)] * 32768.0;
            x = std::clamp(x, -32768.0, 32767.0);
            ints[static_cast<size_t>(i)] = static_cast<FLAC__int32>(std::lrint(x));
        }
        FLAC__stream_encoder_process_interleaved(flac, ints.data(), static_cast<uint32_t>(n));
    }
    FLAC__stream_encoder_finish(flac);
    FLAC__stream_encoder_delete(flac);
}

void bareOpus(const Samples& s, const std::string& path, int rate)
{
    // 128 kbps, complexity 10; libopusenc converts other rates than 48 kHz itself.
    OggOpusComments* comments = ope_comments_create();
    int error = 0;
    OggOpusEnc* enc = ope_encoder_create_file(path.c_str(), comments, rate, Channels, 0, &error);
    ope_encoder_ctl(enc, OPUS_SET_BITRATE(128000));
    ope_encoder_ctl(enc, OPUS_SET_COMPLEXITY(10));
    const int64_t frames = static_cast<int64_t>(s.size()) / Channels;
    for (int64_t at = 0; at < frames; at += 4096)
        ope_encoder_write_float(enc, s.data() + at * Channels,
                                static_cast<int>(std::min<int64_t>(4096, frames - at)));
    ope_encoder_drain(enc);
    ope_encoder_destroy(enc);
    ope_comments_destroy(comments);
}

} // namespace

int main(int argc, char** argv)
{
    using brisklet::audio::IAudioFile2;
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int Runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const int64_t frames = static_cast<int64_t>(minutes * 60 * Rate);
    const double audioSeconds = static_cast<double>(frames) / Rate;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "brisklet-bench-encode";
    std::filesystem::create_directories(dir);
    Samples signal = makeSignal(frames, Rate);
    Samples signal48 = makeSignal(frames * OpusRate / Rate, OpusRate);
    brisklet::audio::LameEncoderSettings mp3; // defaults: CBR 128 joint stereo

    struct Row {
        const char* name;
        std::function<void(IAudioFile2&)> configure;
        std::function<void(const Samples&, const std::string&)> bare;
        int rate = Rate; // of the blocks written
    };
    std::vector<Row> rows{
        {"WAV 16-bit", [](IAudioFile2& w) { w.SetPcmFormat(Rate, Channels, 16); }, bareWav},
        {"MP3 CBR 128", [&](IAudioFile2& w) { w.AttachMp3Encoder(mp3); }, bareMp3},
        {"OGG CBR 128", [](IAudioFile2& w) { w.SetOggFormat(Rate, Channels, 128, 0, 0, -1); },
         bareOgg},
        {"WMA 128 (10)", [](IAudioFile2& w) { w.SetWmaProfile(10); }, bareWma},
        {"FLAC 16-bit 5", [](IAudioFile2& w) { w.SetFlacFormat(16, 5); }, bareFlac},
        // From 48 kHz both encode alone; from 44.1 kHz the component converts
        // with its resampler, libopusenc with its own.
        {"Opus 128 48k", [](IAudioFile2& w) { w.SetOpusFormat(128, 10); },
         [](const Samples& s, const std::string& path) { bareOpus(s, path, OpusRate); }, OpusRate},
        {"Opus 128 44.1k", [](IAudioFile2& w) { w.SetOpusFormat(128, 10); },
         [](const Samples& s, const std::string& path) { bareOpus(s, path, Rate); }},
    };
    std::printf("%.1f minutes of %d Hz stereo; x realtime in processor time (higher is "
                "faster), best of %d\n",
                minutes, Rate, Runs);
    std::printf("%-14s %12s %12s %10s\n", "format", "component", "bare", "overhead");
    const std::string only = argc > 3 ? argv[3] : "";
    for (const Row& row : rows) {
        if (!only.empty() && std::string(row.name).find(only) == std::string::npos)
            continue;
        std::string a = (dir / "component").string(), b = (dir / "bare").string();
        const Samples& input = row.rate == Rate ? signal : signal48;
        double bare = 1e9, component = 1e9;
        // Bare and component take turns to go first.
        for (int run = 0; run < Runs; ++run) {
            double first = run % 2 == 0 ? seconds([&] { row.bare(input, b); }) : seconds([&] {
                throughComponent(input, a, row.rate, row.configure);
            });
            double second =
                run % 2 == 0 ? seconds([&] { throughComponent(input, a, row.rate, row.configure); })
                             : seconds([&] { row.bare(input, b); });
            bare = std::min(bare, run % 2 == 0 ? first : second);
            component = std::min(component, run % 2 == 0 ? second : first);
        }
        std::printf("%-14s %11.1fx %11.1fx %9.1f%%\n", row.name, audioSeconds / component,
                    audioSeconds / bare, (component / bare - 1) * 100);
        std::fflush(stdout);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
