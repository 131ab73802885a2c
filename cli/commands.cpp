#include "cli/commands.h"

#include <cstdio>

namespace brisklet::cli {

namespace {
const char* splitUsage =
    "split [--mode custom|time|count|unification] [--seconds N] [--count M] "
    "[--segment BEGIN-END]... [--format mp3|wav|wma|ogg] [--fade-in S] [--fade-out S] "
    "[--settings FILE] [--silence [DB[:SECONDS[:MINPIECE]]] [--trim] | --cue FILE | "
    "--labels FILE] [--export-labels FILE] [--name TEMPLATE] [--track-numbers] [--dry-run] "
    "--out DIR FILE...";
const char* joinUsage = "join [same options as split] [--write-cue] --output NAME FILE...";
} // namespace

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"info", "info FILE...", runInfo},
        {"convert", "convert [--format mp3|wav|wma|ogg] [--settings FILE] [--overwrite] IN OUT",
         runConvert},
        {"split", splitUsage, runSplit},
        {"join", joinUsage, runJoin},
        {"tags", "tags FILE", runTags},
    };
    return table;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "brisklet-cli: %s\n", message.c_str());
    return 1;
}

int usageError(const std::string& message)
{
    fail(message);
    return kUsageError;
}

} // namespace brisklet::cli
