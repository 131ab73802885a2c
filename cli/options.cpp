#include "cli/options.h"

#include <algorithm>

namespace brisklet::cli {

std::string parseArguments(const Arguments& args, std::span<const OptionSpec> accepted,
                           ParsedArguments& parsed)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        auto spec = std::find_if(accepted.begin(), accepted.end(),
                                 [&](const OptionSpec& option) { return arg == option.name; });
        if (spec == accepted.end())
            return "unknown option " + arg;
        if (!spec->takesValue) {
            parsed.options.push_back({arg, {}});
            continue;
        }
        if (i + 1 >= args.size())
            return "option " + arg + " needs a value";
        parsed.options.push_back({arg, args[++i]});
    }
    return {};
}

bool asksForHelp(const Arguments& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

} // namespace brisklet::cli
