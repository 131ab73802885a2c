#pragma once
// The 47 WMA profiles offered for WMA output (profile number = position + 1),
// with the text the settings dialog shows and what the writer really encodes
// with FFmpeg's wmav2 encoder, which is CBR only and needs at least 24 kbps.

#include <span>

namespace brisklet::audio {

struct WmaProfile {
    const char* name; // as shown to the user, e.g. "WMA9 44KHz, 128Kbps, Stereo, CBR"
    int sampleRate;   // Hz
    int channels;     // 1 or 2
    int bitrate;      // kbps actually encoded (CBR)
};

// All profiles, profile 1 first.
std::span<const WmaProfile> wmaProfiles();
// Profile 1-47; nullptr for any other number.
const WmaProfile* wmaProfile(int number);

} // namespace brisklet::audio
