#pragma once
// The program entry: one instance per user, the windows, the event loop.

namespace brisklet::app {

// Runs Brisklet; returns the exit status. A second start while one runs ends
// at once with status 0 and shows nothing.
int runProgram(int argc, char** argv);

} // namespace brisklet::app
