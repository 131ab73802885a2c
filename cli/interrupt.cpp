#include "cli/interrupt.h"

#include <csignal>
#include <unistd.h>

namespace brisklet::cli {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void onInterrupt(int)
{
    g_stopRequested = 1;
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

void installStopOnInterrupt()
{
    g_stopRequested = 0;
    std::signal(SIGINT, onInterrupt);
}

bool stopRequested()
{
    return g_stopRequested != 0;
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace brisklet::cli
