#pragma once
// The one place that knows which tag format a file holds and reads a source's
// tags: once per file, giving both the titles that may name its row and the
// tag record its outputs carry.

#include "tags/tagrecords.h"

#include <string>
#include <vector>

namespace brisklet::tags {

// The tag formats the program reads and writes, by file family.
enum class TagFamily { None, Id3, Vorbis, Asf };

// By the lower-cased extension: ".mp3" ID3, ".ogg" Vorbis comments, ".wma"
// ASF attributes, anything else none.
TagFamily tagFamilyOf(const std::string& path);

// Whether an ID3v1 title counts as a title candidate before the ID3v2 one.
enum class Id3v1Title { Fallback, Ignored };

struct SourceTags {
    // Titles in reading order (for MP3 with the ID3v1 fallback: the ID3v1
    // title, then the ID3v2 title); a later non-empty one wins.
    std::vector<std::string> titles;
    // The record an added file gets: ID3v2, Vorbis comments or WMA attributes
    // (values as read), anything else empty. MP3 and OGG titles are passed
    // through cleanTitle and trimmed; Year is never seeded.
    AudioFileinfo record;
};

// Throws TagError for an ".ogg" file that is no readable Ogg Vorbis file (the
// caller treats the file as unsupported).
SourceTags readSourceTags(const std::string& path, Id3v1Title id3v1 = Id3v1Title::Fallback);

// The lower-cased extension of a path, dot included (".mp3"), or "".
std::string lowerExtension(const std::string& path);

} // namespace brisklet::tags
