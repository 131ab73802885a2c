#pragma once
// The Layer III frames of an MP3 source, indexed as the gapless decoder counts
// them: frame 0 is the first audio frame after any Xing/Info frame. Keeps one
// file offset per 64 frames, so its memory stays small for long sources.

#include "lossless/byte_reader.h"
#include "lossless/mpeg_header.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::lossless {

struct MpegFrame {
    int64_t offset = 0;
    MpegHeader header;
    int mainDataBegin = 0; // bytes of main data stored before this frame's own
};

// The source's Xing/Info and LAME tag, as far as the decoder uses them.
struct MpegSourceTag {
    bool hasInfoFrame = false;
    bool hasLameTag = false;
    int delay = 0; // encoder delay and padding from the LAME tag
    int padding = 0;
    // The tag's 36 bytes, kept so that a piece carries the source's encoder
    // facts (vendor, lowpass, flags, preset) in its own tag.
    std::array<uint8_t, 36> lameTag{'L', 'A', 'M', 'E', '3', '.', '1', '0', '0'};
};

class MpegStream {
public:
    // Walks every frame header once. Throws AudioError when the file cannot be read.
    explicit MpegStream(const std::string& path);

    // Why the frames cannot be copied ("MPEG layer II", "free-format"); empty
    // when they can.
    const std::string& refusal() const { return m_refusal; }
    int64_t frameCount() const { return m_frameCount; }
    int samplesPerFrame() const { return m_first.samplesPerFrame(); }
    const MpegHeader& firstHeader() const { return m_first; }
    const MpegSourceTag& sourceTag() const { return m_tag; }
    // Decoded samples the gapless reader drops before its position 0.
    int64_t readerOffset() const;
    // Frames the gapless reader gives in all.
    int64_t readerLength() const;

    // Frame `index` (0 <= index < frameCount()); cheapest when called in order.
    MpegFrame frame(int64_t index);
    // The whole frame's bytes.
    std::vector<uint8_t> frameBytes(const MpegFrame& frame);
    ByteReader& bytes() { return m_bytes; }

private:
    int64_t findFirstFrame();
    void readSourceTag(int64_t offset, const MpegHeader& header);
    void scan(int64_t start);
    bool headerAt(int64_t offset, MpegFrame& frame);

    ByteReader m_bytes;
    MpegHeader m_first;
    MpegSourceTag m_tag;
    std::string m_refusal;
    int64_t m_frameCount = 0;
    std::vector<int64_t> m_checkpoints; // offset of every 64th frame
    int64_t m_lastIndex = -1;
    MpegFrame m_last;
};

} // namespace brisklet::lossless
