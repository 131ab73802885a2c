#pragma once
// Vorbis comments and pictures of FLAC and Ogg Opus files, and the iTunes
// atoms of M4A files, through TagLib. Text fields as in OGGTag.

#include "tags/picture.h"
#include "tags/tagrecords.h"

#include <string>

namespace brisklet::tags {

// False, leaving `tag` alone, when the file is not a readable file of the kind.
bool ReadFlacTag(const std::string& fileName, OGGTag& tag);
bool ReadOpusTag(const std::string& fileName, OGGTag& tag);
// ©nam, ©ART, ©alb, ©day, trkn, ©gen and ©cmt as the OGGTag fields.
bool ReadMp4Tag(const std::string& fileName, OGGTag& tag);

// Replaces the file's comments by the non-empty fields of `tag` (TITLE,
// ARTIST, ALBUM, TRACKNUMBER, DATE, GENRE, COMMENT) and its pictures by
// `picture` (none when empty), through a copy beside it renamed over it.
// Throws TagError naming the file and the reason.
void WriteFlacTag(const std::string& fileName, const OGGTag& tag, const Picture& picture);
void WriteOpusTag(const std::string& fileName, const OGGTag& tag, const Picture& picture);

} // namespace brisklet::tags
