#pragma once
// ID3 tags of MP3 files: the ID3v1 block (read for its title) and the ID3v2
// tag (read in versions 2.2-2.4, written as version 2.3). Reading never
// changes the file; a malformed tag yields empty fields.

#include "tags/tagrecords.h"

#include <string>
#include <string_view>

namespace brisklet::tags {

// The file's last 128 bytes when they begin with "TAG"; otherwise all empty.
ID3StructV1 ReadID3v1(const std::string& fileName);

// The seven fields of the file's leading ID3v2 tag, trimmed of blanks and
// control characters; fields without a frame, and every field of a missing or
// damaged tag, are empty. At most 250 bytes of a frame are used.
ID3StructV2 ReadID3v2(const std::string& fileName);
// The same from the tag's bytes (its 10-byte header and the body).
ID3StructV2 parseID3v2(std::string_view tagBytes);

// Puts `tag` as an ID3v2.3 tag in front of the file's audio, replacing an
// ID3v2 tag already at its start. The file is replaced atomically and keeps
// its permissions. Throws TagError naming the file and the reason.
// extraFrames (rendered frames, e.g. a picture's) follow the seven.
void WriteID3v2(const std::string& fileName, const ID3StructV2& tag,
                const std::string& extraFrames = {});
// The exact bytes WriteID3v2 puts in front: the seven frames in the order
// TIT2 TPE1 TALB TRCK TYER TCON COMM, each value cut to 255 bytes, then 10
// bytes of padding. Encoding 0 (ISO-8859-1) when the value fits it, else 1.
std::string renderID3v2(const ID3StructV2& tag, const std::string& extraFrames = {});

// Length of the ID3v2 tag at the start of `head` (its header is enough), or 0.
// A tag that claims more than fileSize bytes is not taken as a tag.
size_t leadingID3v2Length(std::string_view head, uint64_t fileSize);

} // namespace brisklet::tags
