#pragma once
// The tag records handed between the format modules, the tag editor and the
// carry-over. All text is UTF-8; the format modules convert at the file.

#include "tags/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::tags {

// One source file's tag as the editor and the carry-over see it.
struct AudioFileinfo {
    std::string Title;
    std::string Artist;
    std::string Year;
    std::string Album;
    std::string Comment;
    std::string Genre;
    std::string Track = {}; // "3" or "3/12": the source's, or the piece's number
                            // and count; empty writes none
    Picture Cover = {};     // the front cover; empty when none

    bool operator==(const AudioFileinfo&) const = default;
};

// One record per source list entry, at the entry's index.
using TagList = std::vector<AudioFileinfo>;

// The seven ID3v2 text fields the program reads and writes.
struct ID3StructV2 {
    std::string Title;   // TIT2
    std::string Artist;  // TPE1
    std::string Album;   // TALB
    std::string Year;    // TYER
    std::string Track;   // TRCK
    std::string Comment; // COMM
    std::string Genre;   // TCON, the genre's name

    bool operator==(const ID3StructV2&) const = default;
};

// The 128-byte ID3v1 block at the end of a file, text decoded from ISO-8859-1
// up to the first zero byte. Only Title is used, as a fallback caption.
struct ID3StructV1 {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    uint8_t Genre = 0; // the ID3v1 genre number, not interpreted
};

// The Vorbis comments the program reads and writes.
struct OGGTag {
    std::string Album;
    std::string Title;
    std::string Artist;
    std::string Comment;
    std::string Genre;
    std::string Date;
    std::string TrackNumber;

    bool operator==(const OGGTag&) const = default;
};

// The WMA attributes the program reads and writes. Text slots hold at most the
// byte widths below (cut at a character boundary); longer values are cut when
// read or written.
struct WMATagStruct {
    static constexpr size_t YearWidth = 128;
    static constexpr size_t ArtistWidth = 128;
    static constexpr size_t TitleWidth = 128;
    static constexpr size_t AlbumWidth = 128;
    static constexpr size_t CommentWidth = 255;
    static constexpr size_t GenreWidth = 32;

    int32_t Found = 0;   // -1 after a successful read, otherwise 0
    std::string Year;    // "WM/Year"
    uint16_t Track = 0;  // "WM/TrackNumber", else "WM/Track"
    std::string Artist;  // "Author"
    std::string Title;   // "Title"
    std::string Album;   // "WM/AlbumTitle"
    std::string Comment; // "Description"
    std::string Genre;   // "WM/Genre"

    bool operator==(const WMATagStruct&) const = default;
};

} // namespace brisklet::tags
