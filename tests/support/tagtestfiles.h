#pragma once
// Helpers of the tests that check tags: encoded audio to tag, independent tag readers,
// and file state for "reading changes nothing" checks.

#include "testsupport.h"

#include <filesystem>
#include <string>

namespace brisklet::test {

// A one-second stereo tone encoded by the extension of `name` (.mp3, .ogg,
// .wma, .flac, .opus, .m4a) in `dir`; returns its path. MP3s carry the encoder's own ID3v2 tag.
std::string makeEncodedTone(const TempDir& dir, const std::string& name, double seconds = 1.0);

// Runs a Python snippet with mutagen (an independent ID3 reader); `path` is
// available to it as the variable p. Returns its output without the last
// line break.
std::string runMutagen(const std::string& path, const std::string& snippet);

// A file's bytes and permissions, to compare before and after an operation.
struct FileState {
    std::string bytes;
    std::filesystem::perms permissions{};
    bool operator==(const FileState&) const = default;
};
FileState fileState(const std::string& path);
void makeReadOnly(const std::string& path);

// The ID3v2 tag as mutagen reads it without converting it to version 2.4:
// "2.3.0|" then the texts of TIT2 TPE1 TALB TYER TCON TRCK and COMM (language
// eng, empty description) joined by "|"; a missing or empty frame gives "".
std::string mutagenId3Fields(const std::string& path);

// What `vorbiscomment -l` lists for an Ogg file, one comment per line (UTF-8
// as stored, whatever the locale).
std::string vorbisCommentList(const std::string& path);

} // namespace brisklet::test
