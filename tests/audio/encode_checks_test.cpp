// The MP3 and OGG format checks, and that what they accept really encodes.

#include "encode_helpers.h"
#include "testsupport.h"

#include "audio/audiofile.h"

#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

TEST(CheckMp3Format, FollowsTheBitrateTableOfEachMpegVersion)
{
    // channel mode 1 mono ... 5 dual channels
    EXPECT_TRUE(audio::checkMp3Format(44100, 128, 2));
    EXPECT_TRUE(audio::checkMp3Format(44100, 128, 1));
    EXPECT_TRUE(audio::checkMp3Format(48000, 320, 5));
    EXPECT_TRUE(audio::checkMp3Format(32000, 32, 3));
    EXPECT_TRUE(audio::checkMp3Format(22050, 160, 4));
    EXPECT_TRUE(audio::checkMp3Format(16000, 8, 2));
    EXPECT_TRUE(audio::checkMp3Format(8000, 64, 2));
    EXPECT_TRUE(audio::checkMp3Format(11025, 8, 1));

    EXPECT_FALSE(audio::checkMp3Format(8000, 320, 2)); // MPEG-2.5 ends at 64
    EXPECT_FALSE(audio::checkMp3Format(8000, 80, 2));
    EXPECT_FALSE(audio::checkMp3Format(22050, 192, 2)); // MPEG-2 ends at 160
    EXPECT_FALSE(audio::checkMp3Format(44100, 16, 2));  // MPEG-1 starts at 32
    EXPECT_FALSE(audio::checkMp3Format(44100, 100, 2)); // not a table step
    EXPECT_FALSE(audio::checkMp3Format(96000, 128, 2));
    EXPECT_FALSE(audio::checkMp3Format(44100, 128, 0));
    EXPECT_FALSE(audio::checkMp3Format(44100, 128, 6));
}

TEST(CheckMp3Format, AcceptedCombinationsEncodeAtThatRateAndBitrate)
{
    TempDir dir;
    for (auto [rate, kbps] : {std::pair{48000, 32}, {24000, 144}, {12000, 40}}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(audio::checkMp3Format(rate, kbps, 2));
        audio::LameSettings s;
        s.sampleRate = rate;
        s.bitrate = kbps;
        std::string path = dir.file("check.mp3");
        encodeTone(mp3Format(s), path, rate / 2);
        std::vector<uint32_t> headers = mp3FrameHeaders(path, 3);
        ASSERT_EQ(headers.size(), 3u);
        EXPECT_EQ(mp3HeaderSampleRate(headers[2]), rate);
        EXPECT_EQ(mp3HeaderBitrate(headers[2]), kbps);
    }
}

TEST(CheckOggFormat, AsksTheVorbisEncoder)
{
    EXPECT_TRUE(audio::checkOggFormat(44100, 2, 128, 0, 0));
    EXPECT_TRUE(audio::checkOggFormat(44100, 1, 64, 0, 0));
    EXPECT_TRUE(audio::checkOggFormat(8000, 2, 32, 0, 0));
    EXPECT_TRUE(audio::checkOggFormat(44100, 2, 128, 64, 192));
    EXPECT_TRUE(audio::checkOggFormat(44100, 2, 0, 64, 192)); // VBR without a nominal rate

    EXPECT_FALSE(audio::checkOggFormat(8000, 2, 320, 0, 0));
    EXPECT_FALSE(audio::checkOggFormat(48000, 2, 8, 0, 0));
    EXPECT_FALSE(audio::checkOggFormat(96000, 2, 128, 0, 0));
    EXPECT_FALSE(audio::checkOggFormat(8000, 2, 320, 256, 320));
    EXPECT_FALSE(audio::checkOggFormat(44100, 3, 128, 0, 0));
    EXPECT_FALSE(audio::checkOggFormat(44100, 2, 0, 0, 0));
}

TEST(CheckFormats, ThroughTheAudioFile)
{
    auto file = audio::createAudioFile();
    EXPECT_TRUE(file->CheckMp3Format(44100, 128, 2));
    EXPECT_FALSE(file->CheckMp3Format(8000, 320, 2));
    EXPECT_TRUE(file->CheckOggFormat(44100, 2, 128, 0, 0));
    EXPECT_FALSE(file->CheckOggFormat(8000, 2, 320, 0, 0));
}
