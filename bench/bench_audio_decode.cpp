// Decode throughput per source format, as x realtime: the audio component
// (OpenRead + ReadFrames loop) next to the codec library used bare, in the same
// run on the same files. Usage: bench_audio_decode [minutes [format]] (default
// 10 minutes, every format; a format: MP3, OGG, WAV, FLAC or WMA).
#include "audio/audiofile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <mpg123.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace brisklet;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int64_t kBlockFrames = kRate; // what the split engine asks per chunk (R x Ch samples)

std::vector<float> makeSignal(int64_t frames)
{
    std::vector<float> s(static_cast<size_t>(frames * kChannels));
    uint32_t noise = 1;
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < kChannels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double n = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.05;
            double t = static_cast<double>(f) / kRate;
            s[static_cast<size_t>(f * kChannels + c)] = static_cast<float>(
                0.4 * std::sin(2 * M_PI * (220.0 * (c + 1) + 30 * std::sin(t)) * t) + n);
        }
    }
    return s;
}

void writeThroughComponent(const std::string& path, const std::vector<float>& signal,
                           const std::function<void(audio::IAudioFile2&)>& configure)
{
    auto writer = audio::createAudioFile();
    configure(*writer);
    writer->SetBlockFormat(kRate, kChannels);
    writer->OpenWrite(path);
    const int64_t frames = static_cast<int64_t>(signal.size()) / kChannels;
    for (int64_t done = 0; done < frames; done += kBlockFrames) {
        int64_t n = std::min(kBlockFrames, frames - done);
        writer->WriteFrames(audio::SampleBlock(
            kChannels, std::vector<float>(signal.begin() + done * kChannels,
                                          signal.begin() + (done + n) * kChannels)));
    }
    writer->Close();
}

void writeWithSndfile(const std::string& path, const std::vector<float>& signal, int format)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_float(f, signal.data(), static_cast<sf_count_t>(signal.size() / kChannels));
    sf_close(f);
}

// Processor time of this process in seconds: other work on a busy machine
// slows the wall clock far more than this.
double cpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Frames decoded; the time goes to `seconds`.
double timed(const std::function<int64_t()>& decode, int64_t* frames)
{
    const double start = cpuSeconds();
    *frames = decode();
    return cpuSeconds() - start;
}

int64_t decodeWithComponent(const std::string& path, double* openSeconds)
{
    const double start = cpuSeconds();
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    *openSeconds = cpuSeconds() - start;
    int64_t frames = 0;
    for (;;) {
        audio::SampleBlock block = reader->ReadFrames(kBlockFrames);
        if (block.empty())
            return frames;
        frames += block.frameCount();
    }
}

int64_t bareMpg123(const std::string& path)
{
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    mpg123_format(mh, kRate, kChannels, MPG123_ENC_FLOAT_32);
    mpg123_open(mh, path.c_str());
    std::vector<float> buffer(static_cast<size_t>(kBlockFrames * kChannels));
    int64_t frames = 0;
    for (;;) {
        size_t done = 0;
        int r = mpg123_read(mh, reinterpret_cast<unsigned char*>(buffer.data()),
                            buffer.size() * sizeof(float), &done);
        frames += static_cast<int64_t>(done / (sizeof(float) * kChannels));
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT)
            break;
    }
    mpg123_delete(mh);
    return frames;
}

int64_t bareVorbisfile(const std::string& path)
{
    OggVorbis_File vf;
    ov_fopen(path.c_str(), &vf);
    int64_t frames = 0;
    std::vector<float> interleaved(4096 * kChannels);
    for (;;) {
        float** pcm = nullptr;
        int link = 0;
        long n = ov_read_float(&vf, &pcm, 4096, &link);
        if (n <= 0)
            break;
        for (long i = 0; i < n; ++i) // interleaving is part of any useful read
            for (int c = 0; c < kChannels; ++c)
                interleaved[static_cast<size_t>(i * kChannels + c)] = pcm[c][i];
        frames += n;
    }
    ov_clear(&vf);
    return frames;
}

int64_t bareSndfile(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> buffer(static_cast<size_t>(kBlockFrames * info.channels));
    int64_t frames = 0;
    sf_count_t n;
    while ((n = sf_readf_float(f, buffer.data(), kBlockFrames)) > 0)
        frames += n;
    sf_close(f);
    return frames;
}

int64_t bareLibavcodec(const std::string& path)
{
    AVFormatContext* format = nullptr;
    avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(ctx, format->streams[stream]->codecpar);
    avcodec_open2(ctx, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int64_t frames = 0;
    std::vector<float> interleaved;
    auto drain = [&] {
        while (avcodec_receive_frame(ctx, frame) == 0) {
            // Interleaving is part of any useful read (planar float from wmav2).
            const int n = frame->nb_samples;
            const int ch = frame->ch_layout.nb_channels;
            interleaved.resize(static_cast<size_t>(n * ch));
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < ch; ++c)
                    interleaved[static_cast<size_t>(i * ch + c)] =
                        reinterpret_cast<const float*>(frame->extended_data[c])[i];
            frames += n;
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(ctx, packet) == 0)
            drain();
        av_packet_unref(packet);
    }
    avcodec_send_packet(ctx, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&ctx);
    avformat_close_input(&format);
    return frames;
}

struct Format {
    const char* name;
    const char* file;
    const char* bareName;
    int64_t (*bare)(const std::string&);
};

} // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const auto frames = static_cast<int64_t>(minutes * 60 * kRate);
    const double seconds = static_cast<double>(frames) / kRate;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "brisklet-bench-decode";
    std::filesystem::create_directories(dir);
    auto file = [&](const char* name) { return (dir / name).string(); };

    std::fprintf(stderr, "making %.1f minutes of stereo 44.1 kHz and encoding it...\n", minutes);
    const std::vector<float> signal = makeSignal(frames);
    writeWithSndfile(file("a.wav"), signal, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeWithSndfile(file("a.flac"), signal, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    audio::LameEncoderSettings mp3;
    writeThroughComponent(file("a.mp3"), signal,
                          [&](audio::IAudioFile2& w) { w.AttachMp3Encoder(mp3); });
    writeThroughComponent(file("a.ogg"), signal, [](audio::IAudioFile2& w) {
        w.SetOggFormat(kRate, kChannels, 128, 0, 0, -1);
    });
    writeThroughComponent(file("a.wma"), signal,
                          [](audio::IAudioFile2& w) { w.SetWmaProfile(10); });

    const Format formats[] = {
        {"MP3", "a.mp3", "mpg123_read", bareMpg123},
        {"OGG", "a.ogg", "ov_read_float", bareVorbisfile},
        {"WAV", "a.wav", "sf_readf_float", bareSndfile},
        {"FLAC", "a.flac", "sf_readf_float", bareSndfile},
        {"WMA", "a.wma", "libavcodec", bareLibavcodec},
    };
    std::printf(
        "%.0f s of stereo 44.1 kHz; x realtime in processor time, higher is better, best of 5\n",
        seconds);
    std::printf("%-5s %-15s %10s %12s %12s %10s\n", "fmt", "bare library", "bare", "component",
                "open incl.", "overhead");
    std::printf(
        "(component: the ReadFrames loop; open incl.: with OpenRead, which finds the exact\n"
        " length: MP3 from its LAME tag or a scan, WMA by counting packets; overhead:\n"
        " open incl. vs bare)\n");
    // Best of several runs, bare and component taking turns to go first: the
    // machine may be busy with other work.
    constexpr int kRuns = 5;
    const std::string only = argc > 2 ? argv[2] : "";
    for (const Format& f : formats) {
        if (!only.empty() && only != f.name)
            continue;
        int64_t bareFrames = 0, componentFrames = 0;
        double bareSeconds = 1e9, totalSeconds = 1e9, readSeconds = 1e9;
        auto runBare = [&] {
            bareSeconds =
                std::min(bareSeconds, timed([&] { return f.bare(file(f.file)); }, &bareFrames));
        };
        auto runComponent = [&] {
            double openSeconds = 0;
            double total = timed([&] { return decodeWithComponent(file(f.file), &openSeconds); },
                                 &componentFrames);
            totalSeconds = std::min(totalSeconds, total);
            readSeconds = std::min(readSeconds, total - openSeconds);
        };
        for (int run = 0; run < kRuns; ++run) {
            if (run % 2 == 0) {
                runBare();
                runComponent();
            } else {
                runComponent();
                runBare();
            }
        }
        std::printf("%-5s %-15s %9.0fx %11.0fx %11.0fx %+9.1f%%   (frames %lld / %lld)\n", f.name,
                    f.bareName, seconds / bareSeconds, seconds / readSeconds,
                    seconds / totalSeconds, (totalSeconds / bareSeconds - 1.0) * 100.0,
                    static_cast<long long>(bareFrames), static_cast<long long>(componentFrames));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
