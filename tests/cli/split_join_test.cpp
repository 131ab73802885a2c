// brisklet-cli split and join, run as a separate program on generated files.
#include "testsupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace brisklet::test;

namespace {

const char* wav8kMono = "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n";

std::string cli()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

struct CliFixture : ::testing::Test {
    TempDir dir;
    std::string settings = dir.file("Brisklet.ini");
    std::string out = dir.file("out");

    void SetUp() override { writeFileBytes(settings, wav8kMono); }

    std::string tone(const std::string& name, int64_t seconds)
    {
        std::string path = dir.file(name);
        writeToneWav(path, seconds * 8000, 8000, 1);
        return path;
    }

    // Runs brisklet-cli with stdout captured alone (stderr to a file).
    CommandResult run(const std::string& arguments)
    {
        return runCommand("(" + cli() + " " + arguments + " --settings " + shellQuote(settings) +
                          " 2>" + shellQuote(dir.file("stderr")) + ")");
    }
    std::string errors() { return readFileBytes(dir.file("stderr")); }
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

int64_t frames(const std::string& path)
{
    return static_cast<int64_t>(readPcmFile(path).size());
}

} // namespace

TEST_F(CliFixture, SplitByTimePrintsEachOutput)
{
    std::string source = tone("song.wav", 125);
    CommandResult r = run("split --mode time --seconds 00:01:00 --format wav --out " +
                          shellQuote(out) + " " + shellQuote(source));
    ASSERT_EQ(r.exitCode, 0) << errors();
    std::vector<std::string> outputs = lines(r.output);
    ASSERT_EQ(outputs, (std::vector<std::string>{out + "/song_1.wav", out + "/song_2.wav",
                                                 out + "/song_3.wav"}));
    EXPECT_EQ(frames(outputs[0]), 60 * 8000);
    EXPECT_EQ(frames(outputs[2]), 5 * 8000);
}

TEST_F(CliFixture, CustomSegmentsApplyToEveryFile)
{
    std::string a = tone("a.wav", 10);
    std::string b = tone("b.wav", 8);
    CommandResult r = run("split --segment 1-3 --segment 00:00:05-00:00:06 --format wav --out " +
                          shellQuote(out) + " " + shellQuote(a) + " " + shellQuote(b));
    ASSERT_EQ(r.exitCode, 0) << errors();
    ASSERT_EQ(lines(r.output).size(), 4u);
    EXPECT_EQ(frames(out + "/a_1.wav"), 2 * 8000);
    EXPECT_EQ(frames(out + "/b_2.wav"), 1 * 8000);
}

TEST_F(CliFixture, JoinAppendsTheExtensionAndNeverReplacesAFile)
{
    std::string a = tone("a.wav", 2);
    std::string b = tone("b.wav", 3);
    std::string name = dir.file("mix");
    CommandResult r = run("join --mode time --format wav --output " + shellQuote(name) + " " +
                          shellQuote(a) + " " + shellQuote(b));
    ASSERT_EQ(r.exitCode, 0) << errors();
    EXPECT_EQ(lines(r.output), std::vector<std::string>{name + ".wav"});
    std::vector<float> joined = readPcmFile(name + ".wav");
    std::vector<float> expected = readPcmFile(a);
    std::vector<float> second = readPcmFile(b);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_TRUE(joined == expected);

    uint64_t before = fileChecksum(name + ".wav");
    r = run("join --format wav --output " + shellQuote(name) + " " + shellQuote(a));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(errors().find("not replaced"), std::string::npos) << errors();
    EXPECT_EQ(fileChecksum(name + ".wav"), before);
}

TEST_F(CliFixture, BadOptionsAreUsageErrors)
{
    std::string a = tone("a.wav", 2);
    EXPECT_EQ(run("split --out " + shellQuote(out) + " --segment 5-3 " + shellQuote(a)).exitCode,
              2);
    EXPECT_NE(errors().find("Start-time must not be larger than end-time."), std::string::npos);
    EXPECT_EQ(run("split --out " + shellQuote(out) + " --mode sideways " + shellQuote(a)).exitCode,
              2);
    EXPECT_EQ(run("split --out " + shellQuote(out) + " --fade-in soon " + shellQuote(a)).exitCode,
              2);
    EXPECT_EQ(run("split " + shellQuote(a)).exitCode, 2); // no --out
    EXPECT_EQ(run("join " + shellQuote(a)).exitCode, 2);  // no --output
}

TEST_F(CliFixture, AnUnreadableSourceIsNamedAndSkipped)
{
    std::string a = tone("a.wav", 2);
    std::string junk = dir.file("junk.mp3");
    writeFileBytes(junk, "not audio at all");
    CommandResult r = run("split --format wav --out " + shellQuote(out) + " " + shellQuote(junk) +
                          " " + shellQuote(a));
    // The others are written, yet the status says that not all went in.
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(errors().find("junk.mp3"), std::string::npos) << errors();
    EXPECT_NE(errors().find("1 of 2 sources was refused"), std::string::npos) << errors();
    EXPECT_EQ(lines(r.output), std::vector<std::string>{out + "/a_1.wav"});
}

TEST_F(CliFixture, InterruptStopsLikeStopRemovesThePartialPieceAndSaysSo)
{
    // MP3 at 44.1 kHz from an 8 kHz source: slow enough to be interrupted.
    writeFileBytes(settings, "");
    std::string source = tone("long.wav", 600);
    std::string listing = dir.file("stdout");
    std::string messages = dir.file("stderr");
    // The piece's file appears in the output folder once the job runs (30 s at most).
    const std::string untilWritingStarts = "for i in $(seq 600); do [ -n \"$(ls -A " +
                                           shellQuote(out) +
                                           " 2>/dev/null)\" ] && break; sleep 0.05; done; ";
    CommandResult r =
        runCommand("(" + cli() + " split --mode time --seconds 300 --format mp3 --settings " +
                   shellQuote(settings) + " --out " + shellQuote(out) + " " + shellQuote(source) +
                   " >" + shellQuote(listing) + " 2>" + shellQuote(messages) + " & pid=$!; " +
                   untilWritingStarts + "kill -INT $pid; wait $pid; echo $?)");
    EXPECT_EQ(lines(r.output).back(), "130");
    EXPECT_EQ(readFileBytes(listing), "");
    EXPECT_EQ(readFileBytes(messages), "brisklet-cli: Split stopped: 0 pieces written.\n");
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(CliFixture, ProgressUpdatesInPlaceOnATerminalAndStaysOffStdout)
{
    std::string source = tone("song.wav", 5);
    // One worker: the percentage is then the piece's, and reaches 50 % in each.
    const std::string arguments =
        "split --mode time --seconds 2 --format wav --jobs 1 --settings " + shellQuote(settings) +
        " --out " + shellQuote(out) + " " + shellQuote(source);
    // Under a pseudo terminal stdout and stderr share one screen.
    CommandResult tty =
        runCommand("script -qec " + shellQuote(cli() + " " + arguments) + " /dev/null");
    ASSERT_EQ(tty.exitCode, 0) << tty.output;
    EXPECT_NE(tty.output.find("\r50%"), std::string::npos) << tty.output;
    EXPECT_NE(tty.output.find("\r100%"), std::string::npos) << tty.output;
    // Each output path starts on a blanked line, not after the percentage.
    EXPECT_NE(tty.output.find("\r     \r" + out + "/song_1.wav"), std::string::npos) << tty.output;
    EXPECT_EQ(tty.output.find("\n", tty.output.find("song_1.wav")),
              tty.output.find("song_1.wav") + std::string("song_1.wav").size() + 1);

    // Not a terminal: no progress at all, and stdout holds the paths alone.
    std::filesystem::remove_all(out);
    CommandResult piped = runCommand(cli() + " " + arguments + " 2>" + shellQuote(dir.file("err")));
    ASSERT_EQ(piped.exitCode, 0);
    EXPECT_EQ(lines(piped.output).size(), 3u);
    EXPECT_EQ(readFileBytes(dir.file("err")), "");
}

TEST_F(CliFixture, TwoProgramsWritingOneFolderNeverShareAName)
{
    // Two sources of the same name give pieces of the same names.
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    const std::string a = tone("a/tone.wav", 3);
    const std::string b = tone("b/tone.wav", 4);
    auto both = [&](const std::string& first, const std::string& second) {
        const std::string background = shellQuote(dir.file("first")) + " 2>&1 & ";
        return runCommand("(" + cli() + " " + first + " --settings " + shellQuote(settings) + " >" +
                          background + cli() + " " + second + " --settings " +
                          shellQuote(settings) + " >" + shellQuote(dir.file("second")) +
                          " 2>&1; echo $? >" + shellQuote(dir.file("code")) + "; wait $!)");
    };
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const std::string folder = out + std::to_string(round);
        const std::string split = "split --mode time --seconds 1 --format wav --out ";
        CommandResult r = both(split + shellQuote(folder) + " " + shellQuote(a),
                               split + shellQuote(folder) + " " + shellQuote(b));
        ASSERT_EQ(r.exitCode, 0) << readFileBytes(dir.file("first"));
        ASSERT_EQ(readFileBytes(dir.file("code")), "0\n") << readFileBytes(dir.file("second"));
        std::vector<std::string> named = lines(readFileBytes(dir.file("first")));
        for (const std::string& line : lines(readFileBytes(dir.file("second"))))
            named.push_back(line);
        std::sort(named.begin(), named.end());
        EXPECT_EQ(std::adjacent_find(named.begin(), named.end()), named.end());
        // 4 and 5 pieces (each split ends on an empty one), all kept.
        EXPECT_EQ(named.size(), 9u);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 9);
        int64_t total = 0;
        for (const std::string& piece : named)
            total += frames(piece);
        EXPECT_EQ(total, 7 * 8000);

        // Two joins into one new name: one writes it, the other refuses.
        const std::string name = folder + "/mix";
        const std::string join = "join --format wav --output " + shellQuote(name) + " ";
        r = both(join + shellQuote(a), join + shellQuote(b));
        const std::string codes =
            std::to_string(r.exitCode) + " " + readFileBytes(dir.file("code"));
        EXPECT_TRUE(codes == "0 1\n" || codes == "1 0\n") << codes;
        EXPECT_EQ(frames(name + ".wav"), r.exitCode == 0 ? 3 * 8000 : 4 * 8000);
    }
}

TEST_F(CliFixture, TerminationStopsAConversionAndLeavesNothing)
{
    writeFileBytes(settings, ""); // MP3 at 44.1 kHz: slow enough to be stopped
    const std::string source = tone("long.wav", 600);
    std::filesystem::create_directories(out);
    const std::string started = "ls -A " + shellQuote(out) + " | grep -q brisklet-tmp";
    CommandResult r =
        runCommand("(" + cli() + " convert --settings " + shellQuote(settings) + " " +
                   shellQuote(source) + " " + shellQuote(out + "/long.mp3") + " 2>" +
                   shellQuote(dir.file("stderr")) + " & pid=$!; for i in $(seq 600); do " +
                   started + " && break; sleep 0.05; done; kill -TERM $pid; wait $pid; echo $?)");
    EXPECT_EQ(lines(r.output).back(), "130") << errors();
    EXPECT_NE(errors().find("stopped"), std::string::npos) << errors();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 0);
}

TEST_F(CliFixture, AudioLostToDamageFailsConvertSplitAndJoin)
{
    const std::string source = dir.file("damaged.flac");
    writeDamagedFlac(source, 3);
    const std::string converted = dir.file("converted.wav");
    CommandResult r =
        run("convert --format wav " + shellQuote(source) + " " + shellQuote(converted));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(errors().find(source + ": "), std::string::npos) << errors();
    EXPECT_NE(errors().find("could not be decoded"), std::string::npos) << errors();
    EXPECT_GT(frames(converted), 0); // what could be decoded
    for (const std::string job : {"split --mode time --seconds 2", "join --output joined"}) {
        r = run(job + " --format wav --out " + shellQuote(out) + " " + shellQuote(source));
        EXPECT_EQ(r.exitCode, 1) << job << r.output;
        EXPECT_NE(errors().find("cannot read " + source + ": "), std::string::npos) << errors();
    }
}

TEST_F(CliFixture, ABareSettingsNameIsInTheCurrentFolderAndRefusalsKeepTheirReason)
{
    std::string a = tone("a.wav", 2);
    // Brisklet.ini in the current folder says 8 kHz mono WAV; the configuration
    // folder has none, which would give the 44.1 kHz stereo default.
    const std::string inDir = "cd " + shellQuote(dir.path()) +
                              " && XDG_CONFIG_HOME=" + shellQuote(dir.file("config")) + " " + cli();
    CommandResult r = runCommand(inDir + " split --format wav --settings Brisklet.ini --out " +
                                 shellQuote(out) + " " + shellQuote(a) + " 2>&1");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    int rate = 0;
    EXPECT_EQ(readPcmFile(out + "/a_1.wav", &rate).size(), 2u * 8000u);
    EXPECT_EQ(rate, 8000);

    struct Case {
        std::string arguments;
        std::string message;
    };
    std::filesystem::create_directory(dir.file("folder"));
    for (const Case& c :
         {Case{"split --out out missing.wav", "missing.wav: No such file or directory"},
          Case{"split --out out folder/", "folder/ holds no audio files"},
          Case{"info folder", "folder holds no audio files"},
          Case{"split --settings folder --out out a.wav",
               "cannot read settings file folder: is a folder"},
          Case{"convert --settings none.ini a.wav b.mp3",
               "cannot read settings file none.ini: No such file or directory"}}) {
        CommandResult refused = runCommand(inDir + " " + c.arguments + " 2>&1");
        EXPECT_NE(refused.exitCode, 0);
        EXPECT_NE(refused.output.find(c.message), std::string::npos) << refused.output;
    }
}

// 1.500-3.250 s of a 44.1 kHz source is frames 66150-143325: 77175 frames,
// whether the source is WAV or MP3, split or joined.
TEST_F(CliFixture, MillisecondSegmentsCutExactFrames)
{
    writeFileBytes(settings, "[wav]\nmode=2\nfrequency=7\nchannel=0\nbit=1\n");
    const std::string wav = dir.file("talk.wav");
    writeToneWav(wav, 5 * 44100, 44100, 1);
    const std::string mp3 = dir.file("talk.mp3");
    ASSERT_EQ(runCommand("ffmpeg -loglevel error -i " + shellQuote(wav) + " -c:a libmp3lame " +
                         shellQuote(mp3))
                  .exitCode,
              0);
    for (const std::string& source : {wav, mp3}) {
        SCOPED_TRACE(source);
        std::filesystem::remove_all(out);
        CommandResult r = run("split --segment 1.5-3.25 --segment 00:03.250-0:00:04.5 --format wav "
                              "--out " +
                              shellQuote(out) + " " + shellQuote(source));
        ASSERT_EQ(r.exitCode, 0) << errors();
        const std::vector<std::string> outputs = lines(r.output);
        ASSERT_EQ(outputs.size(), 2u);
        EXPECT_EQ(frames(outputs[0]), 143325 - 66150);
        EXPECT_EQ(frames(outputs[1]), 198450 - 143325);
    }
    const std::string joined = dir.file("joined");
    ASSERT_EQ(run("join --segment 1.5-3.25 --format wav --output " + shellQuote(joined) + " " +
                  shellQuote(wav))
                  .exitCode,
              0)
        << errors();
    EXPECT_EQ(frames(joined + ".wav"), 143325 - 66150);
}

TEST_F(CliFixture, TimeFormsThatAreRefused)
{
    const std::string a = tone("a.wav", 2);
    for (const char* bad :
         {"--segment 1.2345-2", "--segment .5-1", "--segment 1.-2", "--segment 0:60-1:00",
          "--segment 1:2:3:4-5", "--segment 1,5-2", "--segment 2.5-1.5",
          "--mode time --seconds 0.0", "--mode time --seconds 1.2345", "--fade-in 0.5s"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(
            run(std::string("split --out ") + shellQuote(out) + " " + bad + " " + shellQuote(a))
                .exitCode,
            2);
        EXPECT_NE(errors().find(std::string(bad).substr(std::string(bad).rfind(' ') + 1)),
                  std::string::npos)
            << errors();
    }
}

// Piece lengths and fades take the same millisecond forms as segments.
TEST_F(CliFixture, FractionalPieceLengthAndFadeAreHonoured)
{
    const std::string a = tone("a.wav", 5);
    CommandResult r = run("split --mode time --seconds 1.5 --fade-in 0.25 --format wav --out " +
                          shellQuote(out) + " " + shellQuote(a));
    ASSERT_EQ(r.exitCode, 0) << errors();
    const std::vector<std::string> outputs = lines(r.output);
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(frames(outputs[0]), 12000);
    EXPECT_EQ(frames(outputs[3]), 4000);
    // The fade ends at frame 2000 (0.25 s at 8 kHz), not at a whole second.
    const std::vector<float> source = readPcmFile(a);
    const std::vector<float> piece = readPcmFile(outputs[0]);
    float faded = 0;
    float whole = 0;
    for (size_t i = 900; i < 1100; ++i) {
        faded += std::abs(piece[i]);
        whole += std::abs(source[i]);
    }
    EXPECT_LT(faded, whole * 0.75f); // about half way up
    for (size_t i = 2000; i < 2100; ++i)
        ASSERT_NEAR(piece[i], source[i], 1e-3f) << "frame " << i;
}
