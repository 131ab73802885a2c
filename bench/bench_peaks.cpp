// Waveform peaks of a long MP3: time next to a plain decode of the same file,
// peak memory beyond the program's base, and the time to reopen from the cache.
// Usage: bench_peaks [minutes [repeats]] (default a 120-minute source, 3 runs
// of each, medians). The source is made once with ffmpeg in the temp folder.
// Each measurement runs as a child process of this program, so that its peak
// memory and CPU time are its own.

#include "audio/audiofile.h"
#include "waveform/peakjob.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace brisklet;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// --- what one child does; each prints its own inner time in ms ---

int childBase()
{
    auto reader = audio::createAudioFile();
    std::printf("0\n");
    return 0;
}

int childDecode(const std::string& path)
{
    const auto start = Clock::now();
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    while (!reader->ReadFrames(waveform::framesPerBucket * 256).empty()) {
    }
    std::printf("%.1f\n", msSince(start));
    return 0;
}

int childPeaks(const std::string& path, const std::string& cacheFolder)
{
    const auto start = Clock::now();
    const waveform::PeakCache cache(cacheFolder);
    waveform::PeakJob job(path, cacheFolder.empty() ? nullptr : &cache);
    job.wait();
    std::printf("%.1f\n", msSince(start));
    return job.phase() == waveform::PeakJob::Phase::Done ? 0 : 1;
}

// --- the parent ---

struct Run {
    double innerMs = 0;
    double cpuSeconds = 0;
    long peakKb = 0;
};

double secondsOf(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

Run measure(const std::string& self, const std::vector<std::string>& args)
{
    int out[2];
    if (pipe(out) != 0)
        std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        std::vector<char*> argv{const_cast<char*>(self.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(self.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    char text[64] = {};
    const ssize_t got = read(out[0], text, sizeof text - 1);
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", args.front().c_str());
        std::exit(1);
    }
    return {std::atof(text), secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime),
            usage.ru_maxrss};
}

template <class Value> Value median(std::vector<Value> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Summary {
    double innerMs, cpuSeconds;
    long peakKb;
};

Summary repeat(const std::string& self, const std::vector<std::string>& args, int times,
               const std::function<void()>& before = {})
{
    std::vector<double> inner, cpu;
    std::vector<long> peak;
    for (int i = 0; i < times; ++i) {
        if (before)
            before();
        const Run run = measure(self, args);
        inner.push_back(run.innerMs);
        cpu.push_back(run.cpuSeconds);
        peak.push_back(run.peakKb);
    }
    return {median(inner), median(cpu), median(peak)};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--base")
        return childBase();
    if (mode == "--decode" && argc > 2)
        return childDecode(argv[2]);
    if (mode == "--peaks" && argc > 2)
        return childPeaks(argv[2], argc > 3 ? argv[3] : "");

    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const fs::path work = fs::temp_directory_path() / "brisklet-bench-peaks";
    fs::create_directories(work);
    const std::string source = (work / ("source-" + std::to_string(minutes) + "min.mp3")).string();
    if (!fs::exists(source)) {
        std::printf("making a %d-minute 44.1 kHz stereo 128 kbps MP3 with ffmpeg...\n", minutes);
        const std::string make =
            "ffmpeg -loglevel error -y -f lavfi -i "
            "'sine=frequency=220:sample_rate=44100:duration=" +
            std::to_string(minutes * 60) +
            "' -f lavfi -i 'anoisesrc=color=pink:sample_rate=44100:amplitude=0.2:duration=" +
            std::to_string(minutes * 60) + "' -filter_complex amerge=inputs=2 -ac 2 -b:a 128k '" +
            source + ".part.mp3' && mv '" + source + ".part.mp3' '" + source + "'";
        if (std::system(make.c_str()) != 0)
            return 1;
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string cache = (work / "cache").string();

    const Summary base = repeat(self, {"--base"}, repeats);
    const Summary decode = repeat(self, {"--decode", source}, repeats);
    const Summary peaks = repeat(self, {"--peaks", source}, repeats);
    // The first run with the cache fills it; the reopening runs read it.
    fs::remove_all(cache);
    measure(self, {"--peaks", source, cache});
    const Summary reopen = repeat(self, {"--peaks", source, cache}, repeats);

    std::printf("\n%d-minute MP3, medians of %d runs\n", minutes, repeats);
    std::printf("%-22s %10s %10s %12s\n", "", "wall ms", "CPU s", "peak RSS MB");
    auto line = [](const char* what, const Summary& s) {
        std::printf("%-22s %10.0f %10.2f %12.1f\n", what, s.innerMs, s.cpuSeconds,
                    s.peakKb / 1024.0);
    };
    line("program base", base);
    line("plain decode", decode);
    line("peaks", peaks);
    line("reopen from cache", reopen);
    std::printf("\npeaks / decode: wall %.2fx, CPU %.2fx (goal <= 1.2)\n",
                peaks.innerMs / decode.innerMs, peaks.cpuSeconds / decode.cpuSeconds);
    std::printf("peaks memory beyond base: %.1f MB (goal < 64 MiB)\n",
                (peaks.peakKb - base.peakKb) / 1024.0);
    std::printf("reopen from cache: %.0f ms (goal < 100 ms)\n", reopen.innerMs);
    return 0;
}
