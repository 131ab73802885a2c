// Times a shell command line run as one child: wall time, processor time and
// peak resident memory of it and its descendants. Shared by the benchmarks.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace brisklet::bench {

struct CommandRun {
    double seconds = 0;    // wall time
    double cpuSeconds = 0; // user + system time of the child and its descendants
    long peakKb = 0;
    bool ok = false;
};

inline double secondsOf(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

inline CommandRun runCommand(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    CommandRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return run;
}

} // namespace brisklet::bench
