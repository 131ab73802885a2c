#pragma once
// WMA tag attributes: read when a file is added, written into an output
// during the tag carry-over.

#include "tags/picture.h"
#include "tags/tagrecords.h"

#include <string>

namespace brisklet::tags {

// Replaces the whole of `tag` (Found = -1) when the file is a readable ASF
// file; otherwise returns false and leaves `tag` as it was. Track is
// "WM/TrackNumber", or "WM/Track" when that gives 0 (low 16 bits). Reading
// never changes the file.
bool ReadWmaTag(const std::string& fileName, WMATagStruct& tag);

// Writes "Author", "Title", "WM/AlbumTitle", "WM/Year", "Description",
// "WM/Genre" as text (each cut to its slot's width) and "WM/TrackNumber" as a
// 32-bit number. The file is replaced atomically through a copy beside it and
// keeps its permissions. Returns false, changing nothing, when the file is
// not a readable ASF file; throws TagError when the new file cannot be made.
// With a picture, every WM/Picture is replaced by it (removed when it is empty).
bool WriteWmaTag(const std::string& fileName, const WMATagStruct& tag,
                 const Picture* picture = nullptr);

} // namespace brisklet::tags
