// Preview player: how soon after Play the first frames are taken by the sound
// output, how long Stop takes, and how many OnTimer events a 50 ms window timer
// sees per second. Run with SDL_AUDIODRIVER=dummy (or on a real device).
// Target: playback starts within 100 ms of Play.

#include "audio/player/player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace brisklet::audio;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point begin, Clock::time_point end = Clock::now())
{
    return std::chrono::duration<double, std::milli>(end - begin).count();
}

struct Run {
    double startMs = 0;
    double stopMs = 0;
};

// SetFormat, one block, Play as the preview does; then Stop.
Run playOnce(IAudioPlayer2& player)
{
    Clock::time_point heard;
    bool started = false;
    PlayerEvents events;
    events.OnTimer = [&](int64_t played, int, int) {
        if (!started && played > 0) {
            started = true;
            heard = Clock::now();
        }
    };
    player.setEvents(events);
    player.SetFormat(44100, 2);
    const Clock::time_point begin = Clock::now();
    player.Play();
    player.LoadArray(SampleBlock(2, std::vector<float>(44100 * 2, 0.25f)));
    while (!started && msSince(begin) < 2000) {
        player.deliverEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    Run run;
    run.startMs = started ? msSince(begin, heard) : 2000;
    const Clock::time_point stopBegin = Clock::now();
    player.Stop();
    run.stopMs = msSince(stopBegin);
    return run;
}

int timerEventsInOneSecond()
{
    auto player = createAudioPlayer();
    int events = 0;
    PlayerEvents handlers;
    handlers.OnTimer = [&](int64_t, int, int) { ++events; };
    player->setEvents(handlers);
    player->SetFormat(44100, 2);
    player->LoadArray(SampleBlock(2, std::vector<float>(44100 * 4, 0.25f)));
    player->Play();
    const Clock::time_point begin = Clock::now();
    while (msSince(begin) < 1000) {
        player->deliverEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return events;
}

void printRow(const char* name, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%-32s %8.1f %8.1f %8.1f\n", name, values.front(), values[values.size() / 2],
                values.back());
}

} // namespace

int main()
{
    try {
        PlayerOptions options;
        options.timerInterval = std::chrono::milliseconds(0);
        auto player = createAudioPlayer(options);
        std::vector<double> starts;
        std::vector<double> stops;
        for (int i = 0; i < 20; ++i) {
            const Run run = playOnce(*player);
            starts.push_back(run.startMs);
            stops.push_back(run.stopMs);
        }
        std::printf("%-32s %8s %8s %8s\n", "measure (20 runs)", "min", "median", "max");
        printRow("Play to first frames (ms)", starts);
        printRow("Stop (ms)", stops);
        std::printf("%-32s %8d\n", "OnTimer per second (50 ms pump)", timerEventsInOneSecond());
    } catch (const AudioError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
