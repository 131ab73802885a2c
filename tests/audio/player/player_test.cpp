// The preview player over SDL, headless: the dummy driver plays in real time, the
// disk driver writes what was played to a file (faster than real time with a
// short SDL_DISKAUDIODELAY).

#include "audio/player/player.h"
#include "audio/player/player_levels.h"
#include "testsupport.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace brisklet::audio;
using brisklet::test::EnvOverride;
using brisklet::test::TempDir;

namespace {

constexpr int kRate = 8000;
constexpr int kChannels = 2;

// These tests need a driver that works without sound hardware. ctest's test
// properties carry only their first variable, so the default is set here too.
[[maybe_unused]] const bool kDummyDriverByDefault = [] {
    if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", QByteArray("dummy"));
    return true;
}();

// Interleaved samples that are never zero, so that played audio stands out from
// the silence the device writes around it; `offset` makes each block distinct.
std::vector<float> rampSignal(int64_t frames, int64_t offset = 0)
{
    std::vector<float> out;
    for (int64_t f = offset; f < offset + frames; ++f)
        for (int c = 0; c < kChannels; ++c)
            out.push_back(static_cast<float>((f * 37 + c * 11) % 1000 + 1) / 1001.0f *
                          (c == 0 ? 1.0f : -1.0f));
    return out;
}

// A square wave of the given amplitude per channel.
SampleBlock squareBlock(int64_t frames, float left, float right)
{
    std::vector<float> out;
    for (int64_t f = 0; f < frames; ++f) {
        const float sign = (f / 20) % 2 == 0 ? 1.0f : -1.0f;
        out.push_back(sign * left);
        out.push_back(sign * right);
    }
    return SampleBlock(kChannels, out);
}

std::vector<float> readFloats(const std::string& path)
{
    const std::string bytes = brisklet::test::readFileBytes(path);
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    return out;
}

// What the disk driver wrote, without the silence before and after the audio.
std::vector<float> audibleSpan(const std::vector<float>& written)
{
    size_t first = 0;
    while (first < written.size() && written[first] == 0.0f)
        ++first;
    size_t last = written.size();
    while (last > first && written[last - 1] == 0.0f)
        --last;
    EXPECT_EQ(first % kChannels, 0u) << "audio starts inside a frame";
    return {written.begin() + static_cast<std::ptrdiff_t>(first),
            written.begin() + static_cast<std::ptrdiff_t>(last)};
}

// Collects what the player reports.
struct Recorder {
    std::vector<int64_t> counts;
    int lastLeft = -1;
    int lastRight = -1;
    int requests = 0;
    int emptyQueues = 0;
    int ends = 0;
    std::function<void()> feed; // called on both "more blocks" events when set

    PlayerEvents events()
    {
        PlayerEvents e;
        e.OnRequestOnLoadArray = [this] {
            ++requests;
            if (feed)
                feed();
        };
        e.OnEndArrayPlay = [this] {
            ++emptyQueues;
            if (feed)
                feed();
        };
        e.OnEndPlay = [this] { ++ends; };
        e.OnTimer = [this](int64_t n, int left, int right) {
            counts.push_back(n);
            lastLeft = left;
            lastRight = right;
        };
        return e;
    }
    int64_t lastCount() const { return counts.empty() ? -1 : counts.back(); }
};

// Calls deliverEvents every millisecond until `done` or the timeout.
bool pumpUntil(IAudioPlayer2& player, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        player.deliverEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void expectRising(const std::vector<int64_t>& counts)
{
    for (size_t i = 1; i < counts.size(); ++i)
        ASSERT_LE(counts[i - 1], counts[i]) << "at event " << i;
}

PlayerOptions everyCall()
{
    PlayerOptions options;
    options.timerInterval = std::chrono::milliseconds(0);
    return options;
}

// A player on the dummy driver, which plays in real time.
class PlayerDummy : public ::testing::Test {
protected:
    // As the preview starts: SetFormat, the first block, Play.
    void start(const SampleBlock& block, PlayerOptions options = everyCall())
    {
        player = createAudioPlayer(options);
        player->setEvents(rec.events());
        player->SetFormat(kRate, kChannels);
        player->LoadArray(block);
        player->Play();
    }
    void pumpFor(std::chrono::milliseconds time)
    {
        pumpUntil(
            *player, [] { return false; }, time);
    }

    std::unique_ptr<IAudioPlayer2> player;
    Recorder rec;
};

} // namespace

TEST(PlayerDisk, PlaysQueuedBlocksSampleForSampleAndEnds)
{
    TempDir dir;
    const std::string outFile = dir.file("played.raw");
    EnvOverride driver("SDL_AUDIODRIVER", "disk");
    EnvOverride file("SDL_DISKAUDIOFILE", outFile);
    EnvOverride delay("SDL_DISKAUDIODELAY", "4");

    std::vector<float> loaded;
    Recorder rec;
    {
        auto player = createAudioPlayer(everyCall());
        player->setEvents(rec.events());
        player->SetFormat(kRate, kChannels);
        for (int b = 0; b < 3; ++b) {
            const std::vector<float> block = rampSignal(1000, b * 1000);
            loaded.insert(loaded.end(), block.begin(), block.end());
            player->LoadArray(SampleBlock(kChannels, block));
        }
        player->Play();
        ASSERT_TRUE(pumpUntil(*player, [&] { return rec.ends > 0; }));
        player->deliverEvents();
        EXPECT_EQ(rec.ends, 1);
        EXPECT_GE(rec.emptyQueues, 1);
        expectRising(rec.counts);
        EXPECT_EQ(rec.lastCount(), 3000);
        player->Stop();
    }
    EXPECT_EQ(audibleSpan(readFloats(outFile)), loaded);
}

TEST(PlayerDisk, BlocksFedOnRequestFollowWithoutGaps)
{
    TempDir dir;
    const std::string outFile = dir.file("played.raw");
    EnvOverride driver("SDL_AUDIODRIVER", "disk");
    EnvOverride file("SDL_DISKAUDIOFILE", outFile);
    EnvOverride delay("SDL_DISKAUDIODELAY", "8"); // 256 frames per 8 ms: four times real time

    constexpr int kBlocks = 8;
    constexpr int64_t kBlockFrames = 2000;
    std::vector<float> expected = rampSignal(kBlocks * kBlockFrames);
    Recorder rec;
    {
        auto player = createAudioPlayer(); // the window's settings: 1 s kept queued
        int fed = 0;
        // As the preview feeds: one block per event, an empty block past the end.
        rec.feed = [&] {
            if (fed == kBlocks) {
                player->LoadArray(SampleBlock(kChannels, {}));
                return;
            }
            player->LoadArray(SampleBlock(kChannels, rampSignal(kBlockFrames, fed * kBlockFrames)));
            ++fed;
        };
        player->setEvents(rec.events());
        player->SetFormat(kRate, kChannels);
        player->Play();
        rec.feed();
        ASSERT_TRUE(pumpUntil(*player, [&] { return rec.ends > 0; }));
        EXPECT_EQ(fed, kBlocks);
        EXPECT_GE(rec.requests, kBlocks - 1);
        expectRising(rec.counts);
        EXPECT_EQ(rec.lastCount(), kBlocks * kBlockFrames);
    }
    EXPECT_EQ(audibleSpan(readFloats(outFile)), expected);
}

TEST_F(PlayerDummy, CountsFromPlayAndRestartsAtFlushWithLevels)
{
    start(squareBlock(kRate, 0.5f, 0.25f));
    // How soon the count starts is the latency benchmark's to measure.
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.lastCount() > 0; }));
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.lastCount() >= kRate / 5; }));
    EXPECT_EQ(rec.lastLeft, 50);
    EXPECT_EQ(rec.lastRight, 25);
    expectRising(rec.counts);
    const int64_t beforeFlush = rec.lastCount();
    EXPECT_LT(beforeFlush, kRate) << "the dummy driver plays in real time";

    // After a move of the reader: the queue empties, the count restarts and the
    // next blocks are asked for at once.
    rec.counts.clear();
    const int requestsBefore = rec.requests;
    rec.feed = [&] { player->LoadArray(squareBlock(kRate / 4, 1.0f, 0.0f)); };
    player->Flush();
    player->deliverEvents();
    EXPECT_EQ(rec.requests, requestsBefore + 1);
    rec.feed = nullptr;
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.ends > 0; }));
    ASSERT_FALSE(rec.counts.empty());
    EXPECT_LT(rec.counts.front(), beforeFlush);
    expectRising(rec.counts);
    EXPECT_EQ(rec.lastCount(), kRate / 4);
    EXPECT_EQ(rec.lastLeft, 100);
    EXPECT_EQ(rec.lastRight, 0);
}

TEST_F(PlayerDummy, StopSilencesAndEmptiesTheQueue)
{
    start(squareBlock(kRate, 0.5f, 0.5f));
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.lastCount() > 0; }));
    player->Stop();
    const size_t eventsAtStop = rec.counts.size();
    pumpFor(std::chrono::milliseconds(60));
    EXPECT_EQ(rec.counts.size(), eventsAtStop);
    EXPECT_EQ(rec.ends, 0);

    // Only what is loaded after the stop plays; the rest of the first second is gone.
    rec.counts.clear();
    player->LoadArray(squareBlock(kRate / 10, 0.5f, 0.5f));
    player->Play();
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.ends > 0; }));
    EXPECT_EQ(rec.lastCount(), kRate / 10);
    player->Stop();
    player->Stop();
}

TEST_F(PlayerDummy, PlayWhilePlayingChangesNothing)
{
    start(squareBlock(kRate * 3 / 10, 0.5f, 0.5f));
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.lastCount() > 0; }));
    player->Play();
    ASSERT_TRUE(pumpUntil(*player, [&] { return rec.ends > 0; }));
    pumpFor(std::chrono::milliseconds(30));
    expectRising(rec.counts);
    EXPECT_EQ(rec.lastCount(), kRate * 3 / 10);
    EXPECT_EQ(rec.ends, 1);
}

TEST_F(PlayerDummy, TimerHandlerMayStopThePlayer)
{
    start(squareBlock(kRate, 0.5f, 0.5f));
    int timersAfterStop = 0;
    bool stopped = false;
    PlayerEvents events = rec.events();
    // As the preview stops when its bar reaches the end.
    events.OnTimer = [&](int64_t played, int, int) {
        timersAfterStop += stopped ? 1 : 0;
        if (played > kRate / 20 && !stopped) {
            stopped = true;
            player->Stop();
        }
    };
    player->setEvents(events);
    ASSERT_TRUE(pumpUntil(*player, [&] { return stopped; }));
    pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(timersAfterStop, 0);
    EXPECT_EQ(rec.ends, 0);
    EXPECT_EQ(rec.emptyQueues, 0);
}

TEST_F(PlayerDummy, TimerEventsComeAtLeastTheIntervalApart)
{
    // Pumped every millisecond, the player still keeps 40 ms between ticks; a
    // busy machine may only make the gaps longer.
    std::vector<std::chrono::steady_clock::time_point> ticks;
    PlayerEvents events = rec.events();
    events.OnTimer = [&](int64_t, int, int) { ticks.push_back(std::chrono::steady_clock::now()); };
    start(squareBlock(kRate, 0.5f, 0.5f), PlayerOptions());
    player->setEvents(events);
    ASSERT_TRUE(pumpUntil(*player, [&] { return ticks.size() >= 4; }));
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i] - ticks[i - 1], PlayerOptions().timerInterval) << "tick " << i;
}

TEST(PlayerNoDevice, ReportsNoAudioOutputAndRecovers)
{
    std::unique_ptr<IAudioPlayer2> player;
    {
        EnvOverride driver("SDL_AUDIODRIVER", "nonexistent");
        player = createAudioPlayer();
        try {
            player->SetFormat(44100, 2);
            FAIL() << "SetFormat succeeded without a sound driver";
        } catch (const NoAudioOutputError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("No audio output is available: ", 0), 0u)
                << e.what();
            EXPECT_GT(std::string(e.what()).size(), 31u) << "the reason is missing";
        }
        EXPECT_THROW(player->LoadArray(SampleBlock(2, {0.1f, 0.1f})), NoAudioOutputError);
        EXPECT_THROW(player->Play(), NoAudioOutputError);
        player->deliverEvents();
        player->Flush();
        player->Stop();
    }
    // Once a driver is there again, the same player plays.
    EnvOverride driver("SDL_AUDIODRIVER", "dummy");
    player->SetFormat(kRate, kChannels);
    player->LoadArray(squareBlock(100, 0.5f, 0.5f));
    player->Play();
    player->Stop();
}

TEST(PlayerNoDevice, DeviceThatCannotOpenIsNoAudioOutput)
{
    TempDir dir;
    EnvOverride driver("SDL_AUDIODRIVER", "disk");
    EnvOverride file("SDL_DISKAUDIOFILE", dir.file("missing-folder/out.raw"));
    auto player = createAudioPlayer();
    EXPECT_THROW(player->SetFormat(kRate, kChannels), NoAudioOutputError);
}

TEST(PlayerInput, RejectsFormatsAndBlocksItCannotPlay)
{
    auto player = createAudioPlayer();
    EXPECT_THROW(player->LoadArray(SampleBlock(2, {0.1f, 0.1f})), AudioError);
    EXPECT_THROW(player->SetFormat(0, 2), AudioError);
    EXPECT_THROW(player->SetFormat(44100, 0), AudioError);
    player->SetFormat(kRate, kChannels);
    EXPECT_THROW(player->LoadArray(SampleBlock(1, {0.1f, 0.1f})), AudioError);
    player->LoadArray(SampleBlock(kChannels, {})); // nothing queued, no error
}

TEST(PlayedSamples, PeaksOverTheWindowAcrossChunks)
{
    PlayedSamples history;
    history.reset(2);
    const std::vector<float> quiet = {0.1f, -0.2f, 0.1f, -0.2f};
    const std::vector<float> loud = {-0.9f, 0.3f, 0.5f, 0.4f};
    history.append(quiet.data(), 2); // frames 0-1
    history.append(loud.data(), 2);  // frames 2-3
    EXPECT_EQ(history.levels(0, 2).left, 10);
    EXPECT_EQ(history.levels(0, 2).right, 20);
    EXPECT_EQ(history.levels(1, 3).left, 90);
    EXPECT_EQ(history.levels(3, 10).right, 40);
    history.dropBefore(2);
    EXPECT_EQ(history.levels(0, 2).left, 0); // forgotten: silence
    EXPECT_EQ(history.levels(0, 4).left, 90);

    PlayedSamples mono;
    mono.reset(1);
    const std::vector<float> samples = {0.5f, 1.5f};
    mono.append(samples.data(), 2);
    EXPECT_EQ(mono.levels(0, 2).left, 100); // clipped to full scale
    EXPECT_EQ(mono.levels(0, 1).right, 50);
}
