#include "engine/foldersources.h"

#include "engine/sourcelist.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace brisklet::engine {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::vector<std::string> folderSources(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        std::string name = it->path().filename().string();
        if (!it->is_directory(typeError) && isFolderSourceName(name))
            names.push_back(std::move(name));
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lowered(a) < lowered(b);
    });
    const std::string base = folder.ends_with('/') ? folder : folder + "/";
    for (std::string& name : names)
        name = base + name;
    return names;
}

} // namespace brisklet::engine
