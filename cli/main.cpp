// brisklet-cli: the headless front end over the same engines as the program.
#include "cli/commands.h"

#include <cerrno>
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
        if (std::strcmp(argv[1], command.name) != 0)
            continue;
        const int status = command.run(Arguments(argv + 2, argv + argc));
        // Results that never reached their reader (a full disk, a closed pipe) are a failure.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "brisklet-cli: cannot write the results: %s\n",
                         std::strerror(errno));
            return status ? status : 1;
        }
        return status;
    }
    std::fprintf(stderr, "brisklet-cli: unknown command %s\n", argv[1]);
    return printUsage(stderr, kUsageError);
}
