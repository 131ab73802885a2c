#pragma once
// Helpers of the writing tests: outputs made through openEncoder directly.

#include "audio/encoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::test {

audio::EncoderFormat wavFormat(int rate, int channels, int bits);
audio::EncoderFormat mp3Format(const audio::LameSettings& settings = {});
audio::EncoderFormat oggFormat(int rate, int channels, int bitrate, int minimum = 0,
                               int maximum = 0, int quality = -1);
audio::EncoderFormat wmaFormat(int profile);
audio::EncoderFormat flacFormat(int bits, int level = 5);
audio::EncoderFormat opusFormat(int bitrate, int complexity = 10);

struct Encoded {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples; // what was written, interleaved
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
};

// Writes `frames` frames of makeSignal() in the encoder's own rate and channel
// count, in blocks of `blockFrames`, and finishes the output.
Encoded encodeTone(const audio::EncoderFormat& format, const std::string& path, int64_t frames,
                   int inputRate = 44100, int inputChannels = 2, int64_t blockFrames = 4096);
// Writes the given samples (in the encoder's format) and finishes.
void encodeSamples(const audio::EncoderFormat& format, const std::string& path,
                   const std::vector<float>& samples, int rate, int channels);

// What FFmpeg's demuxer reports for the first audio stream, read in-process
// (much quicker than running ffprobe for each value).
struct StreamInfo {
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    int64_t bitRate = 0; // bits per second, as the container or stream header says
};
StreamInfo probeStream(const std::string& path);

// Every file name in a folder, hidden ones included.
std::vector<std::string> folderEntries(const std::string& folder);

// The 4-byte headers of the first `count` MPEG audio frames (after any ID3v2
// tag), following the frame lengths the headers give.
std::vector<uint32_t> mp3FrameHeaders(const std::string& path, int count);
// Fields of a Layer III frame header.
int mp3HeaderBitrate(uint32_t header);    // kbps
int mp3HeaderSampleRate(uint32_t header); // Hz
int mp3HeaderMode(uint32_t header);       // 0 stereo, 1 joint, 2 dual, 3 mono
bool mp3HeaderHasCrc(uint32_t header);

} // namespace brisklet::test
