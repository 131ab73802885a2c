#pragma once
// Vorbis comments of Ogg files: read when a file is added, rewritten in an
// output during the tag carry-over.

#include "tags/tagrecords.h"

#include <string>
#include <vector>

namespace brisklet::tags {

// Replaces all seven fields of `tag` with the file's comments (names compared
// case-insensitively, the last of a name wins, values trimmed of blanks and
// control characters). Throws TagError "Cannot open " + name + ": " + reason
// when the file is no readable Ogg Vorbis file; `tag` is then unchanged.
void ReadOggComments(const std::string& fileName, OGGTag& tag);
// The same from the comment texts ("NAME=value") of a comment packet.
OGGTag oggTagFromComments(const std::vector<std::string>& comments);

// The comments written for `tag`: "Title=", "Artist=", "Album=",
// "TrackNumber=", "Date=", "Genre=", "Comment=" in this order, empty fields
// left out.
std::vector<std::string> commentsFromOggTag(const OGGTag& tag);

// Replaces the file's comments by those of `tag` through a hidden temporary
// file beside it (base::temporaryPrefixFor) renamed over it; the file keeps
// its permissions. Returns true when the file has been replaced. Throws
// TagError "Cannot open " + name + ": " + reason, or "Cannot write comments: "
// + reason (a failed final rename too); the temporary file is removed and the
// file left as it was.
// extraComments ("NAME=value", e.g. a picture's) follow the tag's.
bool WriteOggComments(const std::string& fileName, const OGGTag& tag,
                      const std::vector<std::string>& extraComments = {});

} // namespace brisklet::tags
