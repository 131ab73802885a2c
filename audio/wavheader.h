#pragma once
// The header of a PCM WAV output. It is written first with the room of an RF64
// size chunk kept free (a "JUNK" chunk), and rewritten when the output is
// complete: plain RIFF WAVE while the sizes fit 32 bits, RF64 with the 64-bit
// sizes in the "ds64" chunk once the file passes 4 GiB.

#include <cstdint>
#include <string>

namespace brisklet::audio {

struct WavLayout {
    int sampleRate = 44100;
    int channels = 2;
    int bits = 16; // 8 (unsigned samples), 16, 24 or 32
};

// Bytes before the sample data.
constexpr uint64_t kWavHeaderBytes = 80;

// The header of an output holding `dataBytes` bytes of samples, followed by
// the sample data and, when dataBytes is odd, one pad byte.
std::string wavHeader(const WavLayout& layout, uint64_t dataBytes);

} // namespace brisklet::audio
