#pragma once
// Lossless pieces of one source: MP3 frames, Ogg Vorbis packets, WAV and FLAC
// samples copied without a generation of coding loss, each piece exactly the
// frames asked. What cannot be copied says why, so that the caller can encode
// that piece instead in the nearest format it writes.

#include "audio/outputformat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brisklet::lossless {

// The output format a piece falls back to when it cannot be copied.
using NearestFormat = audio::OutputFormat;

class PieceCopier {
public:
    // `readerLength`: the frames the reader gives for the source; a copy that
    // would count the source differently is refused. Throws AudioError when
    // the file cannot be read.
    PieceCopier(const std::string& path, int64_t readerLength);
    ~PieceCopier();
    PieceCopier(const PieceCopier&) = delete;
    PieceCopier& operator=(const PieceCopier&) = delete;

    // Why no piece of this source can be copied ("MPEG layer II"); empty when
    // pieces can.
    const std::string& refusal() const { return m_refusal; }
    NearestFormat nearestFormat() const { return m_nearest; }
    // The copies' extension: ".mp3", ".ogg", ".wav" or ".flac".
    const std::string& extension() const { return m_extension; }

    // Writes reader frames [start, end) to `path` (beside it first, renamed
    // over it when complete). Returns why the piece could not be copied (then
    // nothing was written), or an empty text. Throws AudioError when writing fails.
    std::string writePiece(int64_t start, int64_t end, const std::string& path);
    // Frames of the source lost to damage in the pieces written so far (read
    // as silence in their place).
    int64_t damagedFrames() const;

private:
    struct Sources;
    std::string m_path;
    std::string m_refusal;
    std::string m_extension;
    NearestFormat m_nearest = NearestFormat::Wav;
    std::unique_ptr<Sources> m_sources;
};

// Whether a join can copy its sources: all PCM WAV or all FLAC of one sample
// format, rate and channel count, each as long as the reader says
// (`readerLengths`, in the order of `paths`). Otherwise `refusal` says why and
// `nearest` is the first source's nearest format.
struct JoinCopyPlan {
    std::string refusal;
    NearestFormat nearest = NearestFormat::Wav;
    std::string extension; // of the copy: ".wav" or ".flac"
};
JoinCopyPlan planJoinCopy(const std::vector<std::string>& paths,
                          const std::vector<int64_t>& readerLengths);

// Opens a written output again with the reader: its length must be `frames`;
// with `source` given, its samples must also equal the source's from frame
// `start` on. Returns what differs ("12000 frames instead of 12345"), or an
// empty text.
std::string checkOutput(const std::string& output, int64_t frames, const std::string& source = {},
                        int64_t start = 0);

} // namespace brisklet::lossless
