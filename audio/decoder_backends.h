#pragma once
// Internal: the decoders behind openDecoder, one per codec library, and the
// helpers they share. Each open function throws AudioError naming the file.

#include "audio/decoder.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brisklet::audio {

enum class SndfileLayout { FromHeader, Raw, Vox };

std::unique_ptr<Decoder> openMpegDecoder(const std::string& path);
std::unique_ptr<Decoder> openVorbisDecoder(const std::string& path);
std::unique_ptr<Decoder> openSndfileDecoder(const std::string& path, SndfileLayout layout);
std::unique_ptr<Decoder> openFlacDecoder(const std::string& path);
std::unique_ptr<Decoder> openFfmpegDecoder(const std::string& path);
std::unique_ptr<Decoder> openOpusDecoder(const std::string& path);
std::unique_ptr<Decoder> openMp4Decoder(const std::string& path);

[[noreturn]] void throwUnsupported(const std::string& path);

// Reads and drops up to `frames` frames: how the decoders that cannot seek
// exactly reach a position. Returns the number of frames skipped.
int64_t skipFrames(Decoder& decoder, int64_t frames);

// Decoders stop after this many reads in a row that give nothing, so that a
// damaged stream can never make a read loop forever.
constexpr int kMaxIdleReads = 1000;

} // namespace brisklet::audio
