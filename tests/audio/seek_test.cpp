// Seek(frame, Exact): what ReadFrames returns after it equals a full decode
// from that frame, for every format, in any order of seeks.
#include "read_helpers.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = 3 * kRate + 77;
constexpr int64_t kReadFrames = 3000;

class SeekTest : public ::testing::TestWithParam<Source> {};

TEST_P(SeekTest, ReadsAfterASeekEqualAFullDecode)
{
    TempDir dir;
    const std::string path = makeSource(dir, GetParam(), kFrames);
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    const int channels = reader->Channels();
    const std::vector<float> whole = readAll(*reader);
    const int64_t total = reader->TotalFrames();
    ASSERT_EQ(static_cast<int64_t>(whole.size()) / channels, total);

    // Out of order on purpose: backwards seeks, codec frame edges, the very end.
    for (int64_t frame :
         {total / 2, int64_t(0), int64_t(1), int64_t(1151), int64_t(1152), int64_t(1153),
          int64_t(2047), int64_t(2049), total - 2500, total - 1000, total / 3, total - 5, total}) {
        SCOPED_TRACE(frame);
        reader->Seek(frame, audio::SeekMode::Exact);
        audio::SampleBlock block = reader->ReadFrames(kReadFrames);
        const int64_t expected = std::min(kReadFrames, total - frame);
        ASSERT_EQ(block.frameCount(), expected);
        std::vector<float> want(whole.begin() + frame * channels,
                                whole.begin() + (frame + expected) * channels);
        EXPECT_EQ(block.samples(), want);
    }
}

std::string sourceName(const ::testing::TestParamInfo<Source>& param)
{
    static const char* const kNames[] = {"Wav", "Flac", "Raw", "Mp3", "Mp3Vbr", "Mp3VbrNoXing",
                                         "Mp2", "Ogg",  "Wma", "Vox", "Opus",   "M4a"};
    return kNames[static_cast<int>(param.param)];
}

INSTANTIATE_TEST_SUITE_P(AllFormats, SeekTest,
                         ::testing::Values(Source::Wav, Source::Flac, Source::Raw, Source::Mp3,
                                           Source::Mp3Vbr, Source::Mp3VbrNoXing, Source::Mp2,
                                           Source::Ogg, Source::Wma, Source::Vox, Source::Opus,
                                           Source::M4a),
                         sourceName);

TEST(Seek, BeyondTheEndGivesAnEmptyBlock)
{
    TempDir dir;
    writeToneWav(dir.file("a.wav"), 1000, kRate, 2);
    auto reader = audio::createAudioFile();
    reader->OpenRead(dir.file("a.wav"));
    reader->Seek(5000, audio::SeekMode::Exact);
    EXPECT_TRUE(reader->ReadFrames(100).empty());
    reader->Seek(990, audio::SeekMode::Exact);
    EXPECT_EQ(reader->ReadFrames(100).frameCount(), 10);
}

} // namespace
