#pragma once
// The choice lists that stored list positions point into. The texts are the
// settings dialog's entries; the values (where a list has them) are what the
// encoder configuration passes on: Hz, kbps or bits.

#include <string>
#include <vector>

namespace brisklet::settings {

enum class ListId {
    None,           // the key is not a list position
    Frequency,      // "8000 Hz" ... "48000 Hz", values in Hz
    Bitrate,        // "8 Kbps" ... "320 Kbps", values in kbps
    SampleSize,     // "8 bps", "16 bps", values in bits
    Mp3Channel,     // "Mono" ... "Dual Channels"
    TwoChannel,     // "Mono", "Stereo"
    CodingMethod,   // "None", "Default", "Old", "New", "MTRH"
    Ath,            // ATH control
    DeEmphasis,     // de-emphasis
    Preset,         // "Phone" ... "R3Mix"
    AltPreset,      // "Fast Standard" ... "Insane"
    WavMode,        // the three WAV modes
    FadeLength,     // "1s" ... "20s" (fade lengths are stored in seconds, not as positions)
    WmaProfile,     // the 47 WMA profiles; profile number = position + 1
    FlacSampleSize, // "16 bps", "24 bps", values in bits
};

struct ChoiceList {
    std::vector<std::string> texts;
    std::vector<int> values; // empty when the entries carry no number

    int size() const { return static_cast<int>(texts.size()); }
    bool contains(int position) const { return position >= 0 && position < size(); }
    // The number of the entry at `position`, which must be in the list.
    int value(int position) const { return values.at(static_cast<size_t>(position)); }
};

const ChoiceList& choiceList(ListId id);

} // namespace brisklet::settings
