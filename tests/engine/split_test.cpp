// The split job through the real component: piece boundaries of every mode,
// exact frame counts, statuses, naming, fades, Stop and the clean end after an
// error.
#include "engine/progress.h"
#include "jobfixture.h"

#include <chrono>
#include <cmath>
#include <filesystem>

using namespace brisklet;
using namespace brisklet::test;
using engine::Mode;

namespace {

int64_t wavFrames(const std::string& path)
{
    int channels = 1;
    std::vector<float> samples = readPcmFile(path, nullptr, &channels);
    return static_cast<int64_t>(samples.size()) / channels;
}

// A tag as ffprobe reads it: a container tag, or a Vorbis comment of the stream.
std::string tagValue(const std::string& path, const std::string& key)
{
    std::string value = ffprobeValue(path, "TAG:" + key);
    if (!value.empty())
        return value;
    std::string out =
        runCommand("ffprobe -v error -select_streams a:0 -show_entries stream_tags=" + key +
                   " -of default=noprint_wrappers=1:nokey=1 " + shellQuote(path))
            .output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace

TEST(SplitJob, ByTimeCutsWholePiecesAndAShortLastOne)
{
    JobFixture f;
    std::string source = f.addTone("a.wav", 125);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 60000;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs, (std::vector<std::string>{f.outFile("a_1.wav"), f.outFile("a_2.wav"),
                                                 f.outFile("a_3.wav")}));
    EXPECT_EQ(wavFrames(outputs[0]), 60 * 8000);
    EXPECT_EQ(wavFrames(outputs[1]), 60 * 8000);
    EXPECT_EQ(wavFrames(outputs[2]), 5 * 8000);
    // Put back together, the pieces are the source, sample for sample.
    std::vector<int> joined;
    for (const std::string& piece : outputs) {
        std::vector<int> part = pcm16(piece);
        joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_TRUE(joined == pcm16(source));
    EXPECT_EQ(f.view.statuses, (std::vector<std::string>{"0 Converting", "0 Finish", "1 Converting",
                                                         "1 Finish", "2 Converting", "2 Finish"}));
    EXPECT_EQ(f.tagged, outputs);
    EXPECT_FALSE(f.state().converting);
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_EQ(f.view.progressWidth(), 0);
}

TEST(SplitJob, ByTimeOnAMultipleWritesAnEmptyLastPieceAndSkipsTheLastPartSecond)
{
    JobFixture f;
    f.addTone("b.wav", 120, 8000, 1, 4000); // 120.5 s
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 60000;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(wavFrames(outputs[0]), 480000);
    EXPECT_EQ(wavFrames(outputs[1]), 480000);
    EXPECT_TRUE(std::filesystem::exists(outputs[2]));
    EXPECT_EQ(wavFrames(outputs[2]), 0);
    EXPECT_EQ(f.view.statuses.back(), "2 Finish");
}

TEST(SplitJob, ByCountCutsEqualPiecesAndDropsTheRest)
{
    JobFixture f;
    f.addTone("c.wav", 125);
    f.state().FunctionChoice = static_cast<int>(Mode::ByCount);
    f.state().splitCount = 6;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 6u);
    for (const std::string& piece : outputs)
        EXPECT_EQ(wavFrames(piece), 20 * 8000) << piece;
    // By count marks "Finish" before the output is closed and tagged.
    EXPECT_EQ(f.view.statuses.front(), "0 Converting");
    EXPECT_EQ(f.view.statuses.back(), "5 Finish");
}

TEST(SplitJob, CustomCutsCommittedSegmentsAndGivesTheOpenOneBack)
{
    JobFixture f;
    std::string source = f.addTone("d.wav", 30);
    f.commitSegment(0, 2, 7);
    f.commitSegment(0, 10, 11);
    ASSERT_EQ(f.entry(0).segmentCount, 3);
    size_t rowsDuringJob = 0;
    f.view.onPump = [&](int) { rowsDuringJob = f.model.segmentRows().size(); };

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(rowsDuringJob, 2u); // the open segment left the list for the job
    EXPECT_EQ(f.entry(0).segmentCount, 3);
    std::vector<int> whole = pcm16(source);
    std::vector<int> first = pcm16(outputs[0]);
    EXPECT_TRUE(first == std::vector<int>(whole.begin() + 2 * 8000, whole.begin() + 7 * 8000));
    EXPECT_EQ(wavFrames(outputs[1]), 8000);
}

TEST(SplitJob, CustomWithOneSegmentMarksItOkFirst)
{
    JobFixture f;
    f.addTone("e.wav", 3);

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(wavFrames(outputs[0]), 3 * 8000);
    EXPECT_EQ(f.view.statuses, (std::vector<std::string>{"0 OK", "0 Converting", "0 Finish"}));
    EXPECT_EQ(f.entry(0).segmentCount, 1);
}

TEST(SplitJob, UnificationClipsToEachSourceAndStopsPastItsEnd)
{
    JobFixture f;
    f.state().FunctionChoice = static_cast<int>(Mode::Unification);
    f.addTone("long.wav", 200);
    f.addTone("short.wav", 150);
    f.commitSegment(0, 10, 12);
    f.commitSegment(0, 100, 200);
    f.commitSegment(0, 160, 161);
    f.model.buildSegmentList();

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 5u);
    EXPECT_EQ(wavFrames(f.outFile("long_2.wav")), 100 * 8000);
    EXPECT_EQ(wavFrames(f.outFile("long_3.wav")), 8000);
    EXPECT_EQ(wavFrames(f.outFile("short_1.wav")), 2 * 8000);
    EXPECT_EQ(wavFrames(f.outFile("short_2.wav")), 50 * 8000);
    EXPECT_FALSE(std::filesystem::exists(f.outFile("short_3.wav")));
    EXPECT_EQ(f.entry(0).segmentCount, 4);
}

TEST(SplitJob, DottedNamesKeepTheirFirstPartAndNeverReplaceAFile)
{
    JobFixture f;
    f.addTone("a.b.c.wav", 4);
    writeFileBytes(f.outFile("a_1.wav"), "keep me");
    f.state().FunctionChoice = static_cast<int>(Mode::ByCount);
    f.state().splitCount = 2;

    std::vector<std::string> outputs = f.split();

    EXPECT_EQ(outputs, (std::vector<std::string>{f.outFile("a_2.wav"), f.outFile("a_3.wav")}));
    EXPECT_EQ(readFileBytes(f.outFile("a_1.wav")), "keep me");
}

TEST(SplitJob, StopRemovesTheInterruptedPieceKeepsTheFinishedOnesAndSaysSo)
{
    JobFixture f;
    f.addTone("s.wav", 20);
    f.addTone("t.wav", 20);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 10000;
    // Pumps: source, piece, one per chunk of 8000 frames (10), piece, chunks:
    // stop two chunks into the second piece.
    f.view.onPump = [&](int pump) {
        if (pump == 15)
            f.model.stopJob();
    };

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs, std::vector<std::string>{f.outFile("s_1.wav")});
    EXPECT_EQ(wavFrames(outputs[0]), 10 * 8000);
    EXPECT_EQ(f.tagged, outputs);
    EXPECT_EQ(f.view.statuses.back(), "1 Unconvert");
    EXPECT_EQ(f.view.stoppedLine(), "Split stopped: 1 piece written.");
    // Nothing else in the folder: no second piece, no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.outDir), {}), 1);
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_EQ(f.view.progressWidth(), 0);
    EXPECT_FALSE(f.state().converting);
}

TEST(SplitJob, FadeInLongerThanThePieceFadesTheWholePieceAndNoMore)
{
    JobFixture f;
    f.addTone("fade.wav", 3);
    f.state().fadeIn = true;
    f.state().fadeInMs = 6000;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 1u);
    std::vector<float> s = readPcmFile(outputs[0]);
    ASSERT_EQ(s.size(), 3u * 8000);
    // A ramp over the whole piece: quiet at the start, louder each second.
    double first = rms(s, 0, 8000), second = rms(s, 8000, 8000), third = rms(s, 16000, 8000);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_GT(third, 0.25); // near the tone's own level (0.35) at the end
}

TEST(SplitJob, FadeOutCoversTheEndOfEachPiece)
{
    JobFixture f;
    f.addTone("out.wav", 8);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 4000;
    f.state().fadeOut = true;
    f.state().fadeOutMs = 2000;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 3u);
    std::vector<float> s = readPcmFile(outputs[0]);
    ASSERT_EQ(s.size(), 4u * 8000);
    EXPECT_GT(rms(s, 0, 8000), 0.3);     // untouched before the fade
    EXPECT_LT(rms(s, 31800, 200), 0.02); // silent at the very end
}

TEST(SplitJob, AFinishedPieceShowsHundredPercentAndAnEmptyBar)
{
    JobFixture f;
    f.addTone("p.wav", 2);
    f.state().skinFlag = false;

    f.split();

    const std::vector<std::string>& texts = f.view.percentTexts;
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "100%");
    EXPECT_EQ(texts.back(), "");
    EXPECT_EQ(f.view.progressWidths.back(), 0);
    EXPECT_NE(std::find(f.view.progressWidths.begin(), f.view.progressWidths.end(), 168),
              f.view.progressWidths.end()); // 50 % of 335 pixels after the first second
}

TEST(ProgressDisplay, WidthFollowsTheValueAndTheSkinFlag)
{
    EXPECT_EQ(engine::progressBarPixels(0, false), 0);
    EXPECT_EQ(engine::progressBarPixels(5000, false), 168);
    EXPECT_EQ(engine::progressBarPixels(10000, false), 0);
    EXPECT_EQ(engine::progressBarPixels(12000, false), std::nullopt);
    EXPECT_EQ(engine::progressBarPixels(12000, true), 402);
    EXPECT_EQ(engine::percentText(9999), "99%");
}

TEST(SplitJob, AnErrorEndsTheJobCleanlyAndGivesTheSegmentsBack)
{
    JobFixture f;
    f.addTone("ok.wav", 4);
    std::string gone = f.addTone("gone.wav", 4);
    f.commitSegment(1, 0, 1);
    std::filesystem::remove(gone);

    EXPECT_THROW(f.split(), audio::AudioError);

    EXPECT_TRUE(std::filesystem::exists(f.outFile("ok_1.wav")));
    EXPECT_FALSE(f.state().converting);
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_EQ(f.view.progressWidth(), 0);
    EXPECT_FALSE(f.reader->IsOpen());
    EXPECT_FALSE(f.writer->IsOpen());
    EXPECT_EQ(f.entry(0).segmentCount, 1);
    EXPECT_EQ(f.entry(1).segmentCount, 2);
    // The window stays usable: with the source back, the next split runs.
    writeToneWav(gone, 4 * 8000, 8000, 1);
    EXPECT_EQ(f.split().size(), 2u);
}

TEST(SplitJob, AnUnwritableOutputFolderFailsOnceWithTheFileNamed)
{
    JobFixture f;
    f.addTone("w.wav", 2);
    f.state().OutputDirectory = f.dir.file("missing") + "/";
    try {
        f.split();
        FAIL() << "no error";
    } catch (const audio::AudioError& error) {
        EXPECT_NE(std::string(error.what()).find("missing"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(f.state().converting);
    EXPECT_FALSE(f.writer->IsOpen());
}

TEST(SplitJob, RefusedWhileConvertingOrEmpty)
{
    JobFixture f;
    EXPECT_TRUE(f.split().empty());
    f.addTone("x.wav", 2);
    f.state().converting = true;
    EXPECT_TRUE(f.split().empty());
    f.state().converting = false;
    f.state().FunctionChoice = 4;
    EXPECT_TRUE(f.split().empty());
    EXPECT_FALSE(f.state().converting);
}

// Pieces in the compressed formats, checked with an independent decoder: each
// holds its segment's length (WMA to its 2048-frame packets, plus one) and the tags.
TEST(SplitJob, CompressedPiecesDecodeToTheirSegmentLength)
{
    JobFixture f("");
    f.addTone("tone.wav", 9, 44100, 1);
    f.model.sources().TagList()[0].Title = "Tone";
    f.model.sources().TagList()[0].Artist = "Engine";
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 4000;

    struct Case {
        audio::OutputFormat format;
        const char* extension;
        int64_t tolerance;
    };
    for (Case c :
         {Case{audio::OutputFormat::Mp3, ".mp3", 0}, Case{audio::OutputFormat::Ogg, ".ogg", 0},
          Case{audio::OutputFormat::Wma, ".wma", 2 * 2048}}) {
        std::vector<std::string> outputs = f.split(c.format);
        ASSERT_EQ(outputs.size(), 3u) << c.extension;
        const int64_t expected[] = {4 * 44100, 4 * 44100, 1 * 44100};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(outputs[k], f.outFile("tone_" + std::to_string(k + 1) + c.extension));
        // A whole piece and the short last one (decoding is slow, so not all).
        for (int k : {0, 2})
            EXPECT_NEAR(decodedFrames(outputs[k]), expected[k], c.tolerance) << outputs[k];
        EXPECT_EQ(tagValue(outputs[0], "title"), "Tone") << c.extension;
        EXPECT_EQ(tagValue(outputs[2], "artist"), "Engine") << c.extension;
    }
}

TEST(SplitJob, ARefusedNameFallsBackToTheSourceNameNumberedAndNeverToTheSource)
{
    JobFixture f;
    // The source lies in the output folder under the name the fallback uses.
    std::string source = f.outFile("s.wav");
    writeToneWav(source, 2 * 8000, 8000, 1);
    f.addSource(source);
    f.entry(0).caption = "Title from the tag";
    uint64_t sourceSum = fileChecksum(source);
    writeFileBytes(f.outFile("s_1.wav"), "keep me");
    ForwardingAudioFile writer(*f.writer);
    writer.refusedWrites.insert(f.outFile("Title from the tag_1.wav"));
    engine::JobParts parts{writer, *f.transform, f.parts.configureWriter, f.parts.carryTags,
                           {},     nullptr};

    std::vector<std::string> outputs = engine::runSplit(f.model, parts, audio::OutputFormat::Wav);

    EXPECT_EQ(outputs, std::vector<std::string>{f.outFile("s_2.wav")});
    EXPECT_EQ(wavFrames(outputs[0]), 2 * 8000);
    EXPECT_EQ(readFileBytes(f.outFile("s_1.wav")), "keep me");
    EXPECT_EQ(fileChecksum(source), sourceSum);
    EXPECT_EQ(writer.writesAsked.count(source), 0u);
}

// A long fade is the same linear ramp, read in chunks of at most a second.
TEST(SplitJob, LongFadesRampExactlyAndAreReadInChunks)
{
    JobFixture f;
    std::string source = f.addTone("ramp.wav", 12);
    f.state().fadeIn = true;
    f.state().fadeInMs = 5000;
    f.state().fadeOut = true;
    f.state().fadeOutMs = 4000;

    std::vector<std::string> outputs = f.split();

    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_LE(f.reader->largestRead, 8000);
    std::vector<float> in = readPcmFile(source);
    std::vector<float> out = readPcmFile(outputs[0]);
    ASSERT_EQ(out.size(), in.size());
    const int64_t fadeIn = 5 * 8000, fadeOutStart = 8 * 8000, length = 12 * 8000;
    for (int64_t i = 0; i < length; ++i) {
        double gain = 1.0;
        if (i < fadeIn)
            gain *= static_cast<double>(i) / (fadeIn - 1);
        if (i >= fadeOutStart)
            gain *= 1.0 - static_cast<double>(i - fadeOutStart) / (length - fadeOutStart - 1);
        // 16-bit output: half a step of rounding either way.
        ASSERT_NEAR(out[i], in[i] * gain, 1.0 / 32768 + 1e-6) << i;
    }
}

TEST(SplitJob, NamesUpToTheLimitAreWrittenAndTagged)
{
    JobFixture f;
    // Piece names of 235 and 255 bytes; "é" takes two.
    for (size_t bytes : {229u, 249u}) {
        f.addTone(std::to_string(bytes) + ".wav", 1);
        const std::string caption = std::string(bytes - 2, 'x') + "é";
        f.entry(f.model.sources().count() - 1).caption = caption;
    }
    f.state().FunctionChoice = static_cast<int>(Mode::ByCount);
    f.state().splitCount = 1;
    // WAV, and Ogg whose tags are rewritten beside it.
    for (audio::OutputFormat format : {audio::OutputFormat::Wav, audio::OutputFormat::Ogg}) {
        std::vector<std::string> outputs = f.split(format);
        ASSERT_EQ(outputs.size(), 2u);
        const std::string extension = audio::extensionOf(format);
        EXPECT_EQ(outputs[0], f.outFile(std::string(227, 'x') + "é_1" + extension));
        EXPECT_EQ(outputs[1], f.outFile(std::string(247, 'x') + "é_1" + extension));
        for (const std::string& output : outputs)
            EXPECT_GT(decodedFrames(output), 0) << output;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.outDir), {}), 4);
}

TEST(SplitJob, OwnLeftoversOlderThanADayAreRemovedFromTheOutputFolder)
{
    JobFixture f;
    f.addTone("tone.wav", 2);
    f.state().FunctionChoice = static_cast<int>(Mode::ByCount);
    f.state().splitCount = 1;
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(25);
    const std::vector<std::string> names = {".a.wav.brisklet-tmp-AbC123", // old leftover
                                            ".b.wav.brisklet-tmp-XyZ789", // fresh: may be in use
                                            "c.wav.brisklet-tmp-AbC123",  // not hidden: the user's
                                            ".d.wav.brisklet-tmp-"};      // no random ending
    for (const std::string& name : names) {
        writeFileBytes(f.outFile(name), "x");
        if (name != names[1])
            std::filesystem::last_write_time(f.outFile(name), old);
    }
    f.split();
    EXPECT_FALSE(std::filesystem::exists(f.outFile(names[0])));
    for (size_t i = 1; i < names.size(); ++i)
        EXPECT_TRUE(std::filesystem::exists(f.outFile(names[i]))) << names[i];
}
