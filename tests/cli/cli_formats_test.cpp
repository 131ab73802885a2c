// brisklet-cli info and convert on every source format (made by ffmpeg and sox,
// not by the program) into every output format.
#include "testsupport.h"

#include "audio/audiofile.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using namespace brisklet::test;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = 44100 + 321; // about one second, not whole codec frames

CommandResult runCli(const std::string& arguments)
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return runCommand(shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli") + " " +
                      arguments);
}

struct Source {
    const char* name;
    int rate;
    int channels;
    int64_t frames;    // what a full decode gives
    int64_t tolerance; // frames: whole codec frames where the format has no gapless length
};

// Every source format, written from the same tone by the independent tools.
std::vector<Source> makeSources(const TempDir& dir)
{
    const std::string wav = dir.file("in.wav");
    writeToneWav(wav, kFrames, kRate, 2);
    writeToneWav(dir.file("voice.wav"), 8000, 8000, 1);
    const std::string ffmpeg = "ffmpeg -v error -i " + shellQuote(wav) + " ";
    for (const std::string& command :
         {ffmpeg + "-c:a libmp3lame -b:a 128k " + shellQuote(dir.file("in.mp3")),
          ffmpeg + "-c:a mp2 -b:a 192k " + shellQuote(dir.file("in.mp2")),
          ffmpeg + "-c:a libvorbis " + shellQuote(dir.file("in.ogg")),
          ffmpeg + "-c:a wmav2 -b:a 128k " + shellQuote(dir.file("in.wma")),
          ffmpeg + "-c:a aac -movie_timescale 44100 " + shellQuote(dir.file("in.m4a")),
          "opusenc --quiet " + shellQuote(wav) + " " + shellQuote(dir.file("in.opus")),
          "sox " + shellQuote(wav) + " " + shellQuote(dir.file("in.flac")),
          "sox " + shellQuote(wav) + " -t raw -e signed -b 16 -L " + shellQuote(dir.file("in.raw")),
          "sox " + shellQuote(dir.file("voice.wav")) + " -e oki-adpcm " +
              shellQuote(dir.file("in.vox"))}) {
        CommandResult made = runCommand(command);
        EXPECT_EQ(made.exitCode, 0) << command << "\n" << made.output;
    }
    return {
        {"in.wav", kRate, 2, kFrames, 0},
        {"in.flac", kRate, 2, kFrames, 0},
        {"in.raw", kRate, 2, kFrames, 0},
        {"in.mp3", kRate, 2, kFrames, 0},
        {"in.ogg", kRate, 2, kFrames, 0},
        {"in.mp2", kRate, 2, kFrames, 2 * 1152},
        {"in.wma", kRate, 2, kFrames, 2 * 2048},
        {"in.vox", 8000, 1, 8000, 0},
        {"in.m4a", kRate, 2, kFrames, 0},
        // opusenc converts to 48 kHz itself: the length is the converted one.
        {"in.opus", 48000, 2, (kFrames * 48000 + kRate - 1) / kRate, 0},
    };
}

// The frames=N value of an info line.
int64_t framesOf(const std::string& line)
{
    size_t at = line.find("\tframes=");
    return at == std::string::npos ? -1 : std::atoll(line.c_str() + at + 8);
}

} // namespace

// The sources are made once for the suite: making them takes most of the time.
class CliFormats : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        sources = makeSources(*dir);
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static TempDir* dir;
    static std::vector<Source> sources;
};

TempDir* CliFormats::dir = nullptr;
std::vector<Source> CliFormats::sources;

TEST_F(CliFormats, InfoReadsEverySourceFormat)
{
    std::string arguments = "info";
    for (const Source& s : sources)
        arguments += " " + shellQuote(dir->file(s.name));
    CommandResult result = runCli(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (const Source& s : sources) {
        SCOPED_TRACE(s.name);
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        const int64_t frames = framesOf(line);
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(s.frames),
                    static_cast<double>(s.tolerance));
        const auto ms = static_cast<int64_t>(std::llround(frames * 1000.0 / s.rate));
        EXPECT_EQ(line, dir->file(s.name) + "\tframes=" + std::to_string(frames) +
                            "\tms=" + std::to_string(ms) + "\trate=" + std::to_string(s.rate) +
                            "\tchannels=" + std::to_string(s.channels));
    }
}

// Each source into one output format, taking the six in turn, so that every
// source and every output is covered (WAV into each output: cli_test.cpp).
TEST_F(CliFormats, ConvertWritesFromEverySourceIntoEveryOutputFormat)
{
    const char* const outputs[] = {"mp3", "wav", "wma", "ogg", "flac", "opus"};
    for (size_t i = 0; i < sources.size(); ++i) {
        const Source& s = sources[i];
        const char* format = outputs[i % std::size(outputs)];
        SCOPED_TRACE(std::string(s.name) + " -> " + format);
        const std::string out = dir->file(std::string(s.name) + "." + format);
        CommandResult result =
            runCli("convert " + shellQuote(dir->file(s.name)) + " " + shellQuote(out));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.output, "");
        // Read back in-process (ffmpeg checks every output format in cli_test.cpp).
        auto reader = brisklet::audio::createAudioFile();
        reader->OpenRead(out);
        ASSERT_GT(reader->SampleRate(), 0);
        // The length survives within two of the output's codec frames (WMA: 2048).
        const double seconds = static_cast<double>(s.frames) / s.rate;
        EXPECT_NEAR(static_cast<double>(reader->TotalFrames()) / reader->SampleRate(), seconds,
                    (2 * 2048.0 + static_cast<double>(s.tolerance)) / s.rate);
        // Not silence: the tone came through.
        double energy = 0;
        int64_t samples = 0;
        for (auto block = reader->ReadFrames(8192); !block.empty();
             block = reader->ReadFrames(8192)) {
            for (float v : block.samples())
                energy += static_cast<double>(v) * v;
            samples += block.sampleCount();
        }
        EXPECT_EQ(samples, reader->TotalFrames() * reader->Channels());
        EXPECT_GT(energy / static_cast<double>(samples), 0.01);
    }
}
