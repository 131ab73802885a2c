// Writing through the audio file object: block format conversion into the
// output format, MP3 settings attached, replacement at Close.

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audiofile.h"

#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

TEST(EncodeThroughAudioFile, StereoBlocksIntoAnEightKilohertzMonoWav)
{
    TempDir dir;
    std::string path = dir.file("small.wav");
    auto writer = audio::createAudioFile();
    writer->SetPcmFormat(8000, 1, 16);
    writer->SetBlockFormat(44100, 2);
    writer->OpenWrite(path);
    std::vector<float> tone = makeSignal(44100 * 2, 44100, 2, 300.0);
    for (size_t at = 0; at < tone.size(); at += 4410 * 2)
        writer->WriteFrames(audio::SampleBlock(
            2, std::vector<float>(tone.begin() + static_cast<long>(at),
                                  tone.begin() + static_cast<long>(at + 4410 * 2))));
    writer->Close();
    int rate = 0, channels = 0;
    std::vector<float> back = decodeWhole(path, &rate, &channels);
    EXPECT_EQ(rate, 8000);
    EXPECT_EQ(channels, 1);
    EXPECT_NEAR(static_cast<double>(back.size()), 16000.0, 2.0);
    DecodedAudio independent = decodeWithFfmpeg(path);
    EXPECT_EQ(independent.sampleRate, 8000);
    EXPECT_EQ(independent.channels, 1);
}

TEST(EncodeThroughAudioFile, Mp3SettingsApplyAndTheOldFileStaysUntilClose)
{
    TempDir dir;
    std::string path = dir.file("song.mp3");
    writeFileBytes(path, "previous song");
    audio::LameEncoderSettings settings;
    settings.SetChannelCount(1);
    settings.SetBitrate(96);
    settings.SetSampleRate(22050);
    auto writer = audio::createAudioFile();
    writer->AttachMp3Encoder(settings);
    writer->SetBlockFormat(44100, 2);
    writer->OpenWrite(path);
    writer->WriteFrames(audio::SampleBlock(2, makeSignal(44100, 44100, 2)));
    EXPECT_EQ(readFileBytes(path), "previous song");
    writer->Close();
    std::vector<uint32_t> headers = mp3FrameHeaders(path, 3);
    ASSERT_EQ(headers.size(), 3u);
    EXPECT_EQ(mp3HeaderSampleRate(headers[2]), 22050);
    EXPECT_EQ(mp3HeaderBitrate(headers[2]), 96);
    EXPECT_EQ(mp3HeaderMode(headers[2]), 3);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"song.mp3"});
}
