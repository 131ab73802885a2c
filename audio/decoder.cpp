#include "audio/decoder.h"

#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/sourceprobe.h"

#include <algorithm>
#include <vector>

namespace brisklet::audio {

void throwUnsupported(const std::string& path)
{
    throw AudioError(path + " is not a supported audio file");
}

int64_t skipFrames(Decoder& decoder, int64_t frames)
{
    constexpr int64_t kChunk = 4096;
    std::vector<float> scratch(static_cast<size_t>(kChunk * decoder.channels()));
    int64_t skipped = 0;
    while (skipped < frames) {
        int64_t got = decoder.read(scratch.data(), std::min(kChunk, frames - skipped));
        if (got <= 0)
            break;
        skipped += got;
    }
    return skipped;
}

namespace {

std::unique_ptr<Decoder> openDecoderOfKind(const std::string& path)
{
    switch (probeSource(path)) {
    case SourceKind::Mpeg:
        return openMpegDecoder(path);
    case SourceKind::Vorbis:
        return openVorbisDecoder(path);
    case SourceKind::Flac:
        return openFlacDecoder(path);
    case SourceKind::Sndfile:
        return openSndfileDecoder(path, SndfileLayout::FromHeader);
    case SourceKind::Raw:
        return openSndfileDecoder(path, SndfileLayout::Raw);
    case SourceKind::Vox:
        return openSndfileDecoder(path, SndfileLayout::Vox);
    case SourceKind::Asf:
        return openFfmpegDecoder(path);
    case SourceKind::Opus:
        return openOpusDecoder(path);
    case SourceKind::Mp4:
        return openMp4Decoder(path);
    case SourceKind::Unsupported:
        break;
    }
    throwUnsupported(path);
}

// Rates outside this range only come from damaged headers; converting one of
// them (1 Hz to 44100 Hz) would blow a few bytes up into megabytes a frame.
constexpr int kMinSourceRate = 1000;
constexpr int kMaxSourceRate = 768000;

} // namespace

std::unique_ptr<Decoder> openDecoder(const std::string& path)
{
    std::unique_ptr<Decoder> decoder = openDecoderOfKind(path);
    if (decoder->sampleRate() < kMinSourceRate || decoder->sampleRate() > kMaxSourceRate)
        throwUnsupported(path);
    return decoder;
}

} // namespace brisklet::audio
