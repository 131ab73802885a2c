// brisklet-cli: the headless front end over the same engines as the program.
#include "cli/commands.h"

#include <cstdio>
#include <cstring>

namespace {

int printUsage(FILE* stream, int status)
{
    std::fputs("usage:\n", stream);
    for (const auto& command : brisklet::cli::commands())
        std::fprintf(stream, "  brisklet-cli %s\n", command.usage);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace brisklet::cli;
    if (argc < 2)
        return printUsage(stderr, kUsageError);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0)
        return printUsage(stdout, 0);
    for (const auto& command : commands()) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "brisklet-cli: unknown command %s\n", argv[1]);
    return printUsage(stderr, kUsageError);
}
