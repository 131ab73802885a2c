// Split and join throughput and peak memory: brisklet-cli next to ffmpeg and
// sox doing the same work in the same run, on generated sources.
// Usage: bench_split_join [minutes] (default 20; the long source is 6x as long).
// Needs ffmpeg and sox (with MP3 support) on PATH; finds brisklet-cli beside
// this program's folder (../cli/brisklet-cli) or through $BRISKLET_CLI.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs a shell command line as one child; its wall time and the peak resident
// memory of it and its descendants.
Run measure(const std::string& command)
{
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return run;
}

std::string quote(const std::string& text)
{
    return "'" + text + "'";
}

// A fresh, empty folder for one run's outputs.
std::string freshFolder(const fs::path& base, const std::string& name)
{
    fs::path dir = base / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void row(const char* job, const char* tool, double audioSeconds, const Run& run)
{
    std::printf("%-28s %-12s %8.2f s %9.1fx %9.1f MB%s\n", job, tool, run.seconds,
                audioSeconds / run.seconds, run.peakKb / 1024.0, run.ok ? "" : "  (failed)");
}

std::string findCli(const char* argv0)
{
    if (const char* env = std::getenv("BRISKLET_CLI"))
        return env;
    fs::path self = fs::canonical(fs::path(argv0));
    return (self.parent_path().parent_path() / "cli" / "brisklet-cli").string();
}

} // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 20;
    const double seconds = minutes * 60.0;
    const std::string cli = findCli(argv[0]);
    const fs::path work = fs::temp_directory_path() / "brisklet-bench-split-join";
    fs::remove_all(work);
    fs::create_directories(work);
    const std::string w = work.string();
    const std::string ff = "ffmpeg -v error -y ";

    // Sources: a stereo tone with noise as a 128 kbps MP3, three 5-minute parts
    // of it, its WAV, and a source six times as long (stream copies).
    std::string src = w + "/src.mp3";
    std::printf("generating %d-minute sources in %s ...\n", minutes, w.c_str());
    measure(ff + "-f lavfi -i \"aevalsrc=0.4*sin(2*PI*440*t)+0.05*(random(0)-0.5)|" +
            "0.4*sin(2*PI*660*t)+0.05*(random(1)-0.5):s=44100:d=" + std::to_string(minutes * 60) +
            "\" -c:a libmp3lame -b:a 128k " + quote(src));
    measure(ff + "-i " + quote(src) + " -c:a pcm_s16le " + quote(w + "/src.wav"));
    {
        std::ofstream list(w + "/six.txt");
        for (int i = 0; i < 6; ++i)
            list << "file '" << src << "'\n";
    }
    measure(ff + "-f concat -safe 0 -i " + quote(w + "/six.txt") + " -c copy " +
            quote(w + "/long.mp3"));
    {
        std::ofstream list(w + "/parts.txt");
        for (int i = 0; i < 3; ++i) {
            std::string part = w + "/part" + std::to_string(i) + ".mp3";
            measure(ff + "-ss " + std::to_string(i * 300) + " -t 300 -i " + quote(src) +
                    " -c copy " + quote(part));
            list << "file '" << part << "'\n";
        }
    }
    const std::string parts =
        quote(w + "/part0.mp3") + " " + quote(w + "/part1.mp3") + " " + quote(w + "/part2.mp3");
    // 128 kbps joint stereo at LAME quality 5 for every tool; CD-quality WAV.
    std::ofstream(w + "/Brisklet.ini")
        << "[mp3]\nbitrate=9\nquality=5\nchannel=2\nfrequency=7\n[wav]\nmode=0\n";
    const std::string settings = " --settings " + quote(w + "/Brisklet.ini");
    const std::string lame = " -c:a libmp3lame -b:a 128k -compression_level 5 ";

    std::printf("\n%-28s %-12s %10s %10s %12s\n", "job", "tool", "wall", "realtime", "peak RSS");
    std::string d = freshFolder(work, "a");
    row("split MP3 -> 60 s MP3", "brisklet", seconds,
        measure(quote(cli) + " split --mode time --seconds 60 --format mp3" + settings + " --out " +
                quote(d) + " " + quote(src) + " >/dev/null"));
    d = freshFolder(work, "a");
    row("split MP3 -> 60 s MP3", "ffmpeg", seconds,
        measure(ff + "-i " + quote(src) + " -f segment -segment_time 60" + lame +
                quote(d + "/p%03d.mp3")));
    d = freshFolder(work, "a");
    row("split MP3 -> 60 s MP3", "sox", seconds,
        measure("sox " + quote(src) + " -C 128.5 " + quote(d + "/p.mp3") +
                " trim 0 60 : newfile : restart"));

    d = freshFolder(work, "b");
    row("join 3 x 5 min MP3 -> MP3", "brisklet", 900,
        measure(quote(cli) + " join --mode time --format mp3" + settings + " --output " +
                quote(d + "/joined") + " " + parts + " >/dev/null"));
    row("join 3 x 5 min MP3 -> MP3", "ffmpeg", 900,
        measure(ff + "-f concat -safe 0 -i " + quote(w + "/parts.txt") + lame +
                quote(d + "/ffmpeg.mp3")));
    row("join 3 x 5 min MP3 -> MP3", "sox", 900,
        measure("sox " + parts + " -C 128.5 " + quote(d + "/sox.mp3")));

    d = freshFolder(work, "c");
    row("split WAV -> 60 s WAV", "brisklet", seconds,
        measure(quote(cli) + " split --mode time --seconds 60 --format wav" + settings + " --out " +
                quote(d) + " " + quote(w + "/src.wav") + " >/dev/null"));
    d = freshFolder(work, "c");
    row("split WAV -> 60 s WAV", "sox", seconds,
        measure("sox " + quote(w + "/src.wav") + " " + quote(d + "/p.wav") +
                " trim 0 60 : newfile : restart"));
    d = freshFolder(work, "c");
    row("split WAV -> 60 s WAV", "ffmpeg", seconds,
        measure(ff + "-i " + quote(w + "/src.wav") + " -f segment -segment_time 60 -c copy " +
                quote(d + "/p%03d.wav")));

    // Streaming: the peak memory must not grow with the source's length.
    d = freshFolder(work, "d");
    row("split MP3 -> 60 s WAV", "brisklet", seconds,
        measure(quote(cli) + " split --mode time --seconds 60 --format wav" + settings + " --out " +
                quote(d) + " " + quote(src) + " >/dev/null"));
    d = freshFolder(work, "d");
    row("split 6x long MP3 -> WAV", "brisklet", 6 * seconds,
        measure(quote(cli) + " split --mode time --seconds 60 --format wav" + settings + " --out " +
                quote(d) + " " + quote(w + "/long.mp3") + " >/dev/null"));

    fs::remove_all(work);
    return 0;
}
