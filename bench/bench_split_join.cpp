// Split and join throughput and peak memory: brisklet-cli next to ffmpeg and
// sox doing the same work in the same run, on generated sources.
// Usage: bench_split_join [minutes [repeats]] (default 20 minutes, the long
// source 6x as long; each job runs `repeats` times, default 2, best kept).
// Needs ffmpeg and sox (with MP3 support) on PATH; finds brisklet-cli beside
// this program's folder (../cli/brisklet-cli) or through $BRISKLET_CLI. The
// MP3 split runs with one worker and with one per core (at least two), in
// alternated turns with ffmpeg. With $BRISKLET_CLI_BEFORE naming an earlier
// build, the MP3 join runs with both, in turns.

#include "bench/support/command_run.h"

#include <thread>

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

using Run = brisklet::bench::CommandRun;
constexpr auto measure = brisklet::bench::runCommand;

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

// Runs the commands in turns, `times` rounds, so that a change in the
// machine's load falls on all of them alike; keeps each one's best times.
std::vector<Run> alternate(int times, const std::vector<std::function<Run()>>& commands)
{
    std::vector<Run> kept(commands.size());
    for (int i = 0; i < times; ++i) {
        for (size_t c = 0; c < commands.size(); ++c) {
            Run run = commands[c]();
            if (i == 0) {
                kept[c] = run;
                continue;
            }
            kept[c].seconds = std::min(kept[c].seconds, run.seconds);
            kept[c].cpuSeconds = std::min(kept[c].cpuSeconds, run.cpuSeconds);
            kept[c].peakKb = std::max(kept[c].peakKb, run.peakKb);
            kept[c].ok = kept[c].ok && run.ok;
        }
    }
    return kept;
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
    const int cores = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
    auto splitMp3With = [&](int workers) {
        return [&, workers] {
            return measure(brisklet + "split --mode time --seconds 60 --format mp3 --jobs " +
                           std::to_string(workers) + settings + " --out " +
                           quote(freshFolder(work, "out")) + " " + quote(src) + " >/dev/null");
        };
    };
    const std::vector<Run> splits = alternate(
        repeats, {splitMp3With(1), splitMp3With(cores), splitMp3With(2), [&] {
                      return measure(ff + "-i " + quote(src) + " -f segment -segment_time 60" +
                                     lame + quote(freshFolder(work, "out") + "/p%03d.mp3"));
                  }});
    Run splitMp3 = row(job, "1 worker", seconds, splits[0]);
    const std::string coresTool = std::to_string(cores) + " workers";
    Run splitMp3Cores = row(job, coresTool.c_str(), seconds, splits[1]);
    Run splitMp3Two = row(job, "2 workers", seconds, splits[2]);
    Run splitMp3Ffmpeg = row(job, "ffmpeg", seconds, splits[3]);
    row(job, "sox", seconds, best(repeats, [&](const std::string& d) {
            return "sox " + quote(src) + " -C 128.5 " + quote(d + "/p.mp3") + toWav;
        }));

    job = "join 3 x 5 min MP3 -> MP3";
    auto joinWith = [&](const std::string& program) {
        return [&, program] {
            return measure(quote(program) + " join --mode time --format mp3" + settings +
                           " --output " + quote(freshFolder(work, "out") + "/joined") + " " +
                           parts + " >/dev/null");
        };
    };
    const char* before = std::getenv("BRISKLET_CLI_BEFORE");
    std::vector<Run> joins = before ? alternate(repeats, {joinWith(cli), joinWith(before)})
                                    : alternate(repeats, {joinWith(cli)});
    Run joinMp3 = row(job, "brisklet", 900, joins[0]);
    if (before)
        row(job, "before", 900, joins[1]);
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
    std::printf("(wall-time goals assume an otherwise idle machine)\n");
    goal("split MP3: 1 worker wall / 2 workers wall >= 1.8",
         splitMp3.seconds >= 1.8 * splitMp3Two.seconds, splitMp3.seconds / splitMp3Two.seconds);
    goal("split MP3: ffmpeg wall / 2 workers wall >= 1.7",
         splitMp3Ffmpeg.seconds >= 1.7 * splitMp3Two.seconds,
         splitMp3Ffmpeg.seconds / splitMp3Two.seconds);
    goal("split MP3: cores' workers wall / 2 workers wall <= 1",
         splitMp3Cores.seconds <= splitMp3Two.seconds, splitMp3Cores.seconds / splitMp3Two.seconds);
    goal("split MP3: 2 workers peak RSS < 60 MiB", splitMp3Two.peakKb < 60 * 1024,
         splitMp3Two.peakKb / 1024.0);
    if (before)
        goal("join MP3: before wall / now wall >= 1.05",
             joins[1].seconds >= 1.05 * joins[0].seconds, joins[1].seconds / joins[0].seconds);
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
