#include "settings/encoderconfig.h"

#include "settings/profilefile.h"
#include "settings/settingkeys.h"

#include <cstdint>

namespace brisklet::settings {
namespace {

// The component takes booleans as -1 (true) and 0 (false).
int componentFlag(bool on)
{
    return on ? -1 : 0;
}

// The number behind a position the dialog shows; one outside its list stands
// for the key's default position.
int listValueAt(const SettingKey& key, int position)
{
    const ChoiceList& list = choiceList(key.list);
    return list.value(list.contains(position) ? position : key.defaultValue);
}

int positionIn(const SettingKey& key, int position)
{
    return choiceList(key.list).contains(position) ? position : key.defaultValue;
}

std::string refusal(const char* format)
{
    return std::string("This ") + format + " format is not supported. \r" +
           "You have set too high frequency and too low bitrate or otherwise. \r" +
           "Please adjust the frequency or bitrate.";
}

} // namespace

EncoderConfiguration::EncoderConfiguration(const ProfileFile& file, audio::IAudioFile2& writer,
                                           audio::IAudioFile2LameEnc& encoder,
                                           CommandLineSource commandLine)
    : m_file(file), m_writer(writer), m_encoder(encoder), m_commandLine(std::move(commandLine))
{
}

void EncoderConfiguration::configure(audio::OutputFormat outputFormat)
{
    switch (outputFormat) {
    case audio::OutputFormat::Mp3:
        configureMp3();
        break;
    case audio::OutputFormat::Wav:
        configureWav();
        break;
    case audio::OutputFormat::Wma:
        m_writer.SetWmaProfile(readKey(m_file, keys::wmaProfile, Reader::Encoder) + 1);
        break;
    case audio::OutputFormat::Ogg:
        configureOgg();
        break;
    }
}

void EncoderConfiguration::configureMp3()
{
    const bool presetOn = readFlag(m_file, keys::presetOn, Reader::Encoder);
    const bool altPresetOn = readFlag(m_file, keys::altPresetOn, Reader::Encoder);
    if (!presetOn && !altPresetOn) {
        configureMp3Detailed();
    } else {
        // The detailed values of an earlier configuration stay in the encoder object.
        if (presetOn) {
            m_encoder.SetPreset(readKey(m_file, keys::preset, Reader::Encoder) + 1);
        }
        if (altPresetOn) {
            m_encoder.SetAltPreset(readKey(m_file, keys::altPreset, Reader::Encoder) + 1);
        }
    }
    // An empty text leaves the last command line in force; blanks are passed.
    const std::string commandLine = m_commandLine ? m_commandLine() : std::string();
    if (!commandLine.empty()) {
        m_encoder.SetCommandLine(commandLine);
    }
    m_writer.AttachMp3Encoder(m_encoder);
}

void EncoderConfiguration::configureMp3Detailed()
{
    const auto flag = [this](const SettingKey& key) {
        return componentFlag(readFlag(m_file, key, Reader::Encoder));
    };
    const auto number = [this](const SettingKey& key) {
        return readKey(m_file, key, Reader::Encoder);
    };
    const auto listValue = [this](const SettingKey& key) {
        return readListValue(m_file, key, Reader::Encoder);
    };
    const auto isOn = [this](const SettingKey& key) {
        return readFlag(m_file, key, Reader::Encoder);
    };

    m_encoder.SetWriteVbrHeader(flag(keys::vbrHeader));
    m_encoder.SetEnforceMinBitrate(flag(keys::vbrEnforceMinimum));
    m_encoder.SetCrc(flag(keys::crc));
    m_encoder.SetAllowDiffBlockTypes(flag(keys::allowDiffBlockTypes));
    m_encoder.SetBitReservoir(flag(keys::bitReservoir));
    m_encoder.SetShortBlocks(flag(keys::shortBlocks));
    m_encoder.SetStrictIso(flag(keys::strictIso));
    m_encoder.SetHighpassFrequency(isOn(keys::highpassOn) ? number(keys::highpassFrequency) : -1);
    m_encoder.SetLowpassFrequency(isOn(keys::lowpassOn) ? number(keys::lowpassFrequency) : -1);
    m_encoder.SetVbrMethod(number(keys::vbrCodingMethod) - 1);
    m_encoder.SetAthMode(number(keys::athMode));
    const int channel = number(keys::mp3Channel);
    if (channel == 0) { // Mono sets no channel mode
        m_encoder.SetChannelCount(1);
    } else {
        m_encoder.SetChannelCount(2);
        m_encoder.SetChannelMode(channel);
    }
    m_encoder.SetDeEmphasis(number(keys::deEmphasis));
    m_encoder.SetQuality(number(keys::mp3Quality));
    m_encoder.SetBitrate(listValue(keys::mp3Bitrate));
    m_encoder.SetVbrBitrate(listValue(keys::vbrBitrate));
    // The widths are passed whether or not their filter is on.
    m_encoder.SetHighpassWidth(number(keys::highpassWidth));
    m_encoder.SetLowpassWidth(number(keys::lowpassWidth));
    m_encoder.SetVbrQuality(number(keys::vbrQuality));
    m_encoder.SetSampleRate(listValue(keys::mp3Frequency));
}

void EncoderConfiguration::configureWav()
{
    if (m_writer.IsOpen()) {
        m_writer.Close();
    }
    // The mode selects what to call, it indexes nothing: an unknown mode calls nothing.
    const int mode =
        m_file.readInteger(keys::wavMode.section, keys::wavMode.name, keys::wavMode.encoderDefault);
    switch (mode) {
    case 0: // CD quality
        m_writer.SetPcmFormat(44100, 2, 16);
        break;
    case 1: // best quality
        m_writer.SetPcmFormat(48000, 2, 32);
        break;
    case 2: // custom
        m_writer.SetPcmFormat(readListValue(m_file, keys::wavFrequency, Reader::Encoder),
                              readKey(m_file, keys::wavChannel, Reader::Encoder) + 1,
                              readListValue(m_file, keys::wavBits, Reader::Encoder));
        break;
    default:
        break;
    }
}

void EncoderConfiguration::configureOgg()
{
    const int rate = readListValue(m_file, keys::oggFrequency, Reader::Encoder);
    const int channels = readKey(m_file, keys::oggChannel, Reader::Encoder) + 1;
    const bool vbrOn = readFlag(m_file, keys::oggVbrOn, Reader::Encoder);
    const bool qualityOn = readFlag(m_file, keys::oggQualityOn, Reader::Encoder);
    const auto kbps = [this](const SettingKey& key) {
        return readListValue(m_file, key, Reader::Encoder);
    };

    if (!vbrOn && !qualityOn) {
        m_writer.SetOggFormat(rate, channels, kbps(keys::oggBitrate), 0, 0, -1);
    }
    // Both run, quality first, when a hand-edited file sets both flags.
    if (qualityOn) {
        const auto quality =
            static_cast<int16_t>(readKey(m_file, keys::oggQuality, Reader::Encoder));
        m_writer.SetOggFormat(rate, channels, 0, 0, 0, quality);
    }
    if (vbrOn) {
        m_writer.SetOggFormat(rate, channels, kbps(keys::oggBitrate), kbps(keys::oggMinBitrate),
                              kbps(keys::oggMaxBitrate), -1);
    }
}

void configureWriterFromFile(const std::string& settingsPath, audio::OutputFormat outputFormat,
                             audio::IAudioFile2& writer, audio::IAudioFile2LameEnc& encoder,
                             const std::string& commandLine)
{
    const ProfileFile file(settingsPath);
    EncoderConfiguration(file, writer, encoder, [&commandLine] {
        return commandLine;
    }).configure(outputFormat);
}

FormatCheck checkFormats(const audio::IAudioFile2& component, const FormatChoice& choice)
{
    if (!choice.oggQualityMode &&
        !component.CheckOggFormat(listValueAt(keys::oggFrequency, choice.oggFrequency),
                                  positionIn(keys::oggChannel, choice.oggChannel) + 1,
                                  listValueAt(keys::oggBitrate, choice.oggBitrate),
                                  listValueAt(keys::oggMinBitrate, choice.oggMinBitrate),
                                  listValueAt(keys::oggMaxBitrate, choice.oggMaxBitrate))) {
        return {false, refusal("OGG")};
    }
    if (!component.CheckMp3Format(listValueAt(keys::mp3Frequency, choice.mp3Frequency),
                                  listValueAt(keys::mp3Bitrate, choice.mp3Bitrate),
                                  positionIn(keys::mp3Channel, choice.mp3Channel) + 1)) {
        return {false, refusal("MP3")};
    }
    return {};
}

std::string lineBreaksForDisplay(std::string message)
{
    for (char& c : message) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return message;
}

} // namespace brisklet::settings
