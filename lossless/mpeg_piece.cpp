#include "lossless/mpeg_piece.h"

#include "audio/mp3_info_frame.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace brisklet::lossless {

namespace {

constexpr int64_t kDecoderDelay = 529;
constexpr int kMaxTagDelay = 4095;  // the LAME tag's 12-bit fields
constexpr size_t kXingFields = 120; // "Xing", flags, frames, bytes, 100-byte TOC, quality
constexpr size_t kLameTagBytes = 36;
// A gapless decoder need not decode every frame before the first one it
// outputs: mpg123 starts four frames early, and the bit reservoir it builds
// there reaches one frame further back. Main data beyond that is never found.
constexpr int64_t kDecoderLookBack = 5;

int dataArea(const MpegHeader& header)
{
    return header.frameBytes() - header.dataOffset();
}

// The earliest frame that holds part of frame `index`'s main data.
int64_t reservoirStart(MpegStream& stream, int64_t index)
{
    int remaining = stream.frame(index).mainDataBegin;
    while (remaining > 0 && index > 0) {
        --index;
        remaining -= dataArea(stream.frame(index).header);
    }
    return index;
}

void putBigEndian32(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

// The smallest frame of `header`'s stream whose data area holds `bytes`;
// nothing when even the largest is too small.
std::optional<MpegHeader> frameHolding(const MpegHeader& header, int bytes, bool dataArea)
{
    for (int index = 1; index < 15; ++index) {
        for (bool padding : {false, true}) {
            MpegHeader candidate = header.withBitrate(index, padding);
            const int room =
                dataArea ? candidate.frameBytes() - candidate.dataOffset() : candidate.frameBytes();
            if (room >= bytes)
                return candidate;
        }
    }
    return std::nullopt;
}

// Frame `index` rebuilt so that it holds its main data itself
// (main_data_begin 0), keeping at its end the bytes the next frame's main data
// begins with. Its own main data is followed by the same bytes as in the
// source where there is room, since a decoder's last Huffman code may read a
// few bits past the main data; otherwise by zeros, which the decoder reads as
// ancillary data.
std::optional<std::vector<uint8_t>> selfContainedFrame(MpegStream& stream, int64_t index)
{
    const MpegFrame frame = stream.frame(index);
    const int64_t first = reservoirStart(stream, index);
    // The main-data bytes of frames first..index in stream order.
    std::vector<uint8_t> stored;
    for (int64_t i = first; i <= index; ++i) {
        const MpegFrame part = stream.frame(i);
        const std::vector<uint8_t> bytes = stream.frameBytes(part);
        stored.insert(stored.end(), bytes.begin() + part.header.dataOffset(), bytes.end());
    }
    const std::vector<uint8_t> own = stream.frameBytes(frame);
    const int64_t size = static_cast<int64_t>(stored.size());
    const int64_t ownStart = size - dataArea(frame.header);
    const int64_t mainStart = std::max<int64_t>(0, ownStart - frame.mainDataBegin);
    int64_t nextStart = size;
    if (index + 1 < stream.frameCount())
        nextStart -= stream.frame(index + 1).mainDataBegin;
    nextStart = std::clamp(nextStart, mainStart, size);

    const int tail = static_cast<int>(size - nextStart);
    const int minimal = static_cast<int>(size - mainStart);
    std::optional<MpegHeader> header = frameHolding(frame.header, minimal + tail, true);
    const bool roomy = header.has_value();
    if (!roomy)
        header = frameHolding(frame.header, minimal, true);
    if (!header)
        return std::nullopt;
    std::vector<uint8_t> out(static_cast<size_t>(header->frameBytes()), 0);
    header->store(out.data());
    std::memcpy(&out[static_cast<size_t>(header->sideInfoOffset())],
                &own[static_cast<size_t>(frame.header.sideInfoOffset())],
                static_cast<size_t>(header->sideInfoBytes()));
    uint8_t* sideInfo = &out[static_cast<size_t>(header->sideInfoOffset())];
    sideInfo[0] = 0;
    if (header->version == 1)
        sideInfo[1] &= 0x7f;
    const size_t data = static_cast<size_t>(header->dataOffset());
    std::copy(stored.begin() + mainStart, stored.begin() + (roomy ? size : nextStart),
              out.begin() + static_cast<int64_t>(data));
    std::copy(stored.begin() + nextStart, stored.end(), out.end() - tail);
    if (header->crcProtected) {
        const uint16_t crc = mpegFrameCrc(out.data(), *header);
        out[4] = static_cast<uint8_t>(crc >> 8);
        out[5] = static_cast<uint8_t>(crc);
    }
    return out;
}

// A frame that decodes to silence and leaves the decoder as it was at the
// start: no main data, long blocks, nothing to overlap.
std::vector<uint8_t> silentFrame(const MpegHeader& like)
{
    MpegHeader header = like;
    header.bits |= 0x10000u; // no CRC
    header.crcProtected = false;
    std::vector<uint8_t> out(static_cast<size_t>(header.frameBytes()), 0);
    header.store(out.data());
    return out;
}

// The Xing/Info frame's header: the stream's, without CRC, at the bitrate of
// the first frame when that frame is large enough for the tag.
MpegHeader infoHeader(const MpegHeader& first)
{
    MpegHeader header = first;
    header.bits |= 0x10000u;
    header.crcProtected = false;
    const int needed = 4 + header.sideInfoBytes() + static_cast<int>(kXingFields + kLameTagBytes);
    if (header.withBitrate(header.bitrateIndex, false).frameBytes() >= needed)
        return header.withBitrate(header.bitrateIndex, false);
    // The largest frame of every stream holds the tag.
    return frameHolding(header, needed, false).value_or(header.withBitrate(14, false));
}

struct CopyRecord {
    int64_t frames = 0;
    int64_t bytes = 0; // of the audio frames
    bool sameBitrate = true;
    int firstBitrate = -1;
    uint16_t musicCrc = 0;
    std::vector<int64_t> offsets; // of the frames the seek table points at
};

std::vector<uint8_t> infoFrame(const MpegHeader& header, const MpegSourceTag& sourceTag,
                               const MpegPiecePlan& plan, const CopyRecord& record)
{
    std::vector<uint8_t> frame(static_cast<size_t>(header.frameBytes()), 0);
    header.store(frame.data());
    const size_t xing = static_cast<size_t>(4 + header.sideInfoBytes());
    std::memcpy(&frame[xing], record.sameBitrate ? "Info" : "Xing", 4);
    putBigEndian32(&frame[xing + 4], 0x0f);
    const int64_t total = static_cast<int64_t>(frame.size()) + record.bytes;
    putBigEndian32(&frame[xing + 8], static_cast<uint32_t>(record.frames));
    putBigEndian32(&frame[xing + 12], static_cast<uint32_t>(total));
    for (size_t i = 0; i < 100; ++i) {
        const int64_t at = static_cast<int64_t>(frame.size()) +
                           (i < record.offsets.size() ? record.offsets[i] : record.bytes);
        frame[xing + 16 + i] = static_cast<uint8_t>(std::min<int64_t>(255, at * 256 / total));
    }
    uint8_t* tag = &frame[xing + kXingFields];
    std::memcpy(tag, sourceTag.lameTag.data(), kLameTagBytes);
    if (!sourceTag.hasLameTag) {
        tag[9] = record.sameBitrate ? 1 : 4; // tag revision 0; CBR or VBR
        tag[20] = static_cast<uint8_t>(std::min(255, header.bitrateKbps()));
    }
    std::memset(tag + 11, 0, 8); // peak and replay gain are the source's, not the piece's
    tag[21] = static_cast<uint8_t>(plan.delay >> 4);
    tag[22] = static_cast<uint8_t>(((plan.delay & 0x0f) << 4) | (plan.padding >> 8));
    tag[23] = static_cast<uint8_t>(plan.padding & 0xff);
    tag[25] = 0; // no gain change applied
    putBigEndian32(tag + 28, static_cast<uint32_t>(total));
    tag[32] = static_cast<uint8_t>(record.musicCrc >> 8);
    tag[33] = static_cast<uint8_t>(record.musicCrc);
    const size_t crcAt = xing + kXingFields + 34;
    const uint16_t crc = audio::lameCrc16(frame.data(), crcAt);
    frame[crcAt] = static_cast<uint8_t>(crc >> 8);
    frame[crcAt + 1] = static_cast<uint8_t>(crc);
    return frame;
}

} // namespace

MpegPiecePlan planMpegPiece(MpegStream& stream, int64_t start, int64_t end)
{
    MpegPiecePlan plan;
    if (!stream.refusal().empty()) {
        plan.refusal = stream.refusal();
        return plan;
    }
    const int64_t spf = stream.samplesPerFrame();
    const int64_t frames = stream.frameCount();
    end = std::max(start, end);
    const int64_t rawStart = start + stream.readerOffset();
    const int64_t rawEnd = end + stream.readerOffset();
    if (rawEnd > frames * spf) {
        plan.refusal = "a piece beyond the end of the stream";
        return plan;
    }
    // Granules overlap their neighbours: the kept output needs two granules
    // decoded before it, one frame of MPEG-1 or two of MPEG-2.
    const int64_t preroll = stream.firstHeader().version == 1 ? 1 : 2;
    const int64_t firstKept = std::min(rawStart / spf, frames - 1);
    const int64_t firstExact = std::max<int64_t>(0, firstKept - preroll);
    plan.firstFrame = reservoirStart(stream, firstExact);
    if (rawStart - plan.firstFrame * spf - kDecoderDelay > kMaxTagDelay ||
        firstKept - plan.firstFrame > kDecoderLookBack) {
        plan.selfContained = firstExact > plan.firstFrame;
        plan.firstFrame = firstExact;
    }
    plan.endFrame = std::max(firstKept + 1, (rawEnd + spf - 1) / spf);
    int64_t delay = rawStart - plan.firstFrame * spf - kDecoderDelay;
    if (delay < 0) { // before the decoder's own delay: a silent frame makes room
        plan.leadingSilence = true;
        delay += spf;
    }
    plan.delay = static_cast<int>(delay);
    plan.padding = static_cast<int>(plan.endFrame * spf + kDecoderDelay - rawEnd);
    if (plan.padding > kMaxTagDelay || plan.delay > kMaxTagDelay) {
        plan.refusal = "a piece the LAME tag cannot describe";
        return plan;
    }
    if (plan.selfContained && !selfContainedFrame(stream, plan.firstFrame))
        plan.refusal = "a first frame too large to stand alone";
    return plan;
}

void writeMpegPiece(MpegStream& stream, const MpegPiecePlan& plan, base::OutputFile& out)
{
    const MpegHeader info = infoHeader(stream.frame(plan.firstFrame).header);
    const int64_t infoAt = out.size();
    out.append(std::vector<uint8_t>(static_cast<size_t>(info.frameBytes()), 0).data(),
               static_cast<size_t>(info.frameBytes()));

    CopyRecord record;
    const int64_t count = plan.endFrame - plan.firstFrame + (plan.leadingSilence ? 1 : 0);
    int64_t nextMark = 0; // the seek table's next percent
    auto put = [&](const std::vector<uint8_t>& bytes) {
        const std::optional<MpegHeader> header = parseMpegHeader(bytes.data());
        while (nextMark < 100 && nextMark * count / 100 <= record.frames) {
            record.offsets.push_back(record.bytes);
            ++nextMark;
        }
        if (record.firstBitrate < 0)
            record.firstBitrate = header->bitrateIndex;
        record.sameBitrate = record.sameBitrate && header->bitrateIndex == record.firstBitrate;
        record.musicCrc = audio::lameCrc16(bytes.data(), bytes.size(), record.musicCrc);
        record.bytes += static_cast<int64_t>(bytes.size());
        ++record.frames;
        out.append(bytes.data(), bytes.size());
    };
    if (plan.leadingSilence)
        put(silentFrame(stream.frame(plan.firstFrame).header));
    for (int64_t i = plan.firstFrame; i < plan.endFrame; ++i) {
        if (i == plan.firstFrame && plan.selfContained)
            put(*selfContainedFrame(stream, i));
        else
            put(stream.frameBytes(stream.frame(i)));
    }
    const std::vector<uint8_t> tag = infoFrame(info, stream.sourceTag(), plan, record);
    out.throwIfFailed();
    if (!out.seek(infoAt, SEEK_SET) || !out.write(tag.data(), tag.size()) || !out.seek(0, SEEK_END))
        out.throwIfFailed();
}

} // namespace brisklet::lossless
