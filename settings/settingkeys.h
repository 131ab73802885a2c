#pragma once
// Every key of the settings file, with its section, name, type and defaults.
// The start-up load, the close save, the settings dialog and the encoder
// configuration all take their keys from here.

#include "settings/settinglists.h"

#include <array>

namespace brisklet::settings {

class ProfileFile;

enum class KeyType {
    Integer,
    Boolean,   // "1"/"0"
    Text,      // no integer defaults; see GeneralSettings for "Output"/"Dir"
    ListIndex, // 0-based position in `list`
};

// Who reads a key: two keys have one default for the dialog (and start-up)
// and another for the encoder configuration.
enum class Reader { Dialog, Encoder };

struct SettingKey {
    const char* section;
    const char* name;
    KeyType type;
    int defaultValue;   // when absent, for the start-up load and the settings dialog
    int encoderDefault; // when absent, for the encoder configuration
    int resetValue;     // what the settings dialog's "Default" button shows
    ListId list = ListId::None;

    int defaultFor(Reader reader) const
    {
        return reader == Reader::Encoder ? encoderDefault : defaultValue;
    }
};

namespace keys {

constexpr SettingKey integerKey(const char* section, const char* name, int defaultValue)
{
    return {section, name, KeyType::Integer, defaultValue, defaultValue, defaultValue};
}
constexpr SettingKey booleanKey(const char* section, const char* name, bool defaultValue)
{
    const int value = defaultValue ? 1 : 0;
    return {section, name, KeyType::Boolean, value, value, value};
}
constexpr SettingKey listKey(const char* section, const char* name, ListId list, int defaultValue)
{
    return {section, name, KeyType::ListIndex, defaultValue, defaultValue, defaultValue, list};
}
constexpr SettingKey textKey(const char* section, const char* name)
{
    return {section, name, KeyType::Text, 0, 0, 0};
}

// The nine general keys, mirrored by the main window.
inline constexpr SettingKey functionChoice = integerKey("Function", "Choice", 0);
inline constexpr SettingKey outputDir = textKey("Output", "Dir");
inline constexpr SettingKey splitSeconds = integerKey("Choice", "time", 60);
inline constexpr SettingKey splitCount = integerKey("Choice", "Count", 6);
inline constexpr SettingKey fadeIn = booleanKey("Fade", "In", false);
inline constexpr SettingKey fadeOut = booleanKey("Fade", "Out", false);
inline constexpr SettingKey fadeInSeconds = integerKey("Fade", "Intime", 5);
inline constexpr SettingKey fadeOutSeconds = integerKey("Fade", "Outtime", 5);
inline constexpr SettingKey skin = booleanKey("BKL", "Skin", false);
// Whether every output is read again and checked once written; read by the
// jobs when they start, not one of the general settings the window mirrors.
inline constexpr SettingKey verifyOutputs = booleanKey("BKL", "Verify", false);
// Pieces a split encodes at the same time; 0 (or below) is one per processor
// core. Read by the jobs when they start, like the check above.
inline constexpr SettingKey workers = integerKey("BKL", "Workers", 0);

// The settings dialog's output-path field as typed; written on OK, never read.
inline constexpr SettingKey mainPath = textKey("Main", "Path");

// The thirty-nine format keys.
inline constexpr SettingKey mp3Bitrate = listKey("mp3", "bitrate", ListId::Bitrate, 9);
inline constexpr SettingKey mp3Channel = listKey("mp3", "channel", ListId::Mp3Channel, 1);
inline constexpr SettingKey mp3Frequency = listKey("mp3", "frequency", ListId::Frequency, 7);
inline constexpr SettingKey mp3Quality{"mp3", "quality", KeyType::Integer, 4, 5, 5};
inline constexpr SettingKey vbrCodingMethod =
    listKey("MP3VBR", "Coding Method", ListId::CodingMethod, 0);
inline constexpr SettingKey vbrBitrate = listKey("MP3VBR", "vbr bitrate", ListId::Bitrate, 9);
inline constexpr SettingKey vbrQuality{"MP3VBR", "vbr quality", KeyType::Integer, 4, 5, 5};
inline constexpr SettingKey vbrHeader = booleanKey("MP3VBR", "vbrck", true);
inline constexpr SettingKey vbrEnforceMinimum = booleanKey("MP3VBR", "semb", false);
inline constexpr SettingKey highpassOn = booleanKey("MP3Filt", "chHFilt", false);
inline constexpr SettingKey lowpassOn = booleanKey("MP3Filt", "chLFilt", false);
inline constexpr SettingKey highpassFrequency = integerKey("MP3Filt", "udHFiltF", 30);
inline constexpr SettingKey highpassWidth = integerKey("MP3Filt", "udHFiltW", 5);
inline constexpr SettingKey lowpassFrequency = integerKey("MP3Filt", "udLFiltF", 15160);
inline constexpr SettingKey lowpassWidth = integerKey("MP3Filt", "udLFiltW", 750);
inline constexpr SettingKey bitReservoir = booleanKey("MP3Expert", "Bit", true);
inline constexpr SettingKey shortBlocks = booleanKey("MP3Expert", "short", true);
inline constexpr SettingKey allowDiffBlockTypes = booleanKey("MP3Expert", "allow", false);
inline constexpr SettingKey strictIso = booleanKey("MP3Expert", "comply", false);
inline constexpr SettingKey crc = booleanKey("MP3Expert", "crc", false);
inline constexpr SettingKey athMode = listKey("MP3Expert", "ath", ListId::Ath, 0);
inline constexpr SettingKey deEmphasis = listKey("MP3Expert", "de", ListId::DeEmphasis, 0);
inline constexpr SettingKey presetOn = booleanKey("MP3Prest", "preset", false);
inline constexpr SettingKey altPresetOn = booleanKey("MP3Prest", "alt", false);
inline constexpr SettingKey preset = listKey("MP3Prest", "rg_prest", ListId::Preset, 0);
inline constexpr SettingKey altPreset = listKey("MP3Prest", "rg_alt", ListId::AltPreset, 0);
inline constexpr SettingKey wavMode = listKey("wav", "mode", ListId::WavMode, 0);
inline constexpr SettingKey wavBits = listKey("wav", "bit", ListId::SampleSize, 1);
inline constexpr SettingKey wavChannel = listKey("wav", "channel", ListId::TwoChannel, 1);
// "Default" shows 48000 Hz here while an absent key shows 44100 Hz.
inline constexpr SettingKey wavFrequency{"wav", "frequency", KeyType::ListIndex, 7,
                                         7,     8,           ListId::Frequency};
inline constexpr SettingKey wmaProfile = listKey("wma", "format", ListId::WmaProfile, 9);
inline constexpr SettingKey oggChannel = listKey("ogg", "channel", ListId::TwoChannel, 1);
inline constexpr SettingKey oggFrequency = listKey("ogg", "frequency", ListId::Frequency, 7);
inline constexpr SettingKey oggBitrate = listKey("ogg", "bitrate", ListId::Bitrate, 9);
inline constexpr SettingKey oggMaxBitrate = listKey("ogg", "max bitrate", ListId::Bitrate, 9);
inline constexpr SettingKey oggMinBitrate = listKey("ogg", "min bitrate", ListId::Bitrate, 9);
inline constexpr SettingKey oggQuality = integerKey("ogg", "quality", 300);
inline constexpr SettingKey oggVbrOn = booleanKey("ogg", "oggvbr", false);
inline constexpr SettingKey oggQualityOn = booleanKey("ogg", "oggquality", false);
// FLAC at the source's rate: compression level 0-8, 16 or 24 bits.
inline constexpr SettingKey flacLevel = integerKey("flac", "level", 5);
inline constexpr SettingKey flacBits = listKey("flac", "bit", ListId::FlacSampleSize, 0);
// Opus at 48000 Hz: kbps (6-510) and complexity (0-10).
inline constexpr SettingKey opusBitrate = integerKey("opus", "bitrate", 128);
inline constexpr SettingKey opusComplexity = integerKey("opus", "complexity", 10);

} // namespace keys

// In the order the start-up load reads them and the close save writes them.
inline constexpr std::array<const SettingKey*, 9> generalKeys{
    &keys::functionChoice, &keys::outputDir,      &keys::splitSeconds,
    &keys::splitCount,     &keys::fadeIn,         &keys::fadeOut,
    &keys::fadeInSeconds,  &keys::fadeOutSeconds, &keys::skin};

// In the order the settings dialog reads and writes them.
inline constexpr std::array<const SettingKey*, 43> formatKeys{&keys::mp3Bitrate,
                                                              &keys::mp3Channel,
                                                              &keys::mp3Frequency,
                                                              &keys::mp3Quality,
                                                              &keys::vbrCodingMethod,
                                                              &keys::vbrBitrate,
                                                              &keys::vbrQuality,
                                                              &keys::vbrHeader,
                                                              &keys::vbrEnforceMinimum,
                                                              &keys::highpassOn,
                                                              &keys::lowpassOn,
                                                              &keys::highpassFrequency,
                                                              &keys::highpassWidth,
                                                              &keys::lowpassFrequency,
                                                              &keys::lowpassWidth,
                                                              &keys::bitReservoir,
                                                              &keys::shortBlocks,
                                                              &keys::allowDiffBlockTypes,
                                                              &keys::strictIso,
                                                              &keys::crc,
                                                              &keys::athMode,
                                                              &keys::deEmphasis,
                                                              &keys::presetOn,
                                                              &keys::altPresetOn,
                                                              &keys::preset,
                                                              &keys::altPreset,
                                                              &keys::wavMode,
                                                              &keys::wavBits,
                                                              &keys::wavChannel,
                                                              &keys::wavFrequency,
                                                              &keys::wmaProfile,
                                                              &keys::oggChannel,
                                                              &keys::oggFrequency,
                                                              &keys::oggBitrate,
                                                              &keys::oggMaxBitrate,
                                                              &keys::oggMinBitrate,
                                                              &keys::oggQuality,
                                                              &keys::oggVbrOn,
                                                              &keys::oggQualityOn,
                                                              &keys::flacLevel,
                                                              &keys::flacBits,
                                                              &keys::opusBitrate,
                                                              &keys::opusComplexity};

// An integer, boolean (1/0) or list key's value, or its default for `reader`
// when absent or invalid. A list position outside its list gives the default
// too, so that a stored value never indexes past a list.
int readKey(const ProfileFile& file, const SettingKey& key, Reader reader = Reader::Dialog);
bool readFlag(const ProfileFile& file, const SettingKey& key, Reader reader = Reader::Dialog);
// The number behind a list key's stored position (Hz, kbps or bits).
int readListValue(const ProfileFile& file, const SettingKey& key, Reader reader = Reader::Dialog);
// Booleans are written as "1"/"0" (any non-zero value is true).
void writeKey(ProfileFile& file, const SettingKey& key, int value);

} // namespace brisklet::settings
