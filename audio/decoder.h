#pragma once
// Internal: one open source in its own sample format. The AudioFile facade
// wraps it with block-format conversion.

#include <cstdint>
#include <memory>
#include <string>

namespace brisklet::audio {

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    // Exact number of frames a full decode yields.
    virtual int64_t totalFrames() const = 0;
    // Sample-accurate: the next read returns the frames a full decode has there.
    virtual void seek(int64_t frame) = 0;
    // Reads up to `frames` interleaved float frames into out; returns the number
    // read, 0 at the end (or at damage that cannot be read past).
    virtual int64_t read(float* out, int64_t frames) = 0;
    // Frames lost to damage since the decoder was opened: read as silence
    // where the decoder knows where the audio goes on, else skipped.
    virtual int64_t damagedFrames() const { return 0; }
};

// Opens by content (and by extension for the headerless .raw and .vox).
// Throws AudioError naming the file and the reason.
std::unique_ptr<Decoder> openDecoder(const std::string& path);

} // namespace brisklet::audio
