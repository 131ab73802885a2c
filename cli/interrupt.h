#pragma once
// The platform's part of the batch jobs: Ctrl+C as a Stop request, and whether
// stderr is a terminal (progress is then drawn in place).

namespace brisklet::cli {

// From now on the first SIGINT or SIGTERM only records a Stop request; a second
// one ends the program as usual.
void installStopOnInterrupt();
bool stopRequested();
bool stderrIsTerminal();

} // namespace brisklet::cli
