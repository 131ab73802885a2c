#pragma once
// The tag record of a source file: seeded from the file's own tag when the
// file is added, and carried into each output cut from it.

#include "tags/tagrecords.h"

#include <string>

namespace brisklet::tags {

// The record an added file gets, by its lower-cased extension: ".mp3" from
// the ID3v2 tag, ".ogg" from the Vorbis comments, ".wma" from the WMA
// attributes (values as read), anything else empty. MP3 and OGG titles are
// passed through cleanTitle and trimmed. Throws
// TagError for an ".ogg" file that is no readable Ogg Vorbis file (the caller
// treats the file as unsupported).
AudioFileinfo seedTagRecord(const std::string& path);

// Writes `record` into a finished output, by its lower-cased extension: an
// ID3v2.3 tag for ".mp3", Vorbis comments for ".ogg", WMA attributes for
// ".wma", nothing for any other. Title, Artist, Album, Year and Genre are
// carried; the comment and the track never are. Throws TagError from the
// format writers.
void WriteOutputTags(const std::string& outputPath, const AudioFileinfo& record);

// The lower-cased extension of a path, dot included (".mp3"), or "".
std::string lowerExtension(const std::string& path);

} // namespace brisklet::tags
