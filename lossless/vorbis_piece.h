#pragma once
// An Ogg Vorbis piece made of the source's own packets in a new logical
// stream: its identification and setup headers, a comment header with the
// source's vendor string and no fields (the tags are written into it later),
// and the audio packets from one packet before the piece (a packet's output
// overlaps the one before it). The granule positions make the decoder drop
// what lies before the piece on the first audio page and after it on the last.

#include "base/output_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace brisklet::lossless {

class VorbisStream {
public:
    // Reads the headers and walks every packet once to learn the length.
    // Throws AudioError when the file cannot be read.
    explicit VorbisStream(const std::string& path);
    ~VorbisStream();
    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    // Why the stream cannot be copied; empty when it can.
    const std::string& refusal() const { return m_refusal; }
    // Frames the reader gives in all.
    int64_t readerLength() const { return m_length; }

    // Writes reader frames [start, end) into `out`, or returns why they cannot
    // be copied (then nothing was written). Pieces in order cost one pass over
    // the source in all; an earlier piece starts the pass again.
    std::string writePiece(int64_t start, int64_t end, base::OutputFile& out);

    struct Walk; // the packet walk over the source

private:
    void restart();

    std::string m_path;
    std::string m_refusal;
    std::vector<std::vector<uint8_t>> m_headers; // identification, comment, setup
    std::vector<uint8_t> m_comment;              // the piece's comment header
    int64_t m_length = 0;
    int64_t m_startTrim = 0; // decoded frames before the reader's position 0
    std::unique_ptr<Walk> m_walk;
};

} // namespace brisklet::lossless
