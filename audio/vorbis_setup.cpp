#include "audio/vorbis_setup.h"

#include <algorithm>
#include <vorbis/vorbisenc.h>

namespace brisklet::audio {

namespace {

long bitsPerSecond(int kbps)
{
    return kbps > 0 ? static_cast<long>(kbps) * 1000 : -1;
}

} // namespace

int initVorbisEncoder(vorbis_info* info, int sampleRate, int channels, int bitrate, int minimum,
                      int maximum, int quality)
{
    if (channels < 1 || channels > 2 || sampleRate < 1)
        return OV_EINVAL;
    if (quality >= 0)
        return vorbis_encode_init_vbr(info, channels, sampleRate,
                                      static_cast<float>(std::min(quality, 1000)) / 1000.0f);
    if (minimum <= 0 && maximum <= 0) {
        if (bitrate <= 0)
            return OV_EINVAL;
        long bps = bitsPerSecond(bitrate);
        return vorbis_encode_init(info, channels, sampleRate, bps, bps, bps);
    }
    return vorbis_encode_init(info, channels, sampleRate, bitsPerSecond(maximum),
                              bitsPerSecond(bitrate), bitsPerSecond(minimum));
}

} // namespace brisklet::audio
