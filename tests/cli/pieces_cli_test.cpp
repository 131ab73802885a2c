// brisklet-cli with pieces found for the user: a cue sheet's titles in names
// and tags, track numbers as independent readers see them, pauses in a dry
// run, bad label files, and the cue sheet a join writes.
#include "tagtestfiles.h"
#include "testsupport.h"

#include <cmath>
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

struct PiecesCli : ::testing::Test {
    TempDir dir;
    std::string settings = dir.file("Brisklet.ini");
    std::string out = dir.file("out");

    void SetUp() override
    {
        writeFileBytes(settings, "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n");
    }

    // 8 kHz mono: tones of the given seconds with a second of quiet between.
    std::string talk(const std::string& name, const std::vector<int>& tones)
    {
        std::vector<float> samples;
        for (size_t t = 0; t < tones.size(); ++t) {
            if (t > 0)
                samples.insert(samples.end(), 8000, 0.0f);
            for (int i = 0; i < tones[t] * 8000; ++i)
                samples.push_back(0.5f * static_cast<float>(std::sin(i * 2 * M_PI * 440 / 8000)));
        }
        writePcmFile(dir.file(name), samples, 8000, 1);
        return dir.file(name);
    }

    CommandResult run(const std::string& arguments)
    {
        return runCommand("(" + cli() + " " + arguments + " --settings " + shellQuote(settings) +
                          " 2>" + shellQuote(dir.file("stderr")) + ")");
    }
    std::string errors() { return readFileBytes(dir.file("stderr")); }
};

} // namespace

TEST_F(PiecesCli, CueTitlesNameAndTagPiecesWithTrackNumbers)
{
    const std::string source = talk("Mr. Brown feat. X.wav", {4, 4, 4});
    writeFileBytes(dir.file("album.cue"), "PERFORMER \"Band\"\nTITLE \"Album\"\n"
                                          "FILE \"Mr. Brown feat. X.wav\" WAVE\n"
                                          "TRACK 01 AUDIO\nTITLE \"One\"\nINDEX 01 00:00:00\n"
                                          "TRACK 02 AUDIO\nTITLE \"Two\"\nINDEX 01 00:05:00\n"
                                          "TRACK 03 AUDIO\nTITLE \"Three\"\nPERFORMER \"Guest\"\n"
                                          "INDEX 01 00:10:00\n");
    const struct {
        const char* format;
        std::function<std::string(const std::string&)> track;
        std::string expected;
    } formats[] = {
        {"mp3", [](const std::string& p) { return runMutagen(p, "print(id3.ID3(p)['TRCK'])"); },
         "2/3"},
        {"ogg", [](const std::string& p) { return vorbisCommentList(p); },
         "Title=Two\nArtist=Band\nAlbum=Album\nTrackNumber=2/3"},
        {"wma", [](const std::string& p) { return ffprobeValue(p, "TAG:track"); }, "2"},
    };
    for (const auto& f : formats) {
        const std::string folder = out + "-" + f.format;
        CommandResult result =
            run("split --format " + std::string(f.format) + " --cue " +
                shellQuote(dir.file("album.cue")) + " --name '{n:02} {title} ({artist})'" +
                " --track-numbers --out " + shellQuote(folder) + " " + shellQuote(source));
        ASSERT_EQ(result.exitCode, 0) << errors();
        const std::string ext = std::string(".") + f.format;
        EXPECT_EQ(result.output, folder + "/01 One (Band)" + ext + "\n" + folder +
                                     "/02 Two (Band)" + ext + "\n" + folder + "/03 Three (Guest)" +
                                     ext + "\n");
        EXPECT_EQ(f.track(folder + "/02 Two (Band)" + ext), f.expected) << f.format;
    }
    // Without the options: the names the program always gave, no track.
    ASSERT_EQ(
        run("split --format mp3 --segment 0-4 --out " + shellQuote(out) + " " + shellQuote(source))
            .exitCode,
        0);
    EXPECT_EQ(runMutagen(out + "/Mr_1.mp3", "print(id3.ID3(p).get('TRCK', ''))"), "");
}

TEST_F(PiecesCli, DryRunPrintsPausedPiecesAndWritesNothing)
{
    const std::string source = talk("talk.wav", {3, 3, 3});
    CommandResult result = run("split --format wav --silence -40:0.5:2 --dry-run --out " +
                               shellQuote(out) + " " + shellQuote(source));
    ASSERT_EQ(result.exitCode, 0) << errors();
    // Cut mid-pause at 3.5 s and 7.5 s.
    EXPECT_EQ(result.output, "00:00:00.000  00:00:03.500  00:00:03.500  " + out + "/talk_1.wav\n" +
                                 "00:00:03.500  00:00:07.500  00:00:04.000  " + out +
                                 "/talk_2.wav\n" + "00:00:07.500  00:00:11.000  00:00:03.500  " +
                                 out + "/talk_3.wav\n");
    EXPECT_TRUE(std::filesystem::is_empty(out));

    writeFileBytes(dir.file("labels.txt"), "0\t2\ta\n3\t1\tb\n");
    result = run("split --labels " + shellQuote(dir.file("labels.txt")) + " --out " +
                 shellQuote(out) + " " + shellQuote(source));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(errors(), "brisklet-cli: " + dir.file("labels.txt") +
                            ", line 2: the label ends before it starts\n");
    EXPECT_EQ(run("split --silence --cue x.cue --out " + shellQuote(out) + " " + shellQuote(source))
                  .exitCode,
              2);
}

TEST_F(PiecesCli, JoinWritesACueSheetBesideItsOutput)
{
    const std::string a = talk("a.wav", {5});
    const std::string b = talk("b.wav", {3});
    CommandResult result =
        run("join --mode time --format wav --write-cue --output " + shellQuote(dir.file("mix")) +
            " " + shellQuote(a) + " " + shellQuote(b));
    ASSERT_EQ(result.exitCode, 0) << errors();
    EXPECT_EQ(result.output, dir.file("mix.wav") + "\n" + dir.file("mix.cue") + "\n");
    const std::string cue = readFileBytes(dir.file("mix.cue"));
    EXPECT_NE(cue.find("FILE \"mix.wav\" WAVE"), std::string::npos) << cue;
    EXPECT_NE(cue.find("TRACK 02 AUDIO\n    TITLE \"b.wav\"\n    INDEX 01 00:05:00"),
              std::string::npos)
        << cue;
}
