#pragma once
// Internal: an open source delivering blocks in the block format, converting
// from the decoder's own rate and channel count when they differ.

#include "audio/converter.h"
#include "audio/decoder.h"
#include "audio/sampleblock.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace brisklet::audio {

class SourceReader {
public:
    // blockRate/blockChannels 0: the decoder's own.
    SourceReader(std::unique_ptr<Decoder> decoder, int blockRate, int blockChannels);

    const Decoder& decoder() const { return *m_decoder; }
    void setBlockFormat(int blockRate, int blockChannels);
    // frame: in the source's own frames.
    void seek(int64_t frame);
    // Up to `count` frames in the block format; an empty block at the end.
    SampleBlock read(int64_t count);

private:
    int64_t pendingFrames() const;
    SampleBlock takePending(int64_t count);

    std::unique_ptr<Decoder> m_decoder;
    std::unique_ptr<BlockConverter> m_converter; // null when no conversion is needed
    int m_blockRate = 0;
    int m_blockChannels = 0;
    std::vector<float> m_input;   // decoded frames before conversion
    std::vector<float> m_pending; // converted frames not yet handed out
    size_t m_pendingStart = 0;
    bool m_inputEnded = false;
};

} // namespace brisklet::audio
