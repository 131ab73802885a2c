#pragma once
// Helpers of the reading tests: sources made through the component's writers
// or the ffmpeg/sox programs, and whole decodes through the component.

#include "audio/audiofile.h"

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

// Runs a shell command and fails the current test when it does not succeed.
void runOrFail(const std::string& commandLine);

// Largest absolute difference between two sample runs of equal length.
float maxDifference(const float* a, const float* b, size_t count);

} // namespace brisklet::test
