#include "audio/encoder.h"

#include "audio/audioerror.h"
#include "audio/encoders.h"

namespace brisklet::audio {

void throwCannotCreate(const std::string& path, const std::string& reason)
{
    throw AudioError("cannot create " + path + ": " + reason);
}

std::unique_ptr<Encoder> openEncoder(const EncoderFormat& format, const std::string& path,
                                     int inputRate, int inputChannels)
{
    if (!format.kind)
        throwCannotCreate(path, "no output format was set");
    switch (*format.kind) {
    case OutputFormat::Wav:
        return openWavEncoder(path, format.pcmRate > 0 ? format.pcmRate : inputRate,
                              format.pcmChannels, format.pcmBits);
    case OutputFormat::Mp3:
        return openMp3Encoder(path, format.lame, inputRate, inputChannels);
    case OutputFormat::Ogg:
        return openOggEncoder(path, format.oggRate > 0 ? format.oggRate : inputRate,
                              format.oggChannels, format.oggBitrate, format.oggMinimum,
                              format.oggMaximum, format.oggQuality);
    case OutputFormat::Wma:
        return openWmaEncoder(path, format.wmaProfile);
    }
    throwCannotCreate(path, "no output format was set");
}

} // namespace brisklet::audio
