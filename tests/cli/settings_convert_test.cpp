// brisklet-cli convert --settings FILE: the output follows the settings file's
// encoder settings, as ffprobe reports them.
#include "testsupport.h"

#include <QCoreApplication>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace brisklet::test;

namespace {

// Converts dir/in.wav into dir/<output> with the settings file at `settingsPath`.
CommandResult convert(const TempDir& dir, const std::string& settingsPath,
                      const std::string& output)
{
    // The test program lives in <build>/tests when BRISKLET_BUILD_DIR does not say.
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    const std::string cli =
        (build ? std::string(build)
               : (QCoreApplication::applicationDirPath() + QStringLiteral("/..")).toStdString()) +
        "/cli/brisklet-cli";
    return runCommand(shellQuote(cli) + " convert --settings " + shellQuote(settingsPath) + " " +
                      shellQuote(dir.file("in.wav")) + " " + shellQuote(dir.file(output)));
}

CommandResult convertWithSettings(const TempDir& dir, const std::string& settings,
                                  const std::string& output)
{
    writeFileBytes(dir.file("Brisklet.ini"), settings);
    return convert(dir, dir.file("Brisklet.ini"), output);
}

TEST(CliConvertSettings, Mp3MonoAt64KbpsFromTheSettingsFile)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 44100, 44100, 2);
    const CommandResult result =
        convertWithSettings(dir, "[mp3]\nchannel=0\nbitrate=5\n", "out.mp3");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(ffprobeValue(dir.file("out.mp3"), "channels"), "1");
    EXPECT_EQ(ffprobeValue(dir.file("out.mp3"), "bit_rate"), "64000");
    EXPECT_EQ(ffprobeValue(dir.file("out.mp3"), "sample_rate"), "44100");
}

TEST(CliConvertSettings, WavModeOfTheSettingsFileOverridesTheInputFormat)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 8000, 8000, 1);
    // An empty settings file: the CD-quality mode, whatever the input is.
    const CommandResult result = convertWithSettings(dir, "", "out.wav");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(ffprobeValue(dir.file("out.wav"), "sample_rate"), "44100");
    EXPECT_EQ(ffprobeValue(dir.file("out.wav"), "channels"), "2");
    EXPECT_EQ(ffprobeValue(dir.file("out.wav"), "codec_name"), "pcm_s16le");
}

TEST(CliConvertSettings, MissingSettingsFileIsNamedInTheError)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 4410, 44100, 2);
    const std::string missing = dir.file("nowhere.ini");
    const CommandResult result = convert(dir, missing, "out.wav");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find(missing), std::string::npos) << result.output;
}

} // namespace
