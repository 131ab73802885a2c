#pragma once
// WAV and FLAC pieces with the source's own samples: integers are moved as
// integers (never through float, whose scaling is not symmetric), floats as
// floats, into a file of the source's container and sample format. FLAC is
// encoded again, which is lossless by nature.

#include "audio/audiofile.h"
#include "base/output_file.h"

#include <cstdint>
#include <memory>
#include <string>

struct sf_private_tag; // libsndfile's SNDFILE

namespace brisklet::lossless {

class PcmSource {
public:
    // Throws AudioError when the file cannot be opened.
    explicit PcmSource(const std::string& path);
    ~PcmSource();
    PcmSource(const PcmSource&) = delete;
    PcmSource& operator=(const PcmSource&) = delete;

    // Why the source's pieces cannot be copied; empty when they can.
    const std::string& refusal() const { return m_refusal; }
    const std::string& extension() const { return m_extension; } // ".wav" or ".flac"
    int64_t length() const;
    // Frames of the source lost to damage so far: a FLAC source is read
    // through the program's reader, which keeps the frames after damage in
    // their place (libsndfile skips past it and moves them).
    int64_t damagedFrames() const;

    // Writes frames [start, end) into `out`, which must be empty.
    void writePiece(int64_t start, int64_t end, base::OutputFile& out);

    // Whether frames of `other` can follow this source's in one file: the
    // same container, sample format, rate and channel count.
    bool sameLayout(const PcmSource& other) const;

    struct File;

private:
    friend class PcmJoin;
    void copyInto(sf_private_tag* to, int64_t start, int64_t end);
    void copyFromReader(sf_private_tag* to, int64_t start, int64_t end);
    std::string m_path;
    std::string m_refusal;
    std::string m_extension;
    File* m_file = nullptr;
    std::unique_ptr<audio::IAudioFile2> m_reader; // FLAC up to 24 bits
};

// One output that sources of the same layout are copied into, one stretch
// after another; renamed over `path` at commit().
class PcmJoin {
public:
    PcmJoin(const std::string& path, const PcmSource& layout);
    ~PcmJoin();
    PcmJoin(const PcmJoin&) = delete;
    PcmJoin& operator=(const PcmJoin&) = delete;

    void append(PcmSource& source, int64_t start, int64_t end);
    void commit();

private:
    base::OutputFile m_out;
    sf_private_tag* m_file = nullptr;
};

} // namespace brisklet::lossless
