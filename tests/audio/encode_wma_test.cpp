// WMA output: no audio lost or moved by the encoder's frame delay, and every
// profile encoding at the rate, channel count and bitrate of its table entry.

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "audio/wma_profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

using namespace brisklet;
using namespace brisklet::test;

namespace {

// The frame with the largest magnitude in channel 0.
int64_t peakFrame(const std::vector<float>& samples, int channels)
{
    int64_t best = 0;
    for (size_t i = 0; i < samples.size(); i += static_cast<size_t>(channels)) {
        if (std::fabs(samples[i]) > std::fabs(samples[static_cast<size_t>(best) * channels]))
            best = static_cast<int64_t>(i) / channels;
    }
    return best;
}

} // namespace

TEST(EncodeWma, NoAudioIsLostOrMoved)
{
    TempDir dir;
    struct Case {
        int profile;
        int64_t frames;
        int64_t frameSize; // wmav2's frame at the profile's rate
    };
    for (Case c : {Case{10, 132399, 2048}, Case{10, 20480, 2048}, Case{26, 5000, 1024},
                   Case{36, 700, 512}}) {
        SCOPED_TRACE(c.profile);
        const audio::WmaProfile& p = *audio::wmaProfile(c.profile);
        std::vector<float> samples(static_cast<size_t>(c.frames * p.channels), 0.0f);
        // A pulse near each end: the first and the last frame must both survive.
        for (int64_t at : {int64_t{100}, c.frames - 50})
            for (int ch = 0; ch < p.channels; ++ch)
                samples[static_cast<size_t>(at * p.channels + ch)] = at == 100 ? 0.9f : 0.5f;
        std::string path = dir.file("pulse.wma");
        encodeSamples(wmaFormat(c.profile), path, samples, p.sampleRate, p.channels);

        // Whole frames, and one more that completes the last one's overlap.
        const int64_t expected =
            (c.frames + c.frameSize - 1) / c.frameSize * c.frameSize + c.frameSize;
        std::vector<float> back = decodeWhole(path);
        EXPECT_EQ(static_cast<int64_t>(back.size()) / p.channels, expected);
        EXPECT_EQ(peakFrame(back, p.channels), 100);
        if (c.frames == 132399) {
            DecodedAudio independent = decodeWithFfmpeg(path);
            EXPECT_EQ(independent.frames(), expected);
            EXPECT_EQ(peakFrame(independent.samples, p.channels), 100);
            // The late pulse is there too, at its place (the codec smears it a little).
            std::vector<float> tail(independent.samples.begin() + (c.frames - 150) * 2,
                                    independent.samples.end());
            EXPECT_NEAR(static_cast<double>(peakFrame(tail, 2)), 100.0, 3.0);
        }
    }
}

// Signal to noise ratio in dB of `decoded` against `source` over frames [from, to).
static double snrDb(const std::vector<float>& source, const std::vector<float>& decoded,
                    int channels, int64_t from, int64_t to)
{
    double signal = 0, noise = 0;
    for (int64_t i = from * channels; i < to * channels; ++i) {
        const double s = source[static_cast<size_t>(i)];
        const double d = decoded[static_cast<size_t>(i)] - s;
        signal += s * s;
        noise += d * d;
    }
    return 10.0 * std::log10(signal / std::max(noise, 1e-20));
}

TEST(EncodeWma, TheLast50MillisecondsAreAsCleanAsTheRest)
{
    TempDir dir;
    const int rate = 44100;
    const int64_t frames = 3 * rate + 777; // ends inside a frame
    const std::vector<float> source = makeSignal(frames, rate, 2);
    const std::string path = dir.file("end.wma");
    encodeSamples(wmaFormat(10), path, source, rate, 2);

    const DecodedAudio decoded = decodeWithFfmpeg(path);
    ASSERT_GE(decoded.frames(), frames);
    const int64_t last50ms = frames - rate / 20;
    const double whole = snrDb(source, decoded.samples, 2, rate / 10, last50ms);
    const double end = snrDb(source, decoded.samples, 2, last50ms, frames);
    EXPECT_GT(whole, 15.0);
    EXPECT_GT(end, whole - 3.0) << "whole " << whole << " dB";
}

TEST(EncodeWma, EveryProfileEncodesAsItsTableSays)
{
    TempDir dir;
    ASSERT_EQ(audio::wmaProfiles().size(), 47u);
    for (int number = 1; number <= 47; ++number) {
        SCOPED_TRACE(number);
        const audio::WmaProfile& p = *audio::wmaProfile(number);
        std::string path = dir.file("profile.wma");
        Encoded in = encodeTone(wmaFormat(number), path, p.sampleRate / 4);
        EXPECT_EQ(in.rate, p.sampleRate);
        EXPECT_EQ(in.channels, p.channels);
        StreamInfo info = probeStream(path);
        EXPECT_EQ(info.codec, "wmav2");
        EXPECT_EQ(info.sampleRate, p.sampleRate);
        EXPECT_EQ(info.channels, p.channels);
        EXPECT_NEAR(static_cast<double>(info.bitRate), p.bitrate * 1000.0,
                    p.bitrate * 1000.0 * 0.05);
    }
    EXPECT_STREQ(audio::wmaProfile(10)->name, "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_STREQ(audio::wmaProfile(47)->name, "WMA9 44KHz, Stereo, Lossless");
    EXPECT_EQ(audio::wmaProfile(0), nullptr);
    EXPECT_EQ(audio::wmaProfile(48), nullptr);
    EXPECT_THROW(audio::openEncoder(wmaFormat(48), dir.file("x.wma"), 44100, 2), audio::AudioError);
}

TEST(EncodeWma, TheReadmeTableIsTheCodesTable)
{
    const char* source = std::getenv("BRISKLET_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::istringstream readme(readFileBytes(std::string(source) + "/README.md"));
    std::vector<std::string> rows;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| ", 0) == 0 && line.size() > 2 &&
            std::isdigit(static_cast<unsigned char>(line[2])))
            rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 47u);
    for (int number = 1; number <= 47; ++number) {
        const audio::WmaProfile& p = *audio::wmaProfile(number);
        EXPECT_EQ(rows[static_cast<size_t>(number - 1)],
                  "| " + std::to_string(number) + " | " + p.name + " | " +
                      std::to_string(p.sampleRate) + " | " + (p.channels == 2 ? "stereo" : "mono") +
                      " | " + std::to_string(p.bitrate) + " |");
    }
}
