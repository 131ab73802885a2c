#include "audio/wma_profiles.h"

#include <array>

namespace brisklet::audio {

namespace {

// wmav2 refuses less than 24 kbps at every rate, so the profiles below that are
// encoded at 24 kbps. It has no VBR or lossless mode: the VBR quality profiles
// become CBR at a bitrate of similar quality, and Lossless becomes the highest
// bitrate of the list, 320 kbps.
constexpr std::array<WmaProfile, 47> Profiles{{
    {"WMA9 48KHz, 192Kbps, Stereo, CBR", 48000, 2, 192},
    {"WMA9 48KHz, 160Kbps, Stereo, CBR", 48000, 2, 160},
    {"WMA9 48KHz, 128Kbps, Stereo, CBR", 48000, 2, 128},
    {"WMA9 48KHz, 96Kbps, Stereo, CBR", 48000, 2, 96},
    {"WMA9 48KHz, 64Kbps, Stereo, CBR", 48000, 2, 64},
    {"WMA9 44KHz, 320Kbps, Stereo, CBR", 44100, 2, 320},
    {"WMA9 44KHz, 256Kbps, Stereo, CBR", 44100, 2, 256},
    {"WMA9 44KHz, 192Kbps, Stereo, CBR", 44100, 2, 192},
    {"WMA9 44KHz, 160Kbps, Stereo, CBR", 44100, 2, 160},
    {"WMA9 44KHz, 128Kbps, Stereo, CBR", 44100, 2, 128},
    {"WMA9 44KHz, 96Kbps, Stereo, CBR", 44100, 2, 96},
    {"WMA9 44KHz, 80Kbps, Stereo, CBR", 44100, 2, 80},
    {"WMA9 44KHz, 64Kbps, Stereo, CBR", 44100, 2, 64},
    {"WMA9 44KHz, 48Kbps, Stereo, CBR", 44100, 2, 48},
    {"WMA9 44KHz, 32Kbps, Stereo, CBR", 44100, 2, 32},
    {"WMA9 44KHz, 48Kbps, Mono, CBR", 44100, 1, 48},
    {"WMA9 44KHz, 32Kbps, Mono, CBR", 44100, 1, 32},
    {"WMA9 44KHz, 20Kbps, Mono, CBR", 44100, 1, 24},
    {"WMA9 32KHz, 48Kbps, Stereo, CBR", 32000, 2, 48},
    {"WMA9 32KHz, 40Kbps, Stereo, CBR", 32000, 2, 40},
    {"WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32},
    {"WMA9 32KHz, 20Kbps, Mono, CBR", 32000, 1, 24},
    {"WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32},
    {"WMA9 32KHz, 22Kbps, Stereo, CBR", 32000, 2, 24},
    {"WMA9 22KHz, 20Kbps, Stereo, CBR", 22050, 2, 24},
    {"WMA9 22KHz, 20Kbps, Mono, CBR", 22050, 1, 24},
    {"WMA9 22KHz, 16Kbps, Mono, CBR", 22050, 1, 24},
    {"WMA9 16KHz, 20Kbps, Stereo, CBR", 16000, 2, 24},
    {"WMA9 16KHz, 16Kbps, Stereo, CBR", 16000, 2, 24},
    {"WMA9 16KHz, 16Kbps, Mono, CBR", 16000, 1, 24},
    {"WMA9 16KHz, 12Kbps, Mono, CBR", 16000, 1, 24},
    {"WMA9 16KHz, 10Kbps, Mono, CBR", 16000, 1, 24},
    {"WMA9 11KHz, 10Kbps, Mono, CBR", 11025, 1, 24},
    {"WMA9 11KHz, 8Kbps, Mono, CBR", 11025, 1, 24},
    {"WMA9 8KHz,  12Kbps, Stereo, CBR", 8000, 2, 24},
    {"WMA9 8KHz,  8Kbps, Mono, CBR", 8000, 1, 24},
    {"WMA9 8KHz,  6Kbps, Mono, CBR", 8000, 1, 24},
    {"WMA9 8KHz,  5Kbps, Mono, CBR", 8000, 1, 24},
    {"WMA9 48KHz, Stereo, VBR Quality 98", 48000, 2, 256},
    {"WMA9 48KHz, Stereo, VBR Quality 90", 48000, 2, 192},
    {"WMA9 44KHz, Stereo, VBR Quality 98", 44100, 2, 256},
    {"WMA9 44KHz, Stereo, VBR Quality 90", 44100, 2, 192},
    {"WMA9 44KHz, Stereo, VBR Quality 75", 44100, 2, 160},
    {"WMA9 44KHz, Stereo, VBR Quality 50", 44100, 2, 128},
    {"WMA9 44KHz, Stereo, VBR Quality 25", 44100, 2, 96},
    {"WMA9 44KHz, Stereo, VBR Quality 10", 44100, 2, 64},
    {"WMA9 44KHz, Stereo, Lossless", 44100, 2, 320},
}};

} // namespace

std::span<const WmaProfile> wmaProfiles()
{
    return Profiles;
}

const WmaProfile* wmaProfile(int number)
{
    return number >= 1 && number <= static_cast<int>(Profiles.size()) ? &Profiles[number - 1]
                                                                      : nullptr;
}

} // namespace brisklet::audio
