// The encoder configuration's exact call sequences, checked with recording
// doubles of the writer and the MP3 encoder settings object.
#include "settings/encoderconfig.h"
#include "settings/profilefile.h"

#include "tests/mocks/recording_audio_file.h"
#include "testsupport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace brisklet::settings {
namespace {

using test::call;
using test::CallLog;

struct EncoderConfigTest : ::testing::Test {
    test::TempDir dir;
    std::string path = dir.file("Brisklet.ini");
    ProfileFile file{path};
    CallLog log;
    test::RecordingAudioFile writer{log};
    test::RecordingLameEncoder encoder{log};
    std::string commandLine;
    EncoderConfiguration config{file, writer, encoder, [this] { return commandLine; }};

    void given(const std::string& content) { test::writeFileBytes(path, content); }
    // By the format list's position; a position outside it names no format.
    CallLog configure(int format)
    {
        log.clear();
        if (std::optional<audio::OutputFormat> known = audio::outputFormatAt(format))
            config.configure(*known);
        return log;
    }
};

// The detailed MP3 configuration of an empty settings file, in call order.
CallLog defaultMp3Calls()
{
    return {call("SetWriteVbrHeader", -1),
            call("SetEnforceMinBitrate", 0),
            call("SetCrc", 0),
            call("SetAllowDiffBlockTypes", 0),
            call("SetBitReservoir", -1),
            call("SetShortBlocks", -1),
            call("SetStrictIso", 0),
            call("SetHighpassFrequency", -1), // filters off
            call("SetLowpassFrequency", -1),
            call("SetVbrMethod", -1), // coding method "None"
            call("SetAthMode", 0),
            call("SetChannelCount", 2),
            call("SetChannelMode", 1), // Stereo
            call("SetDeEmphasis", 0),
            call("SetQuality", 5), // the encoder's default, not the dialog's 4
            call("SetBitrate", 128),
            call("SetVbrBitrate", 128),
            call("SetHighpassWidth", 5), // widths even with the filters off
            call("SetLowpassWidth", 750),
            call("SetVbrQuality", 5),
            call("SetSampleRate", 44100),
            call("AttachMp3Encoder")};
}

TEST_F(EncoderConfigTest, Mp3DefaultsGiveTheFullDetailedSequence)
{
    EXPECT_EQ(configure(0), defaultMp3Calls());
}

TEST_F(EncoderConfigTest, Mp3StoredValuesReachTheirSetters)
{
    given("[mp3]\nchannel=2\nbitrate=5\nfrequency=4\nquality=0\n"
          "[MP3VBR]\nCoding Method=4\nvbr bitrate=11\nvbr quality=9\nvbrck=0\nsemb=1\n"
          "[MP3Filt]\nchHFilt=1\nchLFilt=1\nudHFiltF=120\nudHFiltW=10\nudLFiltF=9000\n"
          "udLFiltW=500\n"
          "[MP3Expert]\nBit=0\nshort=0\nallow=1\ncomply=1\ncrc=1\nath=3\nde=2\n");
    EXPECT_EQ(configure(0), (CallLog{call("SetWriteVbrHeader", 0),
                                     call("SetEnforceMinBitrate", -1),
                                     call("SetCrc", -1),
                                     call("SetAllowDiffBlockTypes", -1),
                                     call("SetBitReservoir", 0),
                                     call("SetShortBlocks", 0),
                                     call("SetStrictIso", -1),
                                     call("SetHighpassFrequency", 120),
                                     call("SetLowpassFrequency", 9000),
                                     call("SetVbrMethod", 3), // MTRH
                                     call("SetAthMode", 3),
                                     call("SetChannelCount", 2),
                                     call("SetChannelMode", 2), // Joint Stereo
                                     call("SetDeEmphasis", 2),
                                     call("SetQuality", 0),
                                     call("SetBitrate", 64),
                                     call("SetVbrBitrate", 192),
                                     call("SetHighpassWidth", 10),
                                     call("SetLowpassWidth", 500),
                                     call("SetVbrQuality", 9),
                                     call("SetSampleRate", 22050),
                                     call("AttachMp3Encoder")}));
}

TEST_F(EncoderConfigTest, Mp3MonoSetsOneChannelAndNoChannelMode)
{
    given("[mp3]\nchannel=0\n");
    const CallLog calls = configure(0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), call("SetChannelCount", 1)), 1);
    for (const std::string& c : calls) {
        EXPECT_EQ(c.rfind("SetChannelMode", 0), std::string::npos) << c;
    }
    EXPECT_EQ(calls.size(), defaultMp3Calls().size() - 1);
}

TEST_F(EncoderConfigTest, Mp3OutOfRangePositionsUseTheKeyDefaults)
{
    given("[mp3]\nbitrate=20\nchannel=7\nfrequency=-1\n[MP3VBR]\nCoding Method=5\n"
          "vbr bitrate=abc\n");
    EXPECT_EQ(configure(0), defaultMp3Calls());
}

TEST_F(EncoderConfigTest, PresetAndAltPresetCallOnlyThePresetSetters)
{
    given("[MP3Prest]\npreset=1\nalt=1\nrg_prest=10\nrg_alt=4\n");
    EXPECT_EQ(configure(0),
              (CallLog{call("SetPreset", 11), call("SetAltPreset", 5), call("AttachMp3Encoder")}));

    given("[MP3Prest]\nalt=1\nrg_alt=1\nrg_prest=3\n");
    EXPECT_EQ(configure(0), (CallLog{call("SetAltPreset", 2), call("AttachMp3Encoder")}));
}

TEST_F(EncoderConfigTest, CommandLineIsAskedForEachTimeAndBlanksArePassed)
{
    given("[MP3Prest]\npreset=1\n");
    commandLine = "   ";
    EXPECT_EQ(configure(0), (CallLog{call("SetPreset", 1), call("SetCommandLine", "   "),
                                     call("AttachMp3Encoder")}));
    commandLine.clear(); // empty leaves the last one in force: no call
    EXPECT_EQ(configure(0), (CallLog{call("SetPreset", 1), call("AttachMp3Encoder")}));

    commandLine = "--lowpass 16";
    const CallLog calls = configure(0);
    EXPECT_EQ(calls[calls.size() - 2], call("SetCommandLine", "--lowpass 16"));
}

TEST_F(EncoderConfigTest, WavModesCloseAnOpenWriterFirst)
{
    writer.open = true;
    EXPECT_EQ(configure(1),
              (CallLog{call("IsOpen"), call("Close"), call("SetPcmFormat", 44100, 2, 16)}));

    // The fixed best-quality mode ignores the custom values.
    given("[wav]\nmode=1\nfrequency=0\nchannel=0\nbit=0\n");
    EXPECT_EQ(configure(1), (CallLog{call("IsOpen"), call("SetPcmFormat", 48000, 2, 32)}));

    given("[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=0\n");
    EXPECT_EQ(configure(1), (CallLog{call("IsOpen"), call("SetPcmFormat", 8000, 1, 8)}));

    given("[wav]\nmode=2\n");
    EXPECT_EQ(configure(1), (CallLog{call("IsOpen"), call("SetPcmFormat", 44100, 2, 16)}));

    given("[wav]\nmode=3\n");
    EXPECT_EQ(configure(1), (CallLog{call("IsOpen")}));
}

TEST_F(EncoderConfigTest, WmaProfileIsThePositionPlusOne)
{
    EXPECT_EQ(configure(2), (CallLog{call("SetWmaProfile", 10)}));
    given("[wma]\nformat=46\n");
    EXPECT_EQ(configure(2), (CallLog{call("SetWmaProfile", 47)}));
    given("[wma]\nformat=47\n");
    EXPECT_EQ(configure(2), (CallLog{call("SetWmaProfile", 10)}));
}

TEST_F(EncoderConfigTest, OggConstantQualityAndVariableBitrate)
{
    EXPECT_EQ(configure(3), (CallLog{call("SetOggFormat", 44100, 2, 128, 0, 0, -1)}));

    given("[ogg]\noggquality=1\nchannel=0\nfrequency=4\n");
    EXPECT_EQ(configure(3), (CallLog{call("SetOggFormat", 22050, 1, 0, 0, 0, 300)}));

    given("[ogg]\noggvbr=1\nbitrate=9\nmin bitrate=5\nmax bitrate=11\n");
    EXPECT_EQ(configure(3), (CallLog{call("SetOggFormat", 44100, 2, 128, 64, 192, -1)}));

    // Only a hand-edited file sets both: quality first, then VBR.
    given("[ogg]\noggvbr=1\noggquality=1\nquality=0x3E8\n");
    EXPECT_EQ(configure(3), (CallLog{call("SetOggFormat", 44100, 2, 0, 0, 0, 1000),
                                     call("SetOggFormat", 44100, 2, 128, 128, 128, -1)}));
}

TEST_F(EncoderConfigTest, UnknownFormatCallsNothing)
{
    writer.open = true;
    EXPECT_TRUE(configure(static_cast<int>(audio::allOutputFormats.size())).empty());
    EXPECT_TRUE(configure(-1).empty());
}

TEST_F(EncoderConfigTest, SettingsAreReadAfreshOnEveryCall)
{
    EXPECT_EQ(configure(2), (CallLog{call("SetWmaProfile", 10)}));
    given("[WMA]\nFORMAT=0\n");
    EXPECT_EQ(configure(2), (CallLog{call("SetWmaProfile", 1)}));
}

TEST_F(EncoderConfigTest, OneCallFormConfiguresFromAPath)
{
    given("[ogg]\nchannel=0\nbitrate=5\n");
    configureWriterFromFile(path, audio::OutputFormat::Ogg, writer, encoder);
    EXPECT_EQ(log, (CallLog{call("SetOggFormat", 44100, 1, 64, 0, 0, -1)}));
}

TEST_F(EncoderConfigTest, FormatChecksRunOggThenMp3WithTheShownValues)
{
    FormatChoice choice;
    choice.mp3Channel = 2;
    choice.mp3Bitrate = 14;
    choice.oggFrequency = 0;
    choice.oggChannel = 0;
    choice.oggMinBitrate = 5;
    choice.oggMaxBitrate = 99; // no such position: the key's default
    const FormatCheck check = checkFormats(writer, choice);
    EXPECT_TRUE(check.passed);
    EXPECT_EQ(log, (CallLog{call("CheckOggFormat", 8000, 1, 128, 64, 128),
                            call("CheckMp3Format", 44100, 320, 3)}));

    log.clear();
    choice.oggQualityMode = true;
    writer.oggFormatAccepted = false; // not asked in quality mode
    EXPECT_TRUE(checkFormats(writer, choice).passed);
    EXPECT_EQ(log, (CallLog{call("CheckMp3Format", 44100, 320, 3)}));
}

TEST_F(EncoderConfigTest, RefusedFormatsGiveTheirMessages)
{
    writer.oggFormatAccepted = false;
    FormatCheck check = checkFormats(writer, {});
    EXPECT_FALSE(check.passed);
    EXPECT_EQ(check.message, "This OGG format is not supported. \r"
                             "You have set too high frequency and too low bitrate or otherwise. \r"
                             "Please adjust the frequency or bitrate.");
    EXPECT_EQ(log.size(), 1u); // the first refusal ends the checks

    writer.oggFormatAccepted = true;
    writer.mp3FormatAccepted = false;
    check = checkFormats(writer, {});
    EXPECT_FALSE(check.passed);
    EXPECT_EQ(check.message.substr(0, 35), "This MP3 format is not supported. \r");
    EXPECT_EQ(lineBreaksForDisplay(check.message).find('\r'), std::string::npos);
}

} // namespace
} // namespace brisklet::settings
