#pragma once
// The command line's grammar, shared by every command: options start with "-",
// an option either stands alone or takes the next argument as its value, "--"
// ends the options, and anything else starting with "-" is refused, so that a
// mistyped option never becomes an input file.

#include "cli/commands.h"

#include <span>
#include <string>
#include <vector>

namespace brisklet::cli {

struct OptionSpec {
    const char* name; // "--format"
    bool takesValue;
};

struct ParsedOption {
    std::string name;
    std::string value; // empty for an option without a value
};

struct ParsedArguments {
    std::vector<ParsedOption> options; // in the order given
    std::vector<std::string> operands; // files and folders, in the order given
};

// Splits `args` into the options of `accepted` and the operands. Returns the
// usage error ("unknown option -v", "option --out needs a value"), or "".
std::string parseArguments(const Arguments& args, std::span<const OptionSpec> accepted,
                           ParsedArguments& parsed);

// True when the arguments ask for the command's help ("--help" or "-h" before
// any "--").
bool asksForHelp(const Arguments& args);

} // namespace brisklet::cli
