// Silence detection: pauses found where a generated signal of tones and
// quiet noise has them, and pieces shaped by the minimum lengths.
#include "proposal_print.h"
#include "proposals/silence.h"
#include "testsupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace brisklet::proposals;
using brisklet::test::TempDir;

namespace {

constexpr int kRate = 16000;

// Stereo: alternating tone and quiet stretches (lengths in ms, tone first);
// the quiet ones hold noise at -55 dBFS, under the -40 dB threshold.
std::vector<float> tonesAndPauses(const std::vector<int>& lengthsMs)
{
    std::vector<float> samples;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.0031f, 0.0031f); // about -55 dB RMS
    int64_t frame = 0;
    for (size_t part = 0; part < lengthsMs.size(); ++part) {
        const int64_t frames = int64_t{lengthsMs[part]} * kRate / 1000;
        for (int64_t i = 0; i < frames; ++i, ++frame) {
            const float tone =
                part % 2 == 0 ? 0.5f * static_cast<float>(std::sin(frame * 2 * M_PI * 330 / kRate))
                              : 0.0f;
            samples.push_back(tone + noise(random));
            samples.push_back(tone + noise(random));
        }
    }
    return samples;
}

std::vector<Proposal> scan(const std::vector<float>& samples, const SilenceSettings& settings)
{
    PauseFinder finder(kRate, 2, settings);
    // Odd block sizes, so that windows straddle blocks.
    for (size_t at = 0; at < samples.size(); at += 2 * 1237)
        finder.feed(samples.data() + at, std::min<int64_t>(1237, (samples.size() - at) / 2));
    return piecesBetweenPauses(finder.finish(), samples.size() / 2, kRate, settings);
}

} // namespace

TEST(Silence, CutsInTheMiddleOfEachPauseWithinTenMilliseconds)
{
    // 6 s tone, 1 s pause, 7 s tone, 2 s pause, 6 s tone.
    const auto samples = tonesAndPauses({6000, 1000, 7000, 2000, 6000});
    const auto pieces = scan(samples, {});
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].beginMs, 0);
    EXPECT_NEAR(pieces[0].endMs, 6500, 10);
    EXPECT_EQ(pieces[1].beginMs, pieces[0].endMs);
    EXPECT_NEAR(pieces[1].endMs, 15000, 10);
    EXPECT_EQ(pieces[2].endMs, 22000);
    EXPECT_EQ(pieces[2].number, 3);
}

TEST(Silence, TrimmedPiecesHoldOnlyTheSound)
{
    // Leading and trailing quiet too.
    const auto samples = tonesAndPauses({0, 800, 6000, 1000, 6000, 1500});
    SilenceSettings settings;
    settings.trimToSound = true;
    const auto pieces = scan(samples, settings);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_NEAR(pieces[0].beginMs, 800, 10);
    EXPECT_NEAR(pieces[0].endMs, 6800, 10);
    EXPECT_NEAR(pieces[1].beginMs, 7800, 10);
    EXPECT_NEAR(pieces[1].endMs, 13800, 10);
}

TEST(Silence, ShortPausesAndShortPiecesAreMerged)
{
    // A 300 ms gap is no pause; the 2 s piece is shorter than the 5 s minimum
    // and joins the next; a short last piece joins the one before it.
    const auto samples = tonesAndPauses({6000, 300, 6000, 1000, 2000, 1000, 6000, 1000, 1000});
    const auto pieces = scan(samples, {});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_NEAR(pieces[0].endMs, 12800, 10);
    EXPECT_EQ(pieces[1].endMs, 24300);
}

TEST(Silence, LouderThresholdHearsTheNoiseAsQuietOnlyBelowIt)
{
    const auto samples = tonesAndPauses({6000, 1000, 6000});
    SilenceSettings settings;
    settings.thresholdDb = -60; // the -55 dB noise is now sound
    EXPECT_EQ(scan(samples, settings).size(), 1u);
    EXPECT_TRUE(scan(tonesAndPauses({0, 3000}), {}).empty()); // quiet throughout
}

TEST(Silence, SettingsText)
{
    SilenceSettings settings;
    EXPECT_TRUE(parseSilenceSettings("-35:0.8:10", settings));
    EXPECT_EQ(settings, (SilenceSettings{-35, 800, 10000, false}));
    EXPECT_TRUE(parseSilenceSettings("50", settings));
    EXPECT_EQ(settings.thresholdDb, -50);
    EXPECT_EQ(settings.minPauseMs, 800);
    for (const char* bad : {"", "x", "-40:", "-40:-1", "-40:0", "-40:1:2:3", "-40:1s", "nan"})
        EXPECT_FALSE(parseSilenceSettings(bad, settings)) << bad;
    EXPECT_EQ(settings.thresholdDb, -50);
}

TEST(Silence, ReadsAFileWithProgressAndStops)
{
    TempDir dir;
    const std::string path = dir.file("talk.wav");
    brisklet::test::writePcmFile(path, tonesAndPauses({6000, 1000, 6000}), kRate, 2);
    int last = -1;
    SilenceResult result = findSilencePieces(path, {}, [&](int progress) {
        EXPECT_GE(progress, last);
        last = progress;
        return true;
    });
    EXPECT_EQ(last, 10000);
    ASSERT_EQ(result.pieces.size(), 2u);
    EXPECT_NEAR(result.pieces[0].endMs, 6500, 10);

    result = findSilencePieces(path, {}, [](int progress) { return progress < 3000; });
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(result.pieces.empty());
}
