#pragma once
// Helpers of the reading tests: sources made through the component's writers
// or the ffmpeg/sox programs, and whole decodes through the component.

#include "audio/audiofile.h"
#include "testsupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::test {

// Everything the reader delivers from its current position, in blocks of
// `blockFrames` block-format frames.
std::vector<float> readAll(audio::IAudioFile2& reader, int64_t blockFrames = 4096);
// Opens `path` and reads it whole.
std::vector<float> decodeWhole(const std::string& path, int* sampleRate = nullptr,
                               int* channels = nullptr);

// Sources written through the component's own encoders.
void writeMp3(const std::string& path, const std::vector<float>& samples, int rate, int channels,
              int kbps = 128);
void writeOgg(const std::string& path, const std::vector<float>& samples, int rate, int channels);
void writeWma(const std::string& path, const std::vector<float>& samples, int rate, int channels);

// The sources every reading test can make: `frames` stereo frames of makeSignal
// at 44.1 kHz in each format (VOX: a tone of `frames` frames at 8 kHz mono).
// Mp3Vbr has CRC, so that the bit reservoir reaches back over several frames;
// Mp3VbrNoXing has no gapless header; Opus and M4a come from other encoders
// (opusenc, ffmpeg), Opus with its own resampler.
enum class Source { Wav, Flac, Raw, Mp3, Mp3Vbr, Mp3VbrNoXing, Mp2, Ogg, Wma, Vox, Opus, M4a };
std::string makeSource(const TempDir& dir, Source source, int64_t frames);

// Runs a shell command and fails the current test when it does not succeed.
void runOrFail(const std::string& commandLine);

// Largest absolute difference between two sample runs of equal length.
float maxDifference(const float* a, const float* b, size_t count);

} // namespace brisklet::test
