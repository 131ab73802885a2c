#pragma once
// MPEG audio frame headers as the frame copy needs them: sizes, samples per
// frame, the side information's layout and the frame's own CRC-16.

#include <cstdint>
#include <optional>

namespace brisklet::lossless {

struct MpegHeader {
    uint32_t bits = 0; // the four header bytes, big-endian
    int version = 1;   // 1: MPEG-1, 2: MPEG-2, 25: MPEG-2.5
    int layer = 3;
    bool crcProtected = false;
    int bitrateIndex = 0; // 0 is free format
    int sampleRate = 0;
    bool padded = false;
    bool mono = false;

    int bitrateKbps() const;
    int frameBytes() const; // 0 for free format
    int samplesPerFrame() const;
    int sideInfoBytes() const; // Layer III
    // Offset of the side information (after the header and its CRC).
    int sideInfoOffset() const { return crcProtected ? 6 : 4; }
    int dataOffset() const { return sideInfoOffset() + sideInfoBytes(); }
    // Layer III main_data_begin from the side information at `sideInfo`.
    int mainDataBegin(const uint8_t* sideInfo) const;

    // The same header with another bitrate index and padding bit.
    MpegHeader withBitrate(int index, bool padding) const;
    void store(uint8_t* out) const;
};

// Parses four bytes; nothing for a sync word that is not a valid header.
std::optional<MpegHeader> parseMpegHeader(const uint8_t* bytes);

// Whether two headers belong to the same stream (version, layer, rate).
bool sameStream(const MpegHeader& a, const MpegHeader& b);

// CRC-16 of a protected frame (polynomial 0x8005, start 0xffff) over the
// header's last two bytes and the side information; written after the header.
uint16_t mpegFrameCrc(const uint8_t* frame, const MpegHeader& header);

} // namespace brisklet::lossless
