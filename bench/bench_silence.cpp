// Silence detection on a long MP3 next to a plain decode of the same file (the
// least any detection must do) and next to ffmpeg's silencedetect filter.
// Usage: bench_silence [minutes [repeats]] (default 120 minutes, 3 runs each;
// the median is printed). Needs ffmpeg on PATH.

#include "audio/decoder.h"
#include "bench/support/command_run.h"
#include "proposals/silence.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;    // wall time
    double cpuSeconds = 0; // user + system
};

double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

Run timeInProcess(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuNow();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuNow() - cpu};
}

Run timeCommand(const std::string& command)
{
    const brisklet::bench::CommandRun run = brisklet::bench::runCommand(command);
    return {run.seconds, run.cpuSeconds};
}

Run median(int repeats, const std::function<Run()>& once)
{
    std::vector<Run> runs;
    for (int i = 0; i < repeats; ++i)
        runs.push_back(once());
    auto middle = [&](auto member) {
        std::vector<double> values;
        for (const Run& r : runs)
            values.push_back(r.*member);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {middle(&Run::seconds), middle(&Run::cpuSeconds)};
}

void row(const char* what, const Run& run, double audioSeconds, const Run& decode)
{
    std::printf("%-34s %8.2f s %8.1fx %8.2f s %8.1fx %8.2f\n", what, run.seconds,
                audioSeconds / run.seconds, run.cpuSeconds, audioSeconds / run.cpuSeconds,
                run.cpuSeconds / decode.cpuSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const double seconds = minutes * 60.0;
    const fs::path work = fs::temp_directory_path() / "brisklet-bench-silence";
    fs::remove_all(work);
    fs::create_directories(work);
    const std::string source = (work / "talk.mp3").string();

    // A stereo 128 kbps MP3: 27 s of tone and noise, then 3 s of quiet noise
    // at about -60 dB, over and over.
    std::printf("generating a %d-minute MP3 in %s ...\n", minutes, work.c_str());
    timeCommand(
        "ffmpeg -v error -y -f lavfi -i \"aevalsrc=(0.4*sin(2*PI*440*t)*lt(mod(t\\,30)\\,27)"
        "+0.002*(random(0)-0.5))|(0.4*sin(2*PI*660*t)*lt(mod(t\\,30)\\,27)+0.002*(random(1)"
        "-0.5)):s=44100:d=" +
        std::to_string(minutes * 60) + "\" -c:a libmp3lame -b:a 128k '" + source + "'");

    size_t pieces = 0;
    const Run decode = median(repeats, [&] {
        return timeInProcess([&] {
            auto decoder = brisklet::audio::openDecoder(source);
            std::vector<float> block(static_cast<size_t>(32768 * decoder->channels()));
            while (decoder->read(block.data(), 32768) > 0) {
            }
        });
    });
    const Run detect = median(repeats, [&] {
        return timeInProcess([&] {
            pieces = brisklet::proposals::findSilencePieces(source, {}, [](int) {
                         return true;
                     }).pieces.size();
        });
    });
    const Run ffmpeg = median(repeats, [&] {
        return timeCommand("ffmpeg -v error -nostats -i '" + source +
                           "' -af silencedetect=n=-40dB:d=0.5 -f null - 2>/dev/null");
    });

    std::printf("\n%-34s %10s %9s %10s %9s %8s\n", "job (median of runs)", "wall", "x real", "cpu",
                "x real", "cpu/dec");
    row("plain decode (libmpg123)", decode, seconds, decode);
    row("silence detection (brisklet)", detect, seconds, decode);
    row("ffmpeg silencedetect", ffmpeg, seconds, decode);
    std::printf("\npieces found: %zu (expected %d)\n", pieces, minutes * 2);
    std::printf("goal: detection cpu / decode cpu <= 1.2: %.3f %s\n",
                detect.cpuSeconds / decode.cpuSeconds,
                detect.cpuSeconds <= 1.2 * decode.cpuSeconds ? "met" : "MISSED");
    fs::remove_all(work);
    return 0;
}
