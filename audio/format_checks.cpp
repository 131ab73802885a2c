// The two format checks, by the encoders' own rules. LAME accepts any
// combination and clamps silently, so MP3 is checked against the bitrate table
// of the rate's MPEG version, and then against what LAME really chose.
// libvorbisenc refuses what it cannot encode by itself.

#include "audio/encoder.h"
#include "audio/lame_setup.h"
#include "audio/vorbis_setup.h"

#include <algorithm>
#include <array>
#include <lame/lame.h>
#include <memory>

namespace brisklet::audio {

namespace {

// Layer III bitrates (kbps) of MPEG-1 (32, 44.1, 48 kHz), MPEG-2 (16, 22.05,
// 24 kHz) and MPEG-2.5 (8, 11.025, 12 kHz; LAME stops at 64 there).
constexpr std::array<int, 14> Mpeg1Bitrates{32,  40,  48,  56,  64,  80,  96,
                                            112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 14> Mpeg2Bitrates{8,  16, 24, 32,  40,  48,  56,
                                            64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int, 8> Mpeg25Bitrates{8, 16, 24, 32, 40, 48, 56, 64};

template <size_t N> bool contains(const std::array<int, N>& table, int value)
{
    return std::find(table.begin(), table.end(), value) != table.end();
}

bool inBitrateTable(int sampleRate, int bitrate)
{
    if (sampleRate >= 32000)
        return contains(Mpeg1Bitrates, bitrate);
    if (sampleRate >= 16000)
        return contains(Mpeg2Bitrates, bitrate);
    return contains(Mpeg25Bitrates, bitrate);
}

void silent(const char*, va_list)
{
}

// What LAME makes of it: the same rate and bitrate, or a clamped one.
bool lameKeeps(int sampleRate, int bitrate, int channelMode)
{
    const std::lock_guard<std::mutex> lock(lameSetupMutex());
    std::unique_ptr<lame_global_flags, decltype(&lame_close)> lame(lame_init(), lame_close);
    if (!lame)
        return false;
    lame_set_errorf(lame.get(), silent);
    lame_set_msgf(lame.get(), silent);
    lame_set_debugf(lame.get(), silent);
    static constexpr MPEG_mode Modes[] = {MONO, STEREO, JOINT_STEREO, JOINT_STEREO, DUAL_CHANNEL};
    lame_set_num_channels(lame.get(), channelMode == 1 ? 1 : 2);
    lame_set_in_samplerate(lame.get(), sampleRate);
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_mode(lame.get(), Modes[channelMode - 1]);
    lame_set_brate(lame.get(), bitrate);
    lame_set_bWriteVbrTag(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0)
        return false;
    return lame_get_out_samplerate(lame.get()) == sampleRate &&
           lame_get_brate(lame.get()) == bitrate;
}

} // namespace

bool checkMp3Format(int sampleRate, int bitrate, int channelMode)
{
    if (channelMode < 1 || channelMode > 5 || !isMpegSampleRate(sampleRate) ||
        !inBitrateTable(sampleRate, bitrate))
        return false;
    return lameKeeps(sampleRate, bitrate, channelMode);
}

bool checkOggFormat(int sampleRate, int channels, int bitrate, int minimum, int maximum)
{
    vorbis_info info;
    vorbis_info_init(&info);
    int result = initVorbisEncoder(&info, sampleRate, channels, bitrate, minimum, maximum, -1);
    vorbis_info_clear(&info);
    return result == 0;
}

} // namespace brisklet::audio
