#include "lossless/mpeg_header.h"

#include <array>

namespace brisklet::lossless {

namespace {

constexpr int kBitratesV1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesV1[3] = {44100, 48000, 32000};

} // namespace

int MpegHeader::bitrateKbps() const
{
    return version == 1 ? kBitratesV1[bitrateIndex] : kBitratesV2[bitrateIndex];
}

int MpegHeader::frameBytes() const
{
    const int perKbps = version == 1 ? 144000 : 72000;
    return bitrateKbps() * perKbps / sampleRate + (padded ? 1 : 0);
}

int MpegHeader::samplesPerFrame() const
{
    return version == 1 ? 1152 : 576;
}

int MpegHeader::sideInfoBytes() const
{
    if (version == 1)
        return mono ? 17 : 32;
    return mono ? 9 : 17;
}

int MpegHeader::mainDataBegin(const uint8_t* sideInfo) const
{
    if (version == 1)
        return (sideInfo[0] << 1) | (sideInfo[1] >> 7);
    return sideInfo[0];
}

MpegHeader MpegHeader::withBitrate(int index, bool padding) const
{
    MpegHeader changed = *this;
    changed.bitrateIndex = index;
    changed.padded = padding;
    changed.bits =
        (bits & ~0xf200u) | (static_cast<uint32_t>(index) << 12) | (padding ? 0x200u : 0u);
    return changed;
}

void MpegHeader::store(uint8_t* out) const
{
    out[0] = static_cast<uint8_t>(bits >> 24);
    out[1] = static_cast<uint8_t>(bits >> 16);
    out[2] = static_cast<uint8_t>(bits >> 8);
    out[3] = static_cast<uint8_t>(bits);
}

std::optional<MpegHeader> parseMpegHeader(const uint8_t* bytes)
{
    const uint32_t bits = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                          (uint32_t{bytes[2]} << 8) | bytes[3];
    if ((bits & 0xffe00000u) != 0xffe00000u)
        return std::nullopt;
    MpegHeader header;
    header.bits = bits;
    const uint32_t versionBits = (bits >> 19) & 3;
    const uint32_t layerBits = (bits >> 17) & 3;
    const uint32_t rateIndex = (bits >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3)
        return std::nullopt;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = 4 - static_cast<int>(layerBits);
    header.crcProtected = ((bits >> 16) & 1) == 0;
    header.bitrateIndex = static_cast<int>((bits >> 12) & 15);
    if (header.bitrateIndex == 15)
        return std::nullopt;
    const int divisor = header.version == 1 ? 1 : header.version == 2 ? 2 : 4;
    header.sampleRate = kRatesV1[rateIndex] / divisor;
    header.padded = ((bits >> 9) & 1) != 0;
    header.mono = ((bits >> 6) & 3) == 3;
    return header;
}

bool sameStream(const MpegHeader& a, const MpegHeader& b)
{
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

uint16_t mpegFrameCrc(const uint8_t* frame, const MpegHeader& header)
{
    uint16_t crc = 0xffff;
    auto feed = [&crc](uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = (crc & 0x8000) != 0;
            const bool in = ((byte >> bit) & 1) != 0;
            crc = static_cast<uint16_t>(crc << 1);
            if (top != in)
                crc ^= 0x8005;
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    for (int i = 0; i < header.sideInfoBytes(); ++i)
        feed(frame[6 + i]);
    return crc;
}

} // namespace brisklet::lossless
