#include "settings/settinglists.h"

#include <stdexcept>

namespace brisklet::settings {
namespace {

ChoiceList fadeLengths()
{
    ChoiceList list;
    for (int seconds = 1; seconds <= 20; ++seconds) {
        list.texts.push_back(std::to_string(seconds) + "s");
        list.values.push_back(seconds);
    }
    return list;
}

// Built on first use, so that no other file's static initialisation can see them unbuilt.
struct Lists {
    ChoiceList frequency{{"8000 Hz", "11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz", "24000 Hz",
                          "32000 Hz", "44100 Hz", "48000 Hz"},
                         {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}};

    ChoiceList bitrate{{"8 Kbps", "16 Kbps", "24 Kbps", "32 Kbps", "48 Kbps", "64 Kbps", "80 Kbps",
                        "96 Kbps", "112 Kbps", "128 Kbps", "160 Kbps", "192 Kbps", "224 Kbps",
                        "256 Kbps", "320 Kbps"},
                       {8, 16, 24, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};

    ChoiceList sampleSize{{"8 bps", "16 bps"}, {8, 16}};
    ChoiceList flacSampleSize{{"16 bps", "24 bps"}, {16, 24}};

    ChoiceList mp3Channel{
        {"Mono", "Stereo", "Joint Stereo", "Forced Joint Stereo", "Dual Channels"}, {}};

    ChoiceList twoChannel{{"Mono", "Stereo"}, {}};

    ChoiceList codingMethod{{"None", "Default", "Old", "New", "MTRH"}, {}};

    ChoiceList ath{{"default", "only", "disabled", "only for short blocks"}, {}};

    ChoiceList deEmphasis{{"default", "0/15 microseconds", "citt j.17"}, {}};

    ChoiceList preset{
        {"Phone", "SW", "AM", "FM", "Voice", "Radio", "Type", "HiFi", "CD", "Studio", "R3Mix"}, {}};

    // "Extrene" is the entry's text as the dialog has always shown it.
    ChoiceList altPreset{{"Fast Standard", "Standard", "Fast Extreme", "Extrene", "Insane"}, {}};

    ChoiceList wavMode{
        {"CD quality WAV format.", "Best good quality WAV format.", "Custom WAV format."}, {}};

    ChoiceList fadeLength = fadeLengths();

    // Two entries share one text (positions 20 and 22); the 8 kHz entries have two
    // blanks after the comma.
    ChoiceList wmaProfile{
        {"WMA9 48KHz, 192Kbps, Stereo, CBR",   "WMA9 48KHz, 160Kbps, Stereo, CBR",
         "WMA9 48KHz, 128Kbps, Stereo, CBR",   "WMA9 48KHz, 96Kbps, Stereo, CBR",
         "WMA9 48KHz, 64Kbps, Stereo, CBR",    "WMA9 44KHz, 320Kbps, Stereo, CBR",
         "WMA9 44KHz, 256Kbps, Stereo, CBR",   "WMA9 44KHz, 192Kbps, Stereo, CBR",
         "WMA9 44KHz, 160Kbps, Stereo, CBR",   "WMA9 44KHz, 128Kbps, Stereo, CBR",
         "WMA9 44KHz, 96Kbps, Stereo, CBR",    "WMA9 44KHz, 80Kbps, Stereo, CBR",
         "WMA9 44KHz, 64Kbps, Stereo, CBR",    "WMA9 44KHz, 48Kbps, Stereo, CBR",
         "WMA9 44KHz, 32Kbps, Stereo, CBR",    "WMA9 44KHz, 48Kbps, Mono, CBR",
         "WMA9 44KHz, 32Kbps, Mono, CBR",      "WMA9 44KHz, 20Kbps, Mono, CBR",
         "WMA9 32KHz, 48Kbps, Stereo, CBR",    "WMA9 32KHz, 40Kbps, Stereo, CBR",
         "WMA9 32KHz, 32Kbps, Stereo, CBR",    "WMA9 32KHz, 20Kbps, Mono, CBR",
         "WMA9 32KHz, 32Kbps, Stereo, CBR",    "WMA9 32KHz, 22Kbps, Stereo, CBR",
         "WMA9 22KHz, 20Kbps, Stereo, CBR",    "WMA9 22KHz, 20Kbps, Mono, CBR",
         "WMA9 22KHz, 16Kbps, Mono, CBR",      "WMA9 16KHz, 20Kbps, Stereo, CBR",
         "WMA9 16KHz, 16Kbps, Stereo, CBR",    "WMA9 16KHz, 16Kbps, Mono, CBR",
         "WMA9 16KHz, 12Kbps, Mono, CBR",      "WMA9 16KHz, 10Kbps, Mono, CBR",
         "WMA9 11KHz, 10Kbps, Mono, CBR",      "WMA9 11KHz, 8Kbps, Mono, CBR",
         "WMA9 8KHz,  12Kbps, Stereo, CBR",    "WMA9 8KHz,  8Kbps, Mono, CBR",
         "WMA9 8KHz,  6Kbps, Mono, CBR",       "WMA9 8KHz,  5Kbps, Mono, CBR",
         "WMA9 48KHz, Stereo, VBR Quality 98", "WMA9 48KHz, Stereo, VBR Quality 90",
         "WMA9 44KHz, Stereo, VBR Quality 98", "WMA9 44KHz, Stereo, VBR Quality 90",
         "WMA9 44KHz, Stereo, VBR Quality 75", "WMA9 44KHz, Stereo, VBR Quality 50",
         "WMA9 44KHz, Stereo, VBR Quality 25", "WMA9 44KHz, Stereo, VBR Quality 10",
         "WMA9 44KHz, Stereo, Lossless"},
        {}};

    ChoiceList none{};
};

const Lists& lists()
{
    static const Lists all;
    return all;
}

} // namespace

const ChoiceList& choiceList(ListId id)
{
    const Lists& l = lists();
    switch (id) {
    case ListId::None:
        return l.none;
    case ListId::Frequency:
        return l.frequency;
    case ListId::Bitrate:
        return l.bitrate;
    case ListId::SampleSize:
        return l.sampleSize;
    case ListId::Mp3Channel:
        return l.mp3Channel;
    case ListId::TwoChannel:
        return l.twoChannel;
    case ListId::CodingMethod:
        return l.codingMethod;
    case ListId::Ath:
        return l.ath;
    case ListId::DeEmphasis:
        return l.deEmphasis;
    case ListId::Preset:
        return l.preset;
    case ListId::AltPreset:
        return l.altPreset;
    case ListId::WavMode:
        return l.wavMode;
    case ListId::FlacSampleSize:
        return l.flacSampleSize;
    case ListId::FadeLength:
        return l.fadeLength;
    case ListId::WmaProfile:
        return l.wmaProfile;
    }
    throw std::logic_error("unknown settings list");
}

} // namespace brisklet::settings
