#include "audio/mp3_info_frame.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brisklet::audio {

namespace {

// "Info", flags, frames, bytes, 100 TOC entries, quality; then the LAME part.
constexpr size_t XingBytes = 4 + 4 + 4 + 4 + 100 + 4;
static_assert(infoTagBytes > XingBytes, "the LAME part follows the Xing part");

enum class Mpeg { One, Two, TwoAndHalf, None };

Mpeg versionOf(uint32_t header)
{
    if ((header & 0xFFE00000u) != 0xFFE00000u || ((header >> 17) & 3) != 1) // sync, layer III
        return Mpeg::None;
    switch ((header >> 19) & 3) {
    case 3:
        return Mpeg::One;
    case 2:
        return Mpeg::Two;
    case 0:
        return Mpeg::TwoAndHalf;
    default:
        return Mpeg::None;
    }
}

int sampleRateOf(uint32_t header, Mpeg version)
{
    static constexpr int rates[3] = {44100, 48000, 32000};
    const unsigned index = (header >> 10) & 3;
    if (index == 3)
        return 0;
    const int divisor = version == Mpeg::One ? 1 : version == Mpeg::Two ? 2 : 4;
    return rates[index] / divisor;
}

bool isMono(uint32_t header)
{
    return ((header >> 6) & 3) == 3;
}

// Bytes of side information after the header (no CRC).
size_t sideInfoBytes(Mpeg version, bool mono)
{
    if (version == Mpeg::One)
        return mono ? 17 : 32;
    return mono ? 9 : 17;
}

const std::array<int, 15>& bitrateTable(Mpeg version)
{
    static constexpr std::array<int, 15> one = {0,   32,  40,  48,  56,  64,  80, 96,
                                                112, 128, 160, 192, 224, 256, 320};
    static constexpr std::array<int, 15> two = {0,  8,  16, 24,  32,  40,  48, 56,
                                                64, 80, 96, 112, 128, 144, 160};
    return version == Mpeg::One ? one : two;
}

size_t frameBytes(Mpeg version, int kbps, int rate)
{
    const int factor = version == Mpeg::One ? 144000 : 72000;
    return static_cast<size_t>(factor * kbps / rate);
}

// The bitrate index of the smallest frame that holds `needed` bytes, or 0.
int bitrateIndexFor(Mpeg version, int rate, size_t needed)
{
    const std::array<int, 15>& table = bitrateTable(version);
    for (int index = 1; index < 15; ++index) {
        if (frameBytes(version, table[index], rate) >= needed)
            return index;
    }
    return 0;
}

void putBigEndian(unsigned char* at, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        at[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
}

} // namespace

uint16_t lameCrc16(const unsigned char* data, size_t size, uint16_t crc)
{
    // Eight bytes at a time through eight tables (table k: a byte followed by
    // k zero bytes): the music CRC runs over every byte of an MP3 output, a
    // copied piece's included, and a byte at a time it was most of a copy's
    // processor time.
    using Table = std::array<uint16_t, 256>;
    static constexpr std::array<Table, 8> tables = [] {
        std::array<Table, 8> t{};
        for (unsigned byte = 0; byte < 256; ++byte) {
            unsigned value = byte;
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
            t[0][byte] = static_cast<uint16_t>(value);
        }
        for (size_t k = 1; k < t.size(); ++k)
            for (unsigned byte = 0; byte < 256; ++byte)
                t[k][byte] =
                    static_cast<uint16_t>((t[k - 1][byte] >> 8) ^ t[0][t[k - 1][byte] & 0xFF]);
        return t;
    }();
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const unsigned first = crc ^ (data[i] | (unsigned{data[i + 1]} << 8));
        crc = static_cast<uint16_t>(tables[7][first & 0xFF] ^ tables[6][first >> 8] ^
                                    tables[5][data[i + 2]] ^ tables[4][data[i + 3]] ^
                                    tables[3][data[i + 4]] ^ tables[2][data[i + 5]] ^
                                    tables[1][data[i + 6]] ^ tables[0][data[i + 7]]);
    }
    for (; i < size; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ tables[0][(crc ^ data[i]) & 0xFF]);
    return crc;
}

bool frameHoldsInfoTag(uint32_t header)
{
    const Mpeg version = versionOf(header);
    const unsigned index = (header >> 12) & 0xF;
    const int rate = version == Mpeg::None ? 0 : sampleRateOf(header, version);
    if (rate == 0 || index == 0 || index == 15) // free format or a damaged header
        return false;
    const int kbps = bitrateTable(version)[index];
    const size_t crc = ((header >> 16) & 1) == 0 ? 2 : 0;
    return frameBytes(version, kbps, rate) >=
           4 + crc + sideInfoBytes(version, isMono(header)) + infoTagBytes;
}

size_t infoFrameSize(uint32_t header)
{
    const Mpeg version = versionOf(header);
    const int rate = version == Mpeg::None ? 0 : sampleRateOf(header, version);
    if (rate == 0)
        return 0;
    const size_t needed = 4 + sideInfoBytes(version, isMono(header)) + infoTagBytes;
    const int index = bitrateIndexFor(version, rate, needed);
    return index == 0 ? 0 : frameBytes(version, bitrateTable(version)[index], rate);
}

std::vector<unsigned char> infoFrame(const Mp3StreamFacts& facts)
{
    const size_t size = infoFrameSize(facts.header);
    if (size == 0)
        return {};
    const Mpeg version = versionOf(facts.header);
    const int rate = sampleRateOf(facts.header, version);
    const size_t side = sideInfoBytes(version, isMono(facts.header));
    std::vector<unsigned char> frame(size, 0);

    // The stream's header with the tag frame's bitrate, no CRC and no padding.
    const int index = bitrateIndexFor(version, rate, 4 + side + infoTagBytes);
    uint32_t header = facts.header | (1u << 16);
    header = (header & ~(0xFu << 12) & ~(1u << 9)) | (static_cast<uint32_t>(index) << 12);
    putBigEndian(frame.data(), header, 4);

    unsigned char* xing = frame.data() + 4 + side;
    std::memcpy(xing, "Info", 4);
    putBigEndian(xing + 4, 0x0F, 4); // frames, bytes, table of contents, quality
    putBigEndian(xing + 8, static_cast<uint64_t>(facts.audioFrames), 4);
    putBigEndian(xing + 12, static_cast<uint64_t>(facts.streamBytes), 4);
    for (int i = 0; i < 100; ++i) // constant bitrate: positions grow evenly
        xing[16 + i] = static_cast<unsigned char>(i * 256 / 100);
    putBigEndian(xing + 116, 0, 4);

    unsigned char* lame = xing + XingBytes;
    std::memcpy(lame, "LAME3.100", 9);
    lame[9] = 1; // revision 0, constant bitrate
    lame[10] = static_cast<unsigned char>(std::clamp(facts.lowpassHz / 100, 0, 255));
    // Peak, replay gains and flags stay 0 (not measured).
    lame[20] = static_cast<unsigned char>(std::clamp(facts.bitrateKbps, 0, 255));
    const uint32_t delay = static_cast<uint32_t>(std::clamp(facts.encoderDelay, 0, 4095));
    const uint32_t padding = static_cast<uint32_t>(std::clamp(facts.padding, 0, 4095));
    putBigEndian(lame + 21, (delay << 12) | padding, 3);
    putBigEndian(lame + 28, static_cast<uint64_t>(facts.streamBytes), 4);
    putBigEndian(lame + 32, facts.musicCrc, 2);
    const size_t covered = static_cast<size_t>(lame + 34 - frame.data());
    putBigEndian(lame + 34, lameCrc16(frame.data(), covered), 2);
    return frame;
}

} // namespace brisklet::audio
