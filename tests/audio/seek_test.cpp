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

enum class Source { Wav, Flac, Raw, Mp3, Mp3Vbr, Mp3VbrNoXing, Mp2, Ogg, Wma, Vox, Opus, M4a };

std::string makeSource(const TempDir& dir, Source source)
{
    std::vector<float> signal = makeSignal(kFrames, kRate, 2);
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
        writeToneWav(dir.file("v.wav"), kFrames, 8000, 1);
        runOrFail("sox " + shellQuote(dir.file("v.wav")) + " -e oki-adpcm " +
                  shellQuote(dir.file("s.vox")));
        return dir.file("s.vox");
    }
    return {};
}

class SeekTest : public ::testing::TestWithParam<Source> {};

TEST_P(SeekTest, ReadsAfterASeekEqualAFullDecode)
{
    TempDir dir;
    const std::string path = makeSource(dir, GetParam());
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
