#pragma once
// Internal: an output being written; blocks arrive in the declared block format
// and are converted to the encoder's rate and channel count when they differ.

#include "audio/converter.h"
#include "audio/encoder.h"
#include "audio/sampleblock.h"

#include <memory>
#include <vector>

namespace brisklet::audio {

class OutputWriter {
public:
    // blockRate/blockChannels 0: blocks come in the encoder's own format.
    OutputWriter(std::unique_ptr<Encoder> encoder, int blockRate, int blockChannels);

    void write(const SampleBlock& block);
    // Writes what the converter still holds and completes the output.
    void finish();

private:
    void encodeConverted();

    std::unique_ptr<Encoder> m_encoder;
    std::unique_ptr<BlockConverter> m_converter; // null when no conversion is needed
    int m_blockChannels = 0;
    std::vector<float> m_converted;
};

} // namespace brisklet::audio
