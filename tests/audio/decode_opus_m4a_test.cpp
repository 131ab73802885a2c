// Opus and M4A (AAC) sources made by other programs (opusenc, ffmpeg): exact
// lengths from the files' own trimming information, samples as ffmpeg decodes
// them.
#include "read_helpers.h"
#include "tagtestfiles.h"
#include "testsupport.h"

#include "audio/audiofile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace brisklet;
using namespace brisklet::test;

namespace {

constexpr int64_t kFrames = 2 * 44100 + 77;

std::string toneWav(const TempDir& dir, int rate, int channels)
{
    const std::string path = dir.file("in.wav");
    writePcmFile(path, makeSignal(kFrames * rate / 44100, rate, channels), rate, channels);
    return path;
}

} // namespace

TEST(DecodeOpus, OpusencFilesReadTheirTrimmedLengthAsFfmpegDoes)
{
    TempDir dir;
    for (int channels : {2, 1}) {
        SCOPED_TRACE(channels);
        const std::string path = dir.file("a.opus");
        runOrFail("opusenc --quiet " + shellQuote(toneWav(dir, 44100, channels)) + " " +
                  shellQuote(path));
        auto reader = audio::createAudioFile();
        reader->OpenRead(path);
        EXPECT_EQ(reader->SampleRate(), 48000);
        EXPECT_EQ(reader->Channels(), channels);
        const std::vector<float> samples = readAll(*reader);
        // opusenc resamples 44.1 kHz itself and trims to the converted length.
        const int64_t expected = (kFrames * 48000 + 44099) / 44100;
        EXPECT_EQ(reader->TotalFrames(), expected);
        EXPECT_EQ(static_cast<int64_t>(samples.size()) / channels, expected);
        const DecodedAudio ffmpeg = decodeWithFfmpeg(path);
        ASSERT_EQ(ffmpeg.samples.size(), samples.size());
        // ffmpeg has a decoder of its own: close, not equal.
        EXPECT_LT(maxDifference(ffmpeg.samples.data(), samples.data(), samples.size()), 2e-3f);
    }
}

TEST(DecodeM4a, TheEditListGivesTheLengthAndTheDelay)
{
    TempDir dir;
    struct Case {
        int rate, channels;
        const char* options;
    };
    for (Case c : {Case{44100, 2, "-c:a aac -b:a 128k"}, Case{22050, 1, "-c:a aac -b:a 48k"},
                   Case{44100, 2, "-c:a alac"}}) {
        SCOPED_TRACE(c.options);
        const std::string path = dir.file("a.m4a");
        // A movie time scale of the sample rate makes the edit list exact.
        runOrFail("ffmpeg -v error -y -i " + shellQuote(toneWav(dir, c.rate, c.channels)) + " " +
                  c.options + " -movie_timescale " + std::to_string(c.rate) + " " +
                  shellQuote(path));
        auto reader = audio::createAudioFile();
        reader->OpenRead(path);
        EXPECT_EQ(reader->SampleRate(), c.rate);
        EXPECT_EQ(reader->Channels(), c.channels);
        const int64_t frames = kFrames * c.rate / 44100;
        EXPECT_EQ(reader->TotalFrames(), frames);
        const std::vector<float> samples = readAll(*reader);
        ASSERT_EQ(static_cast<int64_t>(samples.size()) / c.channels, frames);
        // ffmpeg drops the delay too, but keeps the padding of the last frame.
        const DecodedAudio ffmpeg = decodeWithFfmpeg(path);
        ASSERT_GE(ffmpeg.samples.size(), samples.size());
        EXPECT_EQ(maxDifference(ffmpeg.samples.data(), samples.data(), samples.size()), 0.0f);
    }
}

TEST(DecodeM4a, ItunesGaplessInformationGivesTheDelayAndTheLength)
{
    TempDir dir;
    const std::string path = dir.file("a.m4a");
    runOrFail("ffmpeg -v error -i " + shellQuote(toneWav(dir, 44100, 2)) +
              " -c:a aac -aac_pns 0 -use_editlist 0 " + shellQuote(path));
    // Stated shorter than the audio, so that only this can give the length.
    const int64_t stated = kFrames - 300;
    char smpb[80];
    std::snprintf(smpb, sizeof smpb, " 00000000 00000400 00000000 %016llX 00000000",
                  static_cast<unsigned long long>(stated));
    runMutagen(path, std::string("from mutagen.mp4 import MP4, MP4FreeForm\nf = MP4(p)\n"
                                 "f['----:com.apple.iTunes:iTunSMPB'] = [MP4FreeForm(b'") +
                         smpb + "')]\nf.save()");
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    ASSERT_EQ(reader->TotalFrames(), stated);
    const std::vector<float> samples = readAll(*reader);
    ASSERT_EQ(static_cast<int64_t>(samples.size()), stated * 2);
    // ffmpeg drops the delay by the same information and keeps the end.
    const DecodedAudio ffmpeg = decodeWithFfmpeg(path);
    ASSERT_GE(ffmpeg.samples.size(), samples.size());
    EXPECT_EQ(maxDifference(ffmpeg.samples.data(), samples.data(), samples.size()), 0.0f);
    // Positions count from the first sample after the delay.
    reader->Seek(50000, audio::SeekMode::Exact);
    const audio::SampleBlock block = reader->ReadFrames(100);
    EXPECT_TRUE(
        std::equal(block.samples().begin(), block.samples().end(), samples.begin() + 50000 * 2));
}
