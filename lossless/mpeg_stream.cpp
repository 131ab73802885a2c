#include "lossless/mpeg_stream.h"

#include "audio/audioerror.h"

#include <cstring>

namespace brisklet::lossless {

namespace {

constexpr int64_t kCheckpointEvery = 64;
// How far past an ID3v2 tag a first frame is looked for.
constexpr int64_t kSyncSearchBytes = 1 << 16;
// The decoder's own delay: the synthesis filter bank's output lags its input.
constexpr int64_t kDecoderDelay = 529;

uint32_t bigEndian32(const uint8_t* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

} // namespace

MpegStream::MpegStream(const std::string& path) : m_bytes(path)
{
    const int64_t start = findFirstFrame();
    if (start < 0) {
        m_refusal = "no MPEG audio frames";
        return;
    }
    if (m_first.layer != 3) {
        m_refusal = m_first.layer == 2 ? "MPEG layer II" : "MPEG layer I";
        return;
    }
    if (m_first.bitrateIndex == 0) {
        m_refusal = "a free-format stream";
        return;
    }
    readSourceTag(start, m_first);
    scan(m_tag.hasInfoFrame ? start + m_first.frameBytes() : start);
}

int64_t MpegStream::findFirstFrame()
{
    uint8_t id3[10];
    int64_t at = 0;
    if (m_bytes.readAt(0, id3, 10) == 10 && std::memcmp(id3, "ID3", 3) == 0) {
        const int64_t size = (int64_t{id3[6] & 0x7f} << 21) | (int64_t{id3[7] & 0x7f} << 14) |
                             (int64_t{id3[8] & 0x7f} << 7) | (id3[9] & 0x7f);
        at = 10 + size + ((id3[5] & 0x10) ? 10 : 0);
    }
    // A frame counts as the first when the next one follows it consistently.
    for (int64_t end = at + kSyncSearchBytes; at < end; ++at) {
        uint8_t head[4];
        if (m_bytes.readAt(at, head, 4) < 4)
            return -1;
        std::optional<MpegHeader> header = parseMpegHeader(head);
        if (!header)
            continue;
        if (header->layer != 3 || header->bitrateIndex == 0) {
            m_first = *header; // refused by the caller: only Layer III frames are copied
            return at;
        }
        uint8_t next[4];
        const int64_t nextAt = at + header->frameBytes();
        const bool atEnd = m_bytes.readAt(nextAt, next, 4) < 4;
        std::optional<MpegHeader> following = atEnd ? std::nullopt : parseMpegHeader(next);
        if (atEnd || (following && sameStream(*header, *following))) {
            m_first = *header;
            return at;
        }
    }
    return -1;
}

void MpegStream::readSourceTag(int64_t offset, const MpegHeader& header)
{
    const int frameSize = header.frameBytes();
    std::vector<uint8_t> frame(static_cast<size_t>(frameSize));
    if (m_bytes.readAt(offset, frame.data(), frame.size()) < frame.size())
        return;
    const size_t xing = static_cast<size_t>(4 + header.sideInfoBytes());
    if (xing + 8 > frame.size() ||
        (std::memcmp(&frame[xing], "Xing", 4) != 0 && std::memcmp(&frame[xing], "Info", 4) != 0))
        return;
    const uint32_t flags = bigEndian32(&frame[xing + 4]);
    if (!(flags & 1))
        return; // without a frame count the decoder takes it as no header at all
    m_tag.hasInfoFrame = true;
    // The decoder reads the LAME tag at its fixed place, whatever the flags say.
    const size_t lame = xing + 120;
    if (lame + 36 > frame.size())
        return;
    const uint8_t* tag = &frame[lame];
    const bool known = std::memcmp(tag, "LAME", 4) == 0 || std::memcmp(tag, "Lavf", 4) == 0 ||
                       std::memcmp(tag, "Lavc", 4) == 0 || std::memcmp(tag, "GOGO", 4) == 0;
    if (!known)
        return;
    m_tag.hasLameTag = true;
    std::memcpy(m_tag.lameTag.data(), tag, 36);
    m_tag.delay = (tag[21] << 4) | (tag[22] >> 4);
    m_tag.padding = ((tag[22] & 0x0f) << 8) | tag[23];
}

bool MpegStream::headerAt(int64_t offset, MpegFrame& frame)
{
    uint8_t head[38];
    const size_t got = m_bytes.readAt(offset, head, sizeof head);
    if (got < 4)
        return false;
    std::optional<MpegHeader> header = parseMpegHeader(head);
    if (!header || !sameStream(*header, m_first) || header->bitrateIndex == 0)
        return false;
    if (offset + header->frameBytes() > m_bytes.size() ||
        got < static_cast<size_t>(header->dataOffset()))
        return false;
    frame.offset = offset;
    frame.header = *header;
    frame.mainDataBegin = header->mainDataBegin(head + header->sideInfoOffset());
    return true;
}

void MpegStream::scan(int64_t start)
{
    MpegFrame frame;
    int64_t at = start;
    while (headerAt(at, frame)) {
        if (m_frameCount % kCheckpointEvery == 0)
            m_checkpoints.push_back(at);
        ++m_frameCount;
        at += frame.header.frameBytes();
    }
    if (m_frameCount == 0)
        m_refusal = "no MPEG audio frames";
}

int64_t MpegStream::readerOffset() const
{
    if (!m_tag.hasInfoFrame)
        return 0;
    return kDecoderDelay + (m_tag.hasLameTag ? m_tag.delay : 0);
}

int64_t MpegStream::readerLength() const
{
    const int64_t decoded = m_frameCount * samplesPerFrame();
    const int64_t padding = m_tag.hasLameTag ? m_tag.padding : 0;
    // The decoder stops at the end of the stream, whatever the padding says.
    const int64_t end =
        std::min(decoded, decoded - padding + (m_tag.hasInfoFrame ? kDecoderDelay : 0));
    return std::max<int64_t>(0, end - readerOffset());
}

MpegFrame MpegStream::frame(int64_t index)
{
    int64_t at = 0;
    int64_t from = 0;
    if (m_lastIndex >= 0 && m_lastIndex <= index &&
        index - m_lastIndex < index % kCheckpointEvery + 1) {
        at = m_last.offset;
        from = m_lastIndex;
    } else {
        from = index - index % kCheckpointEvery;
        at = m_checkpoints.at(static_cast<size_t>(from / kCheckpointEvery));
    }
    MpegFrame frame;
    for (;;) {
        if (!headerAt(at, frame))
            throw audio::AudioError("cannot read " + m_bytes.path() + ": the file changed");
        if (from == index)
            break;
        at += frame.header.frameBytes();
        ++from;
    }
    m_lastIndex = index;
    m_last = frame;
    return frame;
}

std::vector<uint8_t> MpegStream::frameBytes(const MpegFrame& frame)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(frame.header.frameBytes()));
    if (m_bytes.readAt(frame.offset, bytes.data(), bytes.size()) < bytes.size())
        throw audio::AudioError("cannot read " + m_bytes.path() + ": the file changed");
    return bytes;
}

} // namespace brisklet::lossless
