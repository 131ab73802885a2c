#include "read_helpers.h"

#include "testsupport.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace brisklet::test {

namespace {

void writeWith(const std::string& path, const std::vector<float>& samples, int rate, int channels,
               const std::function<void(audio::IAudioFile2&)>& configure)
{
    auto writer = audio::createAudioFile();
    configure(*writer);
    writer->SetBlockFormat(rate, channels);
    writer->OpenWrite(path);
    writer->WriteFrames(audio::SampleBlock(channels, samples));
    writer->Close();
}

} // namespace

std::vector<float> readAll(audio::IAudioFile2& reader, int64_t blockFrames)
{
    std::vector<float> all;
    // A cap far above any test file, so that a reader that never ends fails.
    for (int blocks = 0; blocks < 100000; ++blocks) {
        audio::SampleBlock block = reader.ReadFrames(blockFrames);
        if (block.empty())
            return all;
        all.insert(all.end(), block.samples().begin(), block.samples().end());
    }
    ADD_FAILURE() << "the reader did not end";
    return all;
}

std::vector<float> decodeWhole(const std::string& path, int* sampleRate, int* channels)
{
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    if (sampleRate)
        *sampleRate = reader->SampleRate();
    if (channels)
        *channels = reader->Channels();
    return readAll(*reader);
}

void writeMp3(const std::string& path, const std::vector<float>& samples, int rate, int channels,
              int kbps)
{
    audio::LameEncoderSettings settings;
    settings.SetBitrate(kbps);
    settings.SetChannelCount(channels);
    writeWith(path, samples, rate, channels,
              [&](audio::IAudioFile2& w) { w.AttachMp3Encoder(settings); });
}

void writeOgg(const std::string& path, const std::vector<float>& samples, int rate, int channels)
{
    writeWith(path, samples, rate, channels,
              [&](audio::IAudioFile2& w) { w.SetOggFormat(rate, channels, 128, 0, 0, -1); });
}

void writeWma(const std::string& path, const std::vector<float>& samples, int rate, int channels)
{
    writeWith(path, samples, rate, channels, [](audio::IAudioFile2& w) { w.SetWmaProfile(10); });
}

void runOrFail(const std::string& commandLine)
{
    CommandResult result = runCommand(commandLine);
    ASSERT_EQ(result.exitCode, 0) << commandLine << "\n" << result.output;
}

float maxDifference(const float* a, const float* b, size_t count)
{
    float worst = 0.0f;
    for (size_t i = 0; i < count; ++i)
        worst = std::fmax(worst, std::fabs(a[i] - b[i]));
    return worst;
}

} // namespace brisklet::test
