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

std::string makeSource(const TempDir& dir, Source source, int64_t frames)
{
    constexpr int kRate = 44100;
    std::vector<float> signal = makeSignal(frames, kRate, 2);
    switch (source) {
    case Source::Wav:
        writePcmFile(dir.file("s.wav"), signal, kRate, 2);
        return dir.file("s.wav");
    case Source::Flac:
        writePcmFile(dir.file("s.flac"), signal, kRate, 2);
        return dir.file("s.flac");
    case Source::Raw:
        writePcmFile(dir.file("s.raw"), signal, kRate, 2);
        return dir.file("s.raw");
    case Source::Mp3:
        writeMp3(dir.file("s.mp3"), signal, kRate, 2);
        return dir.file("s.mp3");
    case Source::Mp3Vbr: { // with CRC: the bit reservoir reaches back over several frames
        audio::LameEncoderSettings vbr;
        vbr.SetVbrMethod(2);
        vbr.SetVbrQuality(2);
        vbr.SetCrc(-1);
        auto writer = audio::createAudioFile();
        writer->AttachMp3Encoder(vbr);
        writer->SetBlockFormat(kRate, 2);
        writer->OpenWrite(dir.file("vbr.mp3"));
        writer->WriteFrames(audio::SampleBlock(2, signal));
        writer->Close();
        return dir.file("vbr.mp3");
    }
    case Source::Mp3VbrNoXing:
    case Source::Mp2: {
        const bool mp2 = source == Source::Mp2;
        writePcmFile(dir.file("in.wav"), signal, kRate, 2);
        const std::string out = dir.file(mp2 ? "s.mp2" : "noxing.mp3");
        runOrFail("ffmpeg -v error -i " + shellQuote(dir.file("in.wav")) +
                  (mp2 ? " -c:a mp2 -b:a 192k " : " -c:a libmp3lame -q:a 3 -write_xing 0 ") +
                  shellQuote(out));
        return out;
    }
    case Source::Ogg:
        writeOgg(dir.file("s.ogg"), signal, kRate, 2);
        return dir.file("s.ogg");
    case Source::Wma:
        writeWma(dir.file("s.wma"), signal, kRate, 2);
        return dir.file("s.wma");
    case Source::Opus:  // by another encoder, with its own resampler
    case Source::M4a: { // without noise substitution, whose noise a seek cannot repeat
        const bool opus = source == Source::Opus;
        writePcmFile(dir.file("in.wav"), signal, kRate, 2);
        const std::string out = dir.file(opus ? "s.opus" : "s.m4a");
        runOrFail(opus ? "opusenc --quiet " + shellQuote(dir.file("in.wav")) + " " + shellQuote(out)
                       : "ffmpeg -v error -i " + shellQuote(dir.file("in.wav")) +
                             " -c:a aac -aac_pns 0 -movie_timescale 44100 " + shellQuote(out));
        return out;
    }
    case Source::Vox:
        writeToneWav(dir.file("v.wav"), frames, 8000, 1);
        runOrFail("sox " + shellQuote(dir.file("v.wav")) + " -e oki-adpcm " +
                  shellQuote(dir.file("s.vox")));
        return dir.file("s.vox");
    }
    return {};
}

} // namespace brisklet::test
