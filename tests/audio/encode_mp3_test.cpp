// MP3 output: gapless lengths through the LAME tag, and every kind of setting
// visibly reaching the encoder (frame headers, tag frames, rates).

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "audio/lame_command_line.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <set>

using namespace brisklet;
using namespace brisklet::test;
using audio::LameSettings;

namespace {

struct Mp3Result {
    Encoded in;
    std::vector<uint32_t> headers; // frames 2-6 (frame 1 may be the tag frame)
    std::string firstFrame;        // bytes of the first frame
};

Mp3Result encodeMp3(const LameSettings& settings, const TempDir& dir, int64_t frames = 44100)
{
    Mp3Result r;
    std::string path = dir.file("out.mp3");
    r.in = encodeTone(mp3Format(settings), path, frames);
    std::vector<uint32_t> headers = mp3FrameHeaders(path, 6);
    EXPECT_GE(headers.size(), 6u);
    if (headers.size() >= 2)
        r.headers.assign(headers.begin() + 1, headers.end());
    r.firstFrame = readFileBytes(path).substr(0, 1000);
    return r;
}

bool hasTag(const Mp3Result& r, const char* name)
{
    return r.firstFrame.find(name) != std::string::npos;
}

std::set<int> bitrates(const Mp3Result& r)
{
    std::set<int> out;
    for (uint32_t h : r.headers)
        out.insert(mp3HeaderBitrate(h));
    return out;
}

} // namespace

TEST(EncodeMp3, GaplessLengthIsExact)
{
    TempDir dir;
    struct Case {
        int rate, channels, kbps;
        int64_t frames;
    };
    for (Case c :
         {Case{44100, 2, 128, 132423}, Case{22050, 1, 64, 30001}, Case{8000, 1, 24, 16005}}) {
        SCOPED_TRACE(c.rate);
        LameSettings s;
        s.sampleRate = c.rate;
        s.channelCount = c.channels;
        s.bitrate = c.kbps;
        std::string path = dir.file("gapless.mp3");
        Encoded in = encodeTone(mp3Format(s), path, c.frames);
        ASSERT_EQ(in.rate, c.rate);
        ASSERT_EQ(in.channels, c.channels);
        EXPECT_EQ(decodeWhole(path).size(), in.samples.size());
        if (c.rate == 44100) {
            DecodedAudio independent = decodeWithFfmpeg(path);
            EXPECT_EQ(independent.frames(), c.frames);
            EXPECT_EQ(independent.channels, c.channels);
        }
        // Nothing after the audio: no ID3v1 tag is added by the encoder.
        std::string bytes = readFileBytes(path);
        EXPECT_NE(bytes.substr(bytes.size() - 128, 3), "TAG");
    }
}

TEST(EncodeMp3, BitrateModeRateAndHeaderFlagsTakeEffect)
{
    TempDir dir;
    LameSettings s;
    s.bitrate = 192;
    s.channelMode = 1; // stereo
    s.crc = -1;
    s.deEmphasis = 2; // CCITT J.17
    s.sampleRate = 32000;
    Mp3Result r = encodeMp3(s, dir);
    ASSERT_FALSE(r.headers.empty());
    EXPECT_EQ(bitrates(r), std::set<int>{192});
    EXPECT_EQ(mp3HeaderMode(r.headers[0]), 0);
    EXPECT_TRUE(mp3HeaderHasCrc(r.headers[0]));
    EXPECT_EQ(r.headers[0] & 3, 3u);
    EXPECT_EQ(mp3HeaderSampleRate(r.headers[0]), 32000);
    EXPECT_TRUE(hasTag(r, "Info")); // the CBR form of the tag frame

    s = LameSettings{};
    s.channelMode = 4; // dual channels
    r = encodeMp3(s, dir);
    ASSERT_FALSE(r.headers.empty());
    EXPECT_EQ(mp3HeaderMode(r.headers[0]), 2);
    EXPECT_FALSE(mp3HeaderHasCrc(r.headers[0]));

    s = LameSettings{};
    s.channelCount = 1;
    s.bitrate = 64;
    r = encodeMp3(s, dir);
    EXPECT_EQ(r.in.channels, 1);
    ASSERT_FALSE(r.headers.empty());
    EXPECT_EQ(mp3HeaderMode(r.headers[0]), 3);
    EXPECT_EQ(bitrates(r), std::set<int>{64});
}

TEST(EncodeMp3, VbrMethodsGiveVbrAndTheTagCanBeLeftOut)
{
    TempDir dir;
    for (int method : {0, 1, 2, 3}) {
        SCOPED_TRACE(method);
        LameSettings s;
        s.vbrMethod = method;
        s.vbrQuality = 0;
        s.vbrBitrate = 32;
        Mp3Result r = encodeMp3(s, dir, 44100 * 2);
        EXPECT_TRUE(hasTag(r, "Xing"));
        EXPECT_GT(bitrates(r).size(), 1u);
    }
    LameSettings s;
    s.vbrMethod = 2;
    s.vbrBitrate = 160;
    s.enforceMinBitrate = -1;
    EXPECT_GE(*bitrates(encodeMp3(s, dir)).begin(), 160);

    s = LameSettings{};
    s.writeVbrHeader = 0;
    Mp3Result r = encodeMp3(s, dir);
    EXPECT_FALSE(hasTag(r, "Info"));
    EXPECT_FALSE(hasTag(r, "Xing"));
}

TEST(EncodeMp3, PresetsAndAltPresets)
{
    TempDir dir;
    LameSettings s;
    s.preset = 1; // Phone: 8 kHz mono at 16 kbps
    Mp3Result r = encodeMp3(s, dir);
    EXPECT_EQ(r.in.rate, 8000);
    EXPECT_EQ(r.in.channels, 1);
    EXPECT_EQ(bitrates(r), std::set<int>{16});

    s.preset = 9; // CD: 192 kbps stereo at the configured rate
    r = encodeMp3(s, dir);
    EXPECT_EQ(r.in.rate, 44100);
    EXPECT_EQ(r.in.channels, 2);
    EXPECT_EQ(bitrates(r), std::set<int>{192});
    EXPECT_EQ(mp3HeaderMode(r.headers.at(0)), 0);

    s.preset = 11; // R3Mix is VBR
    EXPECT_TRUE(hasTag(encodeMp3(s, dir), "Xing"));

    s.preset = 0;
    s.altPreset = 2; // Standard: VBR
    EXPECT_TRUE(hasTag(encodeMp3(s, dir), "Xing"));
    s.altPreset = 5; // Insane: CBR 320
    EXPECT_EQ(bitrates(encodeMp3(s, dir)), std::set<int>{320});
}

TEST(EncodeMp3, CommandLineOverridesTheSettings)
{
    TempDir dir;
    LameSettings s;
    s.commandLine = "-b 64 --unknown-switch 3 -x";
    EXPECT_EQ(bitrates(encodeMp3(s, dir)), std::set<int>{64});

    s.commandLine = "-m m --resample 22.05";
    Mp3Result r = encodeMp3(s, dir);
    EXPECT_EQ(r.in.channels, 1);
    EXPECT_EQ(r.in.rate, 22050);
    EXPECT_EQ(mp3HeaderSampleRate(r.headers.at(0)), 22050);

    s.commandLine = "-V2 -p";
    r = encodeMp3(s, dir);
    EXPECT_TRUE(hasTag(r, "Xing"));
    EXPECT_TRUE(mp3HeaderHasCrc(r.headers.at(0)));

    s.preset = 9; // the command line wins over a preset too
    s.commandLine = "--cbr -b 96";
    EXPECT_EQ(bitrates(encodeMp3(s, dir)), std::set<int>{96});
}

TEST(EncodeMp3, UnsupportedRateIsRefusedAndOddInputRatesAreMapped)
{
    TempDir dir;
    LameSettings s;
    s.sampleRate = 12345;
    EXPECT_THROW(audio::openEncoder(mp3Format(s), dir.file("x.mp3"), 44100, 2), audio::AudioError);
    EXPECT_TRUE(folderEntries(dir.path()).empty());
    s.sampleRate = 0; // as the input; 96 kHz is beyond MPEG audio
    EXPECT_EQ(audio::openEncoder(mp3Format(s), dir.file("x.mp3"), 96000, 2)->sampleRate(), 48000);
    EXPECT_EQ(audio::openEncoder(mp3Format(s), dir.file("x.mp3"), 22050, 2)->sampleRate(), 22050);
}

TEST(LameCommandLine, ParsesLameSwitchSyntax)
{
    using audio::parseLameCommandLine;
    audio::LameCommandLine o = parseLameCommandLine("-hp -V2 -b128 --lowpass 16 --highpass 80 "
                                                    "-m j --preset fast standard \"--nores\"");
    EXPECT_EQ(o.quality, 2);
    EXPECT_EQ(o.crc, true);
    EXPECT_EQ(o.vbrQuality, 2);
    EXPECT_EQ(o.vbr, audio::LameCommandLine::Vbr::Default);
    EXPECT_EQ(o.bitrate, 128);
    EXPECT_EQ(o.lowpassHz, 16000);
    EXPECT_EQ(o.highpassHz, 80);
    EXPECT_EQ(o.mode, 'j');
    EXPECT_EQ(o.preset, STANDARD_FAST);
    EXPECT_EQ(o.reservoir, false);

    o = parseLameCommandLine("   --abr 96 --resample 44100 -e c -b");
    EXPECT_EQ(o.abrBitrate, 96);
    EXPECT_EQ(o.vbr, audio::LameCommandLine::Vbr::Abr);
    EXPECT_EQ(o.resampleHz, 44100);
    EXPECT_EQ(o.emphasis, 3);
    EXPECT_FALSE(o.bitrate); // a switch without its value is skipped

    o = parseLameCommandLine("--bogus -Q 7 -m x file.wav");
    EXPECT_FALSE(o.quality);
    EXPECT_FALSE(o.mode);
}
