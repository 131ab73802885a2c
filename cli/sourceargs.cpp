#include "cli/sourceargs.h"

#include "cli/commands.h"
#include "engine/foldersources.h"

#include <filesystem>

namespace brisklet::cli {

SourceArguments expandSources(const std::vector<std::string>& operands)
{
    SourceArguments sources;
    for (const std::string& operand : operands) {
        std::error_code ignored;
        if (!std::filesystem::is_directory(operand, ignored)) {
            sources.files.push_back(operand);
            continue;
        }
        std::vector<std::string> found = engine::folderSources(operand);
        if (found.empty()) {
            fail(operand + " holds no audio files");
            ++sources.emptyFolders;
        }
        sources.files.insert(sources.files.end(), found.begin(), found.end());
    }
    sources.refused = sources.emptyFolders;
    return sources;
}

} // namespace brisklet::cli
