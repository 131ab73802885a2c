// brisklet-cli: the headless front end over the same engines as the program.
#include "cli/commands.h"
#include "cli/options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int printUsage(FILE* stream, int status)
{
    std::fputs("usage: brisklet-cli COMMAND [OPTION]... FILE...\n", stream);
    for (const auto& command : brisklet::cli::commands())
        std::fprintf(stream, "  brisklet-cli %s\n", command.usage);
    std::fputs("\n  brisklet-cli COMMAND --help   what COMMAND does and its options\n"
               "  brisklet-cli --version\n",
               stream);
    return status;
}

int printCommandHelp(const brisklet::cli::Command& command)
{
    std::printf("usage: brisklet-cli %s\n\n%s", command.usage, command.help);
    if (std::strcmp(command.name, "split") == 0 || std::strcmp(command.name, "join") == 0)
        std::fputs(brisklet::cli::jobOptionsDescription(), stdout);
    return 0;
}

// Results that never reached their reader (a full disk, a closed pipe) are a failure.
int flushed(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "brisklet-cli: cannot write the results: %s\n", std::strerror(errno));
        return status ? status : 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace brisklet::cli;
    if (argc < 2)
        return printUsage(stderr, kUsageError);
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help")
        return flushed(printUsage(stdout, 0));
    if (first == "--version")
        return flushed((std::printf("brisklet-cli %s\n", BRISKLET_VERSION), 0));
    if (first.starts_with("-")) {
        usageError("unknown option " + first);
        return kUsageError;
    }
    for (const auto& command : commands()) {
        if (first != command.name)
            continue;
        const Arguments args(argv + 2, argv + argc);
        if (asksForHelp(args))
            return flushed(printCommandHelp(command));
        return flushed(command.run(args));
    }
    std::fprintf(stderr, "brisklet-cli: unknown command %s\n", argv[1]);
    return printUsage(stderr, kUsageError);
}
