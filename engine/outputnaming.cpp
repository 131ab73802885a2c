#include "engine/outputnaming.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace brisklet::engine {

namespace {

constexpr std::string_view forbiddenCharacters = "*?|:/\\<>\"";
constexpr size_t maxNameBytes = maxOutputNameBytes;

bool isForbidden(unsigned char c)
{
    return c < 0x20 || c == 0x7f ||
           forbiddenCharacters.find(static_cast<char>(c)) != std::string_view::npos;
}

} // namespace

std::string cutAtCharacter(const std::string& text, size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string nameBase(const std::string& displayName)
{
    size_t dot = displayName.find('.');
    if (dot == std::string::npos || dot == 0)
        return displayName;
    return displayName.substr(0, dot);
}

std::string cleanName(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (!isForbidden(static_cast<unsigned char>(c)))
            out += c;
    }
    return out;
}

bool pathExists(const std::string& path)
{
    std::error_code error;
    // symlink_status: a dangling link counts, so nothing is written through it.
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string pathInFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string numberedOutputPath(const std::string& folder, const std::string& base,
                               const std::string& extension, const PathExists& exists)
{
    std::string cleanBase = cleanName(base);
    if (cleanBase.empty())
        cleanBase = "untitled";
    for (long long n = 1;; ++n) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict)
        // about "_" + std::string.
        std::string suffix = "_";
        suffix += std::to_string(n);
        suffix += extension;
        std::string name = cutAtCharacter(cleanBase, maxNameBytes - suffix.size()) + suffix;
        std::string path = pathInFolder(folder, name);
        if (!exists(path))
            return path;
    }
}

std::string claimedOutputPath(const std::function<std::string(const PathExists&)>& choose,
                              NameReservation& claim)
{
    return choose([&claim](const std::string& path) {
        if (pathExists(path))
            return true;
        std::error_code error;
        NameReservation attempt(path, error);
        if (error == std::errc::file_exists)
            return true;
        claim = std::move(attempt);
        return false;
    });
}

std::string pieceOutputPath(const std::string& folder, const std::string& displayName,
                            const std::string& extension, const PathExists& exists)
{
    return numberedOutputPath(folder, nameBase(displayName), extension, exists);
}

std::string fallbackOutputPath(const std::string& folder, const std::string& sourcePath,
                               const std::string& extension, const PathExists& exists)
{
    std::string stem = std::filesystem::path(sourcePath).stem().string();
    return numberedOutputPath(folder, stem, extension, exists);
}

} // namespace brisklet::engine
