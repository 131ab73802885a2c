#pragma once
// Internal: the Xing "Info" frame with its LAME extension, which tells decoders
// the encoder delay, the padding and the number of frames, so that they give
// back exactly the samples that went in. LAME leaves it out when the stream's
// own frames are too small to hold it (low constant bitrates); then the MP3
// writer puts this one, at a bitrate large enough, in front of the stream.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brisklet::audio {

// Bytes of the Xing tag and its LAME extension, after the side information.
constexpr size_t infoTagBytes = 156;

// Whether a frame with the 4-byte header `header` (its padding byte not
// counted) has room for the tag after its side information and CRC.
bool frameHoldsInfoTag(uint32_t header);

// The size of the tag frame for a stream whose first audio frame has the
// 4-byte header `header`: the smallest frame of its MPEG version and rate
// that holds the tag; 0 when `header` is no MPEG audio layer III header.
size_t infoFrameSize(uint32_t header);

struct Mp3StreamFacts {
    uint32_t header = 0;     // the first audio frame's header
    int64_t audioFrames = 0; // MPEG frames of audio, the tag frame not counted
    int64_t streamBytes = 0; // the whole stream, the tag frame included
    int encoderDelay = 0;    // samples
    int padding = 0;         // samples
    int bitrateKbps = 0;     // of the stream's frames
    int lowpassHz = 0;
    uint16_t musicCrc = 0; // CRC-16 of the audio frames
};

// The tag frame, infoFrameSize(facts.header) bytes long.
std::vector<unsigned char> infoFrame(const Mp3StreamFacts& facts);

// CRC-16 as the LAME tag uses it (polynomial 0x8005, reflected, start 0).
uint16_t lameCrc16(const unsigned char* data, size_t size, uint16_t crc = 0);

} // namespace brisklet::audio
