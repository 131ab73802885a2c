#include "audio/wavheader.h"

namespace brisklet::audio {

namespace {

constexpr uint64_t kNoSize = 0xFFFFFFFF; // a 32-bit size that says "see ds64"

void putLittle(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string wavHeader(const WavLayout& layout, uint64_t dataBytes)
{
    const uint64_t frameBytes = uint64_t(layout.channels) * uint64_t(layout.bits / 8);
    const uint64_t riffBytes = kWavHeaderBytes - 8 + dataBytes + (dataBytes & 1);
    const bool rf64 = riffBytes > kNoSize;
    std::string out;
    out.reserve(kWavHeaderBytes);
    out += rf64 ? "RF64" : "RIFF";
    putLittle(out, rf64 ? kNoSize : riffBytes, 4);
    out += "WAVE";
    // The ds64 chunk, or a JUNK chunk of its size that keeps its place.
    out += rf64 ? "ds64" : "JUNK";
    putLittle(out, 28, 4);
    putLittle(out, rf64 ? riffBytes : 0, 8);
    putLittle(out, rf64 ? dataBytes : 0, 8);
    putLittle(out, rf64 && frameBytes ? dataBytes / frameBytes : 0, 8);
    putLittle(out, 0, 4); // no table of other chunk sizes
    out += "fmt ";
    putLittle(out, 16, 4);
    putLittle(out, 1, 2); // integer PCM
    putLittle(out, uint64_t(layout.channels), 2);
    putLittle(out, uint64_t(layout.sampleRate), 4);
    putLittle(out, uint64_t(layout.sampleRate) * frameBytes, 4);
    putLittle(out, frameBytes, 2);
    putLittle(out, uint64_t(layout.bits), 2);
    out += "data";
    putLittle(out, rf64 ? kNoSize : dataBytes, 4);
    return out;
}

} // namespace brisklet::audio
