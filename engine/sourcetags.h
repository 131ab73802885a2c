#pragma once
// Where adding a source meets the tag modules: the titles that may replace a
// row's caption, and the tag record seeded for the new row.

#include "tags/sourcetags.h"

#include <string>

namespace brisklet::engine {

enum class AddOrigin { Dialog, Folder };

using tags::SourceTags;

// Reads the tags of the source at `path` as adding from `origin` does: from a
// folder only the ID3v2 title counts; through the dialog the ID3v1 title is
// the fallback.
SourceTags readSourceTags(const std::string& path, AddOrigin origin);

} // namespace brisklet::engine
