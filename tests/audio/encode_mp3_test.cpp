// MP3 output: gapless lengths through the LAME tag, and every kind of setting
// visibly reaching the encoder (frame headers, tag frames, rates).

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "audio/lame_command_line.h"
#include "audio/lame_setup.h"
#include "audio/mp3_info_frame.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <memory>
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

namespace {

// Frames mpg123 writes with its gapless trimming.
int64_t mpg123Frames(const std::string& path, int channels)
{
    const std::string wav = path + ".mpg123.wav";
    CommandResult r =
        runCommand("mpg123 -q --gapless -w " + shellQuote(wav) + " " + shellQuote(path));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return static_cast<int64_t>(readPcmFile(wav).size()) / channels;
}

} // namespace

// Every MP3 written decodes to its exact length in this program, mpg123 and
// ffmpeg; at 8-48 kbps the tag frame has a larger bitrate than the stream.
TEST(EncodeMp3, GaplessLengthIsExact)
{
    TempDir dir;
    struct Case {
        int rate, channels, kbps;
        int64_t frames;
        int vbrMethod = -1;
    };
    for (Case c : {Case{44100, 2, 128, 132423}, Case{22050, 1, 64, 30001}, Case{8000, 1, 24, 16005},
                   Case{44100, 2, 0, 88977, 2}, Case{32000, 1, 0, 40001, 0},
                   Case{8000, 1, 8, 16005}, Case{11025, 2, 32, 22051}, Case{22050, 2, 24, 22049},
                   Case{44100, 2, 32, 44101}, Case{48000, 1, 48, 48003}}) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " ch, " +
                     std::to_string(c.kbps) + " kbps, VBR method " + std::to_string(c.vbrMethod));
        LameSettings s;
        s.sampleRate = c.rate;
        s.channelCount = c.channels;
        s.bitrate = c.kbps;
        s.vbrMethod = c.vbrMethod;
        std::string path = dir.file("gapless.mp3");
        Encoded in = encodeTone(mp3Format(s), path, c.frames);
        ASSERT_EQ(in.rate, c.rate);
        ASSERT_EQ(in.channels, c.channels);
        EXPECT_EQ(decodeWhole(path).size(), in.samples.size());
        EXPECT_EQ(mpg123Frames(path, c.channels), c.frames);
        DecodedAudio independent = decodeWithFfmpeg(path);
        EXPECT_EQ(independent.frames(), c.frames);
        EXPECT_EQ(independent.channels, c.channels);
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

namespace {

// A LAME encoder set up from the settings as the MP3 writer does it.
struct ConfiguredLame {
    std::unique_ptr<lame_global_flags, decltype(&lame_close)> lame{lame_init(), lame_close};
    explicit ConfiguredLame(const LameSettings& s, int inputRate = 44100)
    {
        audio::LameCommandLine options = audio::parseLameCommandLine(s.commandLine);
        audio::applyLameSettings(lame.get(), s, options,
                                 audio::lameStreamFormat(s, options, inputRate, 2));
    }
    lame_global_flags* get() const { return lame.get(); }
};

} // namespace

TEST(EncodeMp3, EveryDetailedSettingReachesLame)
{
    LameSettings s;
    s.quality = 2;
    s.vbrMethod = 3;
    s.vbrQuality = 1;
    s.vbrBitrate = 96;
    s.enforceMinBitrate = -1;
    s.channelMode = 3; // forced joint stereo
    s.writeVbrHeader = 0;
    s.bitReservoir = 0;
    s.allowDiffBlockTypes = 0;
    s.shortBlocks = -1;
    s.deEmphasis = 1;
    s.strictIso = -1;
    s.athMode = 2;
    s.lowpassFrequency = 15000;
    s.lowpassWidth = 900;
    s.highpassFrequency = 120;
    s.highpassWidth = 40;
    s.crc = -1;
    s.sampleRate = 32000;
    {
        ConfiguredLame lame(s);
        EXPECT_EQ(lame_get_quality(lame.get()), 2);
        EXPECT_EQ(lame_get_VBR(lame.get()), vbr_mtrh);
        EXPECT_EQ(lame_get_VBR_q(lame.get()), 1);
        EXPECT_EQ(lame_get_VBR_min_bitrate_kbps(lame.get()), 96);
        EXPECT_EQ(lame_get_VBR_hard_min(lame.get()), 1);
        EXPECT_EQ(lame_get_mode(lame.get()), JOINT_STEREO);
        EXPECT_EQ(lame_get_force_ms(lame.get()), 1);
        EXPECT_EQ(lame_get_bWriteVbrTag(lame.get()), 0);
        EXPECT_EQ(lame_get_disable_reservoir(lame.get()), 1);
        EXPECT_EQ(lame_get_allow_diff_short(lame.get()), 0); // short blocks coupled
        EXPECT_EQ(lame_get_no_short_blocks(lame.get()), 0);
        EXPECT_EQ(lame_get_emphasis(lame.get()), 1);
        EXPECT_EQ(lame_get_strict_ISO(lame.get()), 1);
        EXPECT_EQ(lame_get_noATH(lame.get()), 1);
        EXPECT_EQ(lame_get_ATHonly(lame.get()), 0);
        EXPECT_EQ(lame_get_lowpassfreq(lame.get()), 15000);
        EXPECT_EQ(lame_get_lowpasswidth(lame.get()), 900);
        EXPECT_EQ(lame_get_highpassfreq(lame.get()), 120);
        EXPECT_EQ(lame_get_highpasswidth(lame.get()), 40);
        EXPECT_EQ(lame_get_error_protection(lame.get()), 1);
        EXPECT_EQ(lame_get_in_samplerate(lame.get()), 32000);
        EXPECT_EQ(lame_get_out_samplerate(lame.get()), 32000);
        EXPECT_EQ(lame_get_num_channels(lame.get()), 2);
        EXPECT_EQ(lame_init_params(lame.get()), 0);
    }

    s.vbrMethod = -1;
    s.bitrate = 224;
    s.allowDiffBlockTypes = -1;
    s.athMode = 1;
    s.deEmphasis = 2;
    s.channelMode = 4;
    s.lowpassFrequency = -1;
    s.highpassFrequency = -1;
    {
        ConfiguredLame lame(s);
        EXPECT_EQ(lame_get_VBR(lame.get()), vbr_off);
        EXPECT_EQ(lame_get_brate(lame.get()), 224);
        EXPECT_EQ(lame_get_allow_diff_short(lame.get()), 1);
        EXPECT_EQ(lame_get_ATHonly(lame.get()), 1);
        EXPECT_EQ(lame_get_emphasis(lame.get()), 3); // CCITT J.17
        EXPECT_EQ(lame_get_mode(lame.get()), DUAL_CHANNEL);
        EXPECT_EQ(lame_get_lowpassfreq(lame.get()), -1);
        EXPECT_EQ(lame_get_highpassfreq(lame.get()), -1);
    }

    s.vbrMethod = 1;
    s.shortBlocks = 0;
    s.athMode = 3;
    s.channelMode = 1;
    s.channelCount = 1;
    {
        ConfiguredLame lame(s);
        EXPECT_EQ(lame_get_VBR(lame.get()), vbr_rh);
        EXPECT_EQ(lame_get_no_short_blocks(lame.get()), 1);
        EXPECT_EQ(lame_get_ATHshort(lame.get()), 1);
        EXPECT_EQ(lame_get_num_channels(lame.get()), 1);
        EXPECT_EQ(lame_get_mode(lame.get()), MONO);
    }
}

TEST(EncodeMp3, PresetsSetTheirVbrModeAndQuality)
{
    LameSettings s;
    s.preset = 11; // R3Mix: LAME's own preset, V3
    {
        ConfiguredLame lame(s);
        EXPECT_EQ(lame_get_VBR(lame.get()), vbr_mtrh);
        EXPECT_EQ(lame_get_VBR_q(lame.get()), 3);
    }
    s.preset = 0;
    for (auto [alt, quality] : {std::pair{1, 2}, {2, 2}, {3, 0}, {4, 0}}) {
        SCOPED_TRACE(alt);
        s.altPreset = alt;
        ConfiguredLame lame(s);
        EXPECT_EQ(lame_get_VBR(lame.get()), vbr_mtrh);
        EXPECT_EQ(lame_get_VBR_q(lame.get()), quality);
    }
    s.altPreset = 5; // Insane
    ConfiguredLame insane(s);
    EXPECT_EQ(lame_get_VBR(insane.get()), vbr_off);
    EXPECT_EQ(lame_get_brate(insane.get()), 320);
}

TEST(EncodeMp3, CommonCommandLineSwitchesReachLame)
{
    LameSettings s;
    s.commandLine = "-q 1 -m s -V 3 -B 256 -F --strictly-enforce-ISO --nores -t -c -o --noath "
                    "--lowpass 14 --lowpass-width 1 --highpass 0.1 -e 5 --allshort";
    ConfiguredLame lame(s);
    EXPECT_EQ(lame_get_quality(lame.get()), 1);
    EXPECT_EQ(lame_get_mode(lame.get()), STEREO);
    EXPECT_EQ(lame_get_VBR(lame.get()), vbr_mtrh);
    EXPECT_EQ(lame_get_VBR_q(lame.get()), 3);
    EXPECT_EQ(lame_get_VBR_max_bitrate_kbps(lame.get()), 256);
    EXPECT_EQ(lame_get_VBR_hard_min(lame.get()), 1);
    EXPECT_EQ(lame_get_strict_ISO(lame.get()), 1);
    EXPECT_EQ(lame_get_disable_reservoir(lame.get()), 1);
    EXPECT_EQ(lame_get_bWriteVbrTag(lame.get()), 0);
    EXPECT_EQ(lame_get_copyright(lame.get()), 1);
    EXPECT_EQ(lame_get_original(lame.get()), 0);
    EXPECT_EQ(lame_get_noATH(lame.get()), 1);
    EXPECT_EQ(lame_get_lowpassfreq(lame.get()), 14000);
    EXPECT_EQ(lame_get_lowpasswidth(lame.get()), 1000);
    EXPECT_EQ(lame_get_highpassfreq(lame.get()), 100);
    EXPECT_EQ(lame_get_emphasis(lame.get()), 1);
    EXPECT_EQ(lame_get_force_short_blocks(lame.get()), 1);

    s.commandLine = "-k -d --abr 160";
    ConfiguredLame abr(s);
    EXPECT_EQ(lame_get_lowpassfreq(abr.get()), -1);
    EXPECT_EQ(lame_get_highpassfreq(abr.get()), -1);
    EXPECT_EQ(lame_get_allow_diff_short(abr.get()), 1);
    EXPECT_EQ(lame_get_VBR(abr.get()), vbr_abr);
    EXPECT_EQ(lame_get_VBR_mean_bitrate_kbps(abr.get()), 160);

    s.vbrMethod = 2;
    s.commandLine = "--preset cbr 192";
    ConfiguredLame cbr(s);
    EXPECT_EQ(lame_get_VBR(cbr.get()), vbr_off);
    EXPECT_EQ(lame_get_brate(cbr.get()), 192);

    s.commandLine = "--preset extreme";
    ConfiguredLame extreme(s);
    EXPECT_EQ(lame_get_VBR(extreme.get()), vbr_mtrh);
    EXPECT_EQ(lame_get_VBR_q(extreme.get()), 0);
}

TEST(LameCrc, IsCrc16ArcInOneGoAndInParts)
{
    const unsigned char check[] = "123456789";
    EXPECT_EQ(audio::lameCrc16(check, 9), 0xBB3D);
    // Against the bit-by-bit definition, over every byte value at odd lengths.
    std::vector<unsigned char> bytes(4099);
    uint32_t state = 7;
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>((state = state * 1664525u + 1013904223u) >> 24);
    uint16_t bitwise = 0;
    for (unsigned char b : bytes) {
        bitwise ^= b;
        for (int bit = 0; bit < 8; ++bit)
            bitwise = (bitwise & 1) ? static_cast<uint16_t>((bitwise >> 1) ^ 0xA001)
                                    : static_cast<uint16_t>(bitwise >> 1);
    }
    EXPECT_EQ(audio::lameCrc16(bytes.data(), bytes.size()), bitwise);
    const uint16_t head = audio::lameCrc16(bytes.data(), 13);
    EXPECT_EQ(audio::lameCrc16(bytes.data() + 13, bytes.size() - 13, head), bitwise);
}
