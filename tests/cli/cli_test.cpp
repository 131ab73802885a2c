// brisklet-cli run as a program: the info lines, convert, and its errors.
#include "testsupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace brisklet::test;

namespace {

std::string cli()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

CommandResult runCli(const std::string& arguments)
{
    return runCommand(cli() + " " + arguments);
}

} // namespace

TEST(CliInfo, PrintsOneTabSeparatedLinePerFile)
{
    TempDir dir;
    writeToneWav(dir.file("a.wav"), 44100 * 2 + 10, 44100, 2);
    writeToneWav(dir.file("b.wav"), 8000, 8000, 1);
    CommandResult result =
        runCli("info " + shellQuote(dir.file("a.wav")) + " " + shellQuote(dir.file("b.wav")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output,
              dir.file("a.wav") + "\tframes=88210\tms=2000\trate=44100\tchannels=2\n" +
                  dir.file("b.wav") + "\tframes=8000\tms=1000\trate=8000\tchannels=1\n");
}

TEST(CliInfo, ABadFileIsReportedAndTheOthersStillListed)
{
    TempDir dir;
    writeFileBytes(dir.file("bad.mp3"), "not audio at all");
    writeToneWav(dir.file("good.wav"), 4410, 44100, 2);
    CommandResult result =
        runCli("info " + shellQuote(dir.file("bad.mp3")) + " " + shellQuote(dir.file("good.wav")));
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find(dir.file("bad.mp3") + " is not a supported audio file"),
              std::string::npos);
    EXPECT_NE(result.output.find(dir.file("good.wav") + "\tframes=4410"), std::string::npos);
}

TEST(CliConvert, WritesEachFormatByExtensionOrByOption)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 44100, 44100, 2);
    for (const char* out : {"o.mp3", "o.ogg", "o.wma", "o.wav"}) {
        SCOPED_TRACE(out);
        CommandResult result =
            runCli("convert " + shellQuote(dir.file("in.wav")) + " " + shellQuote(dir.file(out)));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        DecodedAudio decoded = decodeWithFfmpeg(dir.file(out));
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_NEAR(static_cast<double>(decoded.frames()), 44100.0, 2 * 2048);
    }
    EXPECT_EQ(ffprobeValue(dir.file("o.mp3"), "codec_name"), "mp3");
    EXPECT_EQ(ffprobeValue(dir.file("o.ogg"), "codec_name"), "vorbis");
    EXPECT_EQ(ffprobeValue(dir.file("o.wma"), "codec_name"), "wmav2");
    // WAV to WAV keeps the samples.
    EXPECT_EQ(readPcmFile(dir.file("o.wav")), readPcmFile(dir.file("in.wav")));

    ASSERT_EQ(runCli("convert --format ogg " + shellQuote(dir.file("in.wav")) + " " +
                     shellQuote(dir.file("o.data")))
                  .exitCode,
              0);
    EXPECT_EQ(ffprobeValue(dir.file("o.data"), "codec_name"), "vorbis");
}

TEST(CliConvert, RefusesBadArgumentsAndNeverOverwritesUnasked)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 4410, 44100, 2);
    writeToneWav(dir.file("old.wav"), 100, 44100, 2);
    const uint64_t old = fileChecksum(dir.file("old.wav"));
    const std::string in = shellQuote(dir.file("in.wav"));

    CommandResult exists = runCli("convert " + in + " " + shellQuote(dir.file("old.wav")));
    EXPECT_NE(exists.exitCode, 0);
    EXPECT_NE(exists.output.find("exists"), std::string::npos);
    EXPECT_EQ(fileChecksum(dir.file("old.wav")), old);
    EXPECT_EQ(runCli("convert --overwrite " + in + " " + shellQuote(dir.file("old.wav"))).exitCode,
              0);
    EXPECT_NE(fileChecksum(dir.file("old.wav")), old);

    EXPECT_EQ(runCli("convert " + in + " " + shellQuote(dir.file("x.abc"))).exitCode, 2);
    EXPECT_EQ(runCli("convert --format aiff " + in + " " + shellQuote(dir.file("x.wav"))).exitCode,
              2);
    EXPECT_EQ(runCli("convert " + in).exitCode, 2);
    EXPECT_EQ(runCli("nosuchcommand").exitCode, 2);

    CommandResult missing = runCli("convert " + shellQuote(dir.file("missing.wav")) + " " +
                                   shellQuote(dir.file("y.wav")));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot open " + dir.file("missing.wav")), std::string::npos);
}
