#pragma once
// The tag record of a source file: seeded from the file's own tag when the
// file is added, and carried into each output cut from it.

#include "audio/outputformat.h"
#include "tags/sourcetags.h"
#include "tags/tagrecords.h"

#include <span>
#include <string>

namespace brisklet::tags {

// The record an added file gets: readSourceTags' record.
AudioFileinfo seedTagRecord(const std::string& path);

// The record's fields, as the carry-over names them.
enum class TagField { Title, Artist, Album, Year, Comment, Genre, Track };

// The fields an output of `format` carries from its source's record, in the
// order they are written: the one table of what goes where. Empty for a format
// that holds no tag.
std::span<const TagField> carriedFields(audio::OutputFormat format);

// Writes the carried fields of `record` into a finished output, by its
// extension's output format: an ID3v2.3 tag for MP3, Vorbis comments for OGG,
// WMA attributes for WMA, nothing for any other. Throws TagError from the
// format writers.
void WriteOutputTags(const std::string& outputPath, const AudioFileinfo& record);

} // namespace brisklet::tags
