// brisklet-cli split and join with --format copy and --verify: copies where
// the source allows, the nearest format where not, said on stderr.
#include "testsupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace brisklet::test;

namespace {

std::string cli()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

struct LosslessCli : ::testing::Test {
    TempDir dir;
    std::string out = dir.file("out");

    std::string encoded(const std::string& name, const std::string& options)
    {
        const std::string wav = dir.file(name + ".source.wav");
        writeToneWav(wav, 3 * 44100, 44100, 2);
        const std::string path = dir.file(name);
        runCommand("ffmpeg -v error -nostdin -i " + shellQuote(wav) + " " + options + " " +
                   shellQuote(path));
        return path;
    }
    CommandResult run(const std::string& arguments)
    {
        std::filesystem::create_directories(out);
        const std::string settings = dir.file("Brisklet.ini");
        writeFileBytes(settings, "");
        return runCommand("(" + cli() + " " + arguments + " --settings " + shellQuote(settings) +
                          " 2>" + shellQuote(dir.file("stderr")) + ")");
    }
    std::string errors() { return readFileBytes(dir.file("stderr")); }
};

TEST_F(LosslessCli, SplitCopiesMp3AndWavAndEncodesMp2AsMp3SayingSo)
{
    const std::string mp3 = encoded("a.mp3", "-c:a libmp3lame -b:a 128k");
    const std::string mp2 = encoded("b.mp2", "-c:a mp2");
    const std::string wav = dir.file("c.wav");
    writeToneWav(wav, 3 * 44100, 44100, 2);
    const CommandResult result =
        run("split --mode time --seconds 1 --format copy --verify --out " + shellQuote(out) + " " +
            shellQuote(mp3) + " " + shellQuote(mp2) + " " + shellQuote(wav));
    ASSERT_EQ(result.exitCode, 0) << errors();
    EXPECT_EQ(ffprobeValue(out + "/a_2.mp3", "codec_name"), "mp3");
    EXPECT_EQ(decodeWithFfmpeg(out + "/a_2.mp3").frames(), 44100);
    EXPECT_NE(errors().find(out + "/b_1.mp3: encoded as MP3: MPEG layer II"), std::string::npos)
        << errors();
    EXPECT_EQ(errors().find("a_"), std::string::npos) << errors();
    const std::vector<float> source = readPcmFile(wav);
    EXPECT_EQ(readPcmFile(out + "/c_2.wav"),
              std::vector<float>(source.begin() + 2 * 44100, source.begin() + 4 * 44100));
}

TEST_F(LosslessCli, AFadeIsEncodedInTheSourcesFormat)
{
    const std::string mp3 = encoded("a.mp3", "-c:a libmp3lame -b:a 128k");
    const CommandResult result =
        run("split --mode time --seconds 2 --format copy --fade-in 1 --out " + shellQuote(out) +
            " " + shellQuote(mp3));
    ASSERT_EQ(result.exitCode, 0) << errors();
    EXPECT_NE(errors().find("a_1.mp3: encoded as MP3: a fade"), std::string::npos) << errors();
}

TEST_F(LosslessCli, JoinCopiesWavOfOneLayoutAndEncodesAMixInTheFirstSourcesFormat)
{
    const std::string first = dir.file("first.wav");
    const std::string second = dir.file("second.wav");
    writeToneWav(first, 44100, 44100, 2);
    writeToneWav(second, 2 * 44100 + 5, 44100, 2);
    ASSERT_EQ(run("join --mode time --format copy --verify --output " +
                  shellQuote(dir.file("joined")) + " " + shellQuote(first) + " " +
                  shellQuote(second))
                  .exitCode,
              0)
        << errors();
    std::vector<float> expected = readPcmFile(first);
    const std::vector<float> tail = readPcmFile(second);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(readPcmFile(dir.file("joined.wav")), expected);
    EXPECT_EQ(errors(), "");

    const std::string mp3 = encoded("a.mp3", "-c:a libmp3lame -b:a 128k");
    ASSERT_EQ(run("join --mode time --format copy --output " + shellQuote(dir.file("mixed")) + " " +
                  shellQuote(first) + " " + shellQuote(mp3))
                  .exitCode,
              0)
        << errors();
    EXPECT_NE(errors().find("mixed.wav: encoded as WAV: a join of sources that are not all PCM "
                            "WAV or FLAC"),
              std::string::npos)
        << errors();
}

} // namespace
