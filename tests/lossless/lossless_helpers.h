#pragma once
// Sources made by independent encoders and decodes by independent decoders
// for the lossless piece tests.

#include "testsupport.h"

#include <string>
#include <vector>

namespace brisklet::test {

// Decodes an MP3 with the mpg123 program, gapless, as 32-bit floats.
DecodedAudio decodeWithMpg123(const std::string& path, int channels);
// The warnings and errors mp3val finds in a file, but those about its tags
// and its length (a piece has no tags yet and may be a few frames long).
std::string mp3valProblems(const std::string& path);
// Decodes an Ogg Vorbis file with the oggdec program, as 16-bit integers.
std::vector<int16_t> decodeWithOggdec(const std::string& path);
// Encodes a tone WAV of `frames` frames with ffmpeg; `options` select the codec.
void encodeWithFfmpeg(const std::string& path, int64_t frames, int rate, int channels,
                      const std::string& options);

} // namespace brisklet::test
