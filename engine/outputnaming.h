#pragma once
// Names of the files a split writes: "<base>_<n><extension>" inside the output
// folder, for the first n from 1 up that names nothing on disk. Every name is one
// path component: the characters no file name may hold are removed, so a display
// name can neither leave the folder nor land on an existing file (the source).

#include "engine/namereservation.h"

#include <functional>
#include <string>

namespace brisklet::engine {

// The longest name of an output file, in bytes.
inline constexpr size_t maxOutputNameBytes = 255;

// The text cut to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutAtCharacter(const std::string& text, size_t bytes);

// A display name up to, not including, its first "."; the whole name when it has
// no "." or starts with one ("a.b.c" gives "a", ".x.wav" gives ".x.wav").
std::string nameBase(const std::string& displayName);

// The name without "*", "?", "|", ":", "/", "\", "<", ">", the double quote and
// control characters (every occurrence).
std::string cleanName(const std::string& name);

// True when anything (file, folder, dangling link) stands at the path.
bool pathExists(const std::string& path);
using PathExists = std::function<bool(const std::string& path)>;

// folder + "/" (unless it ends in one) + name.
std::string pathInFolder(const std::string& folder, const std::string& name);

// folder + cleaned "<base>_<n>" + extension for the first n >= 1 whose path does
// not exist. An empty (cleaned) base becomes "untitled"; a long one is shortened
// at a character boundary so that the name fits 255 bytes.
std::string numberedOutputPath(const std::string& folder, const std::string& base,
                               const std::string& extension, const PathExists& exists = pathExists);

// The path `choose` gives (one of the functions below) with an `exists` that
// also claims each free name it is asked about: a name another program takes
// between the look and the claim counts as taken. The claim of the name given
// back is left in `claim`; it holds nothing when the name could not be
// created at all (the writer then reports why).
std::string claimedOutputPath(const std::function<std::string(const PathExists&)>& choose,
                              NameReservation& claim);

// The name of a piece cut from a source shown as `displayName`.
std::string pieceOutputPath(const std::string& folder, const std::string& displayName,
                            const std::string& extension, const PathExists& exists = pathExists);

// The name tried when the piece's own name cannot be created: the source file's
// name without its extension, numbered the same way.
std::string fallbackOutputPath(const std::string& folder, const std::string& sourcePath,
                               const std::string& extension, const PathExists& exists = pathExists);

} // namespace brisklet::engine
