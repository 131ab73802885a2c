#pragma once
// Where adding a source meets the tag modules: the titles that may replace a
// row's caption, and the tag record seeded for the new row.

#include "tags/tagrecords.h"

#include <string>
#include <vector>

namespace brisklet::engine {

enum class AddOrigin { Dialog, Folder };

struct SourceTags {
    // Titles in reading order (for MP3 through the dialog: the ID3v1 title,
    // then the ID3v2 title); a later non-empty one wins.
    std::vector<std::string> titles;
    tags::AudioFileinfo record;
};

// Reads the tags of the source at `path` as adding from `origin` does.
SourceTags readSourceTags(const std::string& path, AddOrigin origin);

} // namespace brisklet::engine
