#pragma once
// The commands of brisklet-cli. Each takes the arguments after its name, prints
// its results on stdout and its errors on stderr, and returns the exit status.

#include <string>
#include <vector>

namespace brisklet::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage; // shown after "brisklet-cli "
    const char* help;  // what it does and its options, for COMMAND --help
    int (*run)(const Arguments& args);
};

// The dispatch table; a new command adds one line to it (commands.cpp).
const std::vector<Command>& commands();

// The options split and join share, for their --help.
const char* jobOptionsDescription();

int runInfo(const Arguments& args);
int runConvert(const Arguments& args);
int runSplit(const Arguments& args);
int runJoin(const Arguments& args);
int runTags(const Arguments& args);

// Prints "brisklet-cli: N of M sources were refused" on stderr when any was,
// and returns the status to end with: `status`, or 1 when any was refused.
int refusalSummary(int refused, int total, int status);

// Prints "brisklet-cli: <message>" on stderr and returns the failure status.
int fail(const std::string& message);
// Exit status of a usage error.
constexpr int kUsageError = 2;
// Prints the message like fail(), then where to find the usage, and returns
// kUsageError.
int usageError(const std::string& message);

} // namespace brisklet::cli
