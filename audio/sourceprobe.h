#pragma once
// Internal: tells which decoder a source needs, by its content first and by its
// extension only for the headerless RAW and VOX files.

#include <string>

namespace brisklet::audio {

// Flac: native FLAC; Sndfile: WAV, RF64 and AIFF.
enum class SourceKind { Unsupported, Mpeg, Vorbis, Opus, Flac, Sndfile, Raw, Vox, Asf, Mp4 };

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

// What an MPEG file's Xing/Info header (frame count and stream bytes) tells
// of its length. Absent: no such header, only a scan of every frame tells it.
// Whole: the file holds the counted bytes and nothing but tags after them.
// CutShort: the file holds fewer bytes than counted. Continued: more frames
// follow the counted ones (streams joined end to end, maybe at another rate).
enum class MpegHeaderLength { Absent, Whole, CutShort, Continued };
MpegHeaderLength mpegHeaderLength(const std::string& path);

} // namespace brisklet::audio
