#pragma once
// Internal: tells which decoder a source needs, by its content first and by its
// extension only for the headerless RAW and VOX files.

#include <string>

namespace brisklet::audio {

enum class SourceKind { Unsupported, Mpeg, Vorbis, Opus, Sndfile, Raw, Vox, Asf, Mp4 };

// Throws AudioError "cannot open <path>: <reason>" unless the path names a
// regular file (through links): a folder, a FIFO or a device is refused without
// being opened, so that nothing blocks on it, and so is a link loop.
void requireRegularFile(const std::string& path);

// Throws AudioError when the file cannot be opened ("cannot open <path>: <reason>").
SourceKind probeSource(const std::string& path);

// True when `bytes` (read from the start of an MPEG stream, after any ID3v2 tag)
// holds a run of consecutive, consistent MPEG audio frame headers. mpg123 takes
// almost any bytes as a sync word, so this is what decides that a file is MP3.
bool looksLikeMpegStream(const std::string& bytes, bool reachesEndOfFile);

// Whether an MPEG file is as long as its Xing/Info header says: the header
// gives the frame count and the byte size of the stream, and the file holds at
// least that many bytes after its ID3v2 tag. False without such a header (then
// only a scan of every frame tells the length).
bool mpegStreamIsWhole(const std::string& path);
// Whether the file holds less than its Xing/Info header counts: cut short.
bool mpegStreamIsCutShort(const std::string& path);

} // namespace brisklet::audio
