// Split and join throughput and peak memory: brisklet-cli next to ffmpeg and
// sox doing the same work in the same run, on generated sources.
// Usage: bench_split_join [minutes [repeats]] (default 20 minutes, the long
// source 6x as long; each job runs `repeats` times, default 2, best kept).
// Needs ffmpeg and sox (with MP3 support) on PATH; finds brisklet-cli beside
// this program's folder (../cli/brisklet-cli) or through $BRISKLET_CLI.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;    // wall time
    double cpuSeconds = 0; // user + system time of the child and its descendants
    long peakKb = 0;
    bool ok = false;
};

double secondsOf(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

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
    run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
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

// One line of the table; returns the run for the goal checks.
Run row(const char* job, const char* tool, double audioSeconds, const Run& run)
{
    std::printf("%-26s %-9s %8.2f s %8.1fx %8.2f s %8.1fx %8.1f MB%s\n", job, tool, run.seconds,
                audioSeconds / run.seconds, run.cpuSeconds, audioSeconds / run.cpuSeconds,
                run.peakKb / 1024.0, run.ok ? "" : "  (failed)");
    return run;
}

void goal(const char* text, bool met, double figure)
{
    std::printf("  %-58s %6.2f  %s\n", text, figure, met ? "met" : "MISSED");
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
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
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
    // The low-pass is the one LAME chooses (a low-pass of 0 Hz), as ffmpeg and
    // sox leave it: the program's own default, no low-pass, encodes the whole
    // band, which is other work.
    std::ofstream(w + "/Brisklet.ini")
        << "[mp3]\nbitrate=9\nquality=5\nchannel=2\nfrequency=7\n[MP3Filt]\nchLFilt=1\n"
           "udLFiltF=0\n[wav]\nmode=0\n";
    const std::string settings = " --settings " + quote(w + "/Brisklet.ini");
    const std::string lame = " -c:a libmp3lame -b:a 128k -compression_level 5 ";

    // Each command writes into the folder it is given, a fresh one for every
    // run. A job runs `repeats` times (the short WAV jobs once more) and keeps
    // its best wall and best CPU time: the machine may be busy with other work.
    using Command = std::function<std::string(const std::string& folder)>;
    auto best = [&](int times, const Command& command) {
        Run kept;
        for (int i = 0; i < times; ++i) {
            Run run = measure(command(freshFolder(work, "out")));
            if (i == 0) {
                kept = run;
                continue;
            }
            kept.seconds = std::min(kept.seconds, run.seconds);
            kept.cpuSeconds = std::min(kept.cpuSeconds, run.cpuSeconds);
            kept.peakKb = std::max(kept.peakKb, run.peakKb);
            kept.ok = kept.ok && run.ok;
        }
        return kept;
    };
    const std::string brisklet = quote(cli) + " ";
    const std::string toWav = " trim 0 60 : newfile : restart";

    // Wall time depends on what else the machine runs; CPU time (user + system)
    // is the steadier figure on a shared machine.
    std::printf("\n%-26s %-9s %10s %9s %10s %9s %11s\n", "job", "tool", "wall", "x real", "cpu",
                "x real", "peak RSS");
    const char* job = "split MP3 -> 60 s MP3";
    Run splitMp3 = row(job, "brisklet", seconds, best(repeats, [&](const std::string& d) {
                           return brisklet + "split --mode time --seconds 60 --format mp3" +
                                  settings + " --out " + quote(d) + " " + quote(src) +
                                  " >/dev/null";
                       }));
    Run splitMp3Ffmpeg = row(job, "ffmpeg", seconds, best(repeats, [&](const std::string& d) {
                                 return ff + "-i " + quote(src) + " -f segment -segment_time 60" +
                                        lame + quote(d + "/p%03d.mp3");
                             }));
    row(job, "sox", seconds, best(repeats, [&](const std::string& d) {
            return "sox " + quote(src) + " -C 128.5 " + quote(d + "/p.mp3") + toWav;
        }));

    job = "join 3 x 5 min MP3 -> MP3";
    Run joinMp3 = row(job, "brisklet", 900, best(repeats, [&](const std::string& d) {
                          return brisklet + "join --mode time --format mp3" + settings +
                                 " --output " + quote(d + "/joined") + " " + parts + " >/dev/null";
                      }));
    Run joinMp3Ffmpeg = row(job, "ffmpeg", 900, best(repeats, [&](const std::string& d) {
                                return ff + "-f concat -safe 0 -i " + quote(w + "/parts.txt") +
                                       lame + quote(d + "/ffmpeg.mp3");
                            }));
    row(job, "sox", 900, best(repeats, [&](const std::string& d) {
            return "sox " + parts + " -C 128.5 " + quote(d + "/sox.mp3");
        }));

    job = "split WAV -> 60 s WAV";
    const std::string wav = quote(w + "/src.wav");
    Run splitWav = row(job, "brisklet", seconds, best(repeats + 1, [&](const std::string& d) {
                           return brisklet + "split --mode time --seconds 60 --format wav" +
                                  settings + " --out " + quote(d) + " " + wav + " >/dev/null";
                       }));
    Run splitWavSox = row(job, "sox", seconds, best(repeats + 1, [&](const std::string& d) {
                              return "sox " + wav + " " + quote(d + "/p.wav") + toWav;
                          }));
    row(job, "ffmpeg", seconds, best(repeats + 1, [&](const std::string& d) {
            return ff + "-i " + wav + " -f segment -segment_time 60 -c copy " +
                   quote(d + "/p%03d.wav");
        }));

    // Streaming: the peak memory must not grow with the source's length.
    auto splitToWav = [&](const std::string& source) {
        return [&, source](const std::string& d) {
            return brisklet + "split --mode time --seconds 60 --format wav" + settings + " --out " +
                   quote(d) + " " + quote(source) + " >/dev/null";
        };
    };
    Run streamShort = row("split MP3 -> 60 s WAV", "brisklet", seconds, best(1, splitToWav(src)));
    Run streamLong = row("split 6x long MP3 -> WAV", "brisklet", 6 * seconds,
                         best(1, splitToWav(w + "/long.mp3")));

    std::printf("\ngoals (ratios; CPU time, as wall time varies with the machine's load)\n");
    goal("split MP3: ffmpeg cpu / brisklet cpu >= 1",
         splitMp3Ffmpeg.cpuSeconds >= splitMp3.cpuSeconds,
         splitMp3Ffmpeg.cpuSeconds / splitMp3.cpuSeconds);
    goal("join MP3: ffmpeg cpu / brisklet cpu >= 1", joinMp3Ffmpeg.cpuSeconds >= joinMp3.cpuSeconds,
         joinMp3Ffmpeg.cpuSeconds / joinMp3.cpuSeconds);
    goal("split WAV: brisklet wall / sox wall <= 1.5",
         splitWav.seconds <= 1.5 * splitWavSox.seconds, splitWav.seconds / splitWavSox.seconds);
    goal("split WAV: brisklet cpu / sox cpu <= 1.5",
         splitWav.cpuSeconds <= 1.5 * splitWavSox.cpuSeconds,
         splitWav.cpuSeconds / splitWavSox.cpuSeconds);
    // The same peak within 10 %: nothing is held per second of the source.
    const double memory = static_cast<double>(streamLong.peakKb) / streamShort.peakKb;
    goal("peak memory: 2-hour / 20-minute source ~ 1", memory < 1.1, memory);

    fs::remove_all(work);
    return 0;
}
