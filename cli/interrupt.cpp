#include "cli/interrupt.h"

#include <csignal>
#include <unistd.h>

namespace brisklet::cli {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void onInterrupt(int signal)
{
    g_stopRequested = 1;
    std::signal(signal, SIG_DFL);
}

} // namespace

void installStopOnInterrupt()
{
    g_stopRequested = 0;
    // A termination request (a service manager, kill) stops the same way.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
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
