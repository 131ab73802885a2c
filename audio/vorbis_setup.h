#pragma once
// Internal: the one place where the OGG settings become a libvorbisenc mode,
// shared by the OGG writer and the format check so that both agree.

#include <vorbis/codec.h>

namespace brisklet::audio {

// quality 0-1000 (clamped) selects quality mode, mapped linearly onto Vorbis
// quality 0.0-1.0 (300, the usual setting, is Vorbis's own default of 3).
// quality < 0 selects a bitrate mode (kbps): minimum = maximum = 0 is managed
// constant bitrate (min = nominal = max = bitrate); otherwise managed VBR
// between minimum and maximum around bitrate (each 0 meaning no limit).
// Returns libvorbisenc's result: 0, or OV_EIMPL / OV_EINVAL when refused.
int initVorbisEncoder(vorbis_info* info, int sampleRate, int channels, int bitrate, int minimum,
                      int maximum, int quality);

} // namespace brisklet::audio
