#pragma once
// Source arguments as the window's adds take them: a folder stands for its
// audio files (as Add Folder lists them), anything else is a file.

#include <string>
#include <vector>

namespace brisklet::cli {

struct SourceArguments {
    std::vector<std::string> files;
    int emptyFolders = 0; // folders that gave no file; each is reported
    int refused = 0;      // starts at emptyFolders; the command adds its own refusals
    int total() const { return static_cast<int>(files.size()) + emptyFolders; }
};

// Expands the folders among `operands`; a folder without audio files is named
// on stderr and counted as refused.
SourceArguments expandSources(const std::vector<std::string>& operands);

} // namespace brisklet::cli
