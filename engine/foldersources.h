#pragma once
// The files that adding a folder takes: one level (sub folders are not
// entered), names that isFolderSourceName accepts, by name ignoring case.

#include <string>
#include <vector>

namespace brisklet::engine {

// Full paths (folder + "/" + name). Empty when the folder cannot be listed.
std::vector<std::string> folderSources(const std::string& folder);

} // namespace brisklet::engine
