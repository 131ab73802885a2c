#include "encode_helpers.h"

#include "testsupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace brisklet::test {

using audio::EncoderFormat;
using audio::OutputFormat;

EncoderFormat wavFormat(int rate, int channels, int bits)
{
    EncoderFormat f;
    f.kind = OutputFormat::Wav;
    f.pcmRate = rate;
    f.pcmChannels = channels;
    f.pcmBits = bits;
    return f;
}

EncoderFormat mp3Format(const audio::LameSettings& settings)
{
    EncoderFormat f;
    f.kind = OutputFormat::Mp3;
    f.lame = settings;
    return f;
}

EncoderFormat oggFormat(int rate, int channels, int bitrate, int minimum, int maximum, int quality)
{
    EncoderFormat f;
    f.kind = OutputFormat::Ogg;
    f.oggRate = rate;
    f.oggChannels = channels;
    f.oggBitrate = bitrate;
    f.oggMinimum = minimum;
    f.oggMaximum = maximum;
    f.oggQuality = quality;
    return f;
}

EncoderFormat wmaFormat(int profile)
{
    EncoderFormat f;
    f.kind = OutputFormat::Wma;
    f.wmaProfile = profile;
    return f;
}

Encoded encodeTone(const EncoderFormat& format, const std::string& path, int64_t frames,
                   int inputRate, int inputChannels, int64_t blockFrames)
{
    auto encoder = audio::openEncoder(format, path, inputRate, inputChannels);
    Encoded out;
    out.rate = encoder->sampleRate();
    out.channels = encoder->channels();
    out.samples = makeSignal(frames, out.rate, out.channels);
    for (int64_t at = 0; at < frames; at += blockFrames) {
        int64_t n = std::min(blockFrames, frames - at);
        encoder->write(out.samples.data() + at * out.channels, n);
    }
    encoder->finish();
    return out;
}

void encodeSamples(const EncoderFormat& format, const std::string& path,
                   const std::vector<float>& samples, int rate, int channels)
{
    auto encoder = audio::openEncoder(format, path, rate, channels);
    if (encoder->sampleRate() != rate || encoder->channels() != channels)
        throw std::runtime_error("encoder format differs from the samples'");
    encoder->write(samples.data(), static_cast<int64_t>(samples.size()) / channels);
    encoder->finish();
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

StreamInfo probeStream(const std::string& path)
{
    StreamInfo info;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return info;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (index >= 0) {
            const AVCodecParameters* p = format->streams[index]->codecpar;
            info.codec = avcodec_get_name(p->codec_id);
            info.sampleRate = p->sample_rate;
            info.channels = p->ch_layout.nb_channels;
            info.bitRate = p->bit_rate > 0 ? p->bit_rate : format->bit_rate;
        }
    }
    avformat_close_input(&format);
    return info;
}

namespace {

const int Mpeg1Bitrates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int Mpeg2Bitrates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

bool isMpeg1(uint32_t header)
{
    return ((header >> 19) & 3) == 3;
}

} // namespace

int mp3HeaderBitrate(uint32_t header)
{
    int index = static_cast<int>((header >> 12) & 15);
    return isMpeg1(header) ? Mpeg1Bitrates[index] : Mpeg2Bitrates[index];
}

int mp3HeaderSampleRate(uint32_t header)
{
    static const int Rates[] = {44100, 48000, 32000, 0};
    int version = static_cast<int>((header >> 19) & 3); // 0: 2.5, 2: 2, 3: 1
    int base = Rates[(header >> 10) & 3];
    return version == 3 ? base : version == 2 ? base / 2 : base / 4;
}

int mp3HeaderMode(uint32_t header)
{
    return static_cast<int>((header >> 6) & 3);
}

bool mp3HeaderHasCrc(uint32_t header)
{
    return ((header >> 16) & 1) == 0; // the protection bit is 0 when a CRC follows
}

std::vector<uint32_t> mp3FrameHeaders(const std::string& path, int count)
{
    std::string bytes = readFileBytes(path);
    auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])); };
    size_t at = 0;
    if (bytes.compare(0, 3, "ID3") == 0 && bytes.size() > 10)
        at = 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    std::vector<uint32_t> headers;
    while (static_cast<int>(headers.size()) < count && at + 4 <= bytes.size()) {
        uint32_t header = (b(at) << 24) | (b(at + 1) << 16) | (b(at + 2) << 8) | b(at + 3);
        if ((header >> 21) != 0x7ff || mp3HeaderBitrate(header) == 0)
            break;
        headers.push_back(header);
        int perFrame = isMpeg1(header) ? 144 : 72;
        at += static_cast<size_t>(perFrame * mp3HeaderBitrate(header) * 1000 /
                                      mp3HeaderSampleRate(header) +
                                  ((header >> 9) & 1));
    }
    return headers;
}

} // namespace brisklet::test
