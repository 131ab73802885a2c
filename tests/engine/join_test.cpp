// The join job through the real component: whole sources, segments, mixed
// rates, fades over the whole output, naming, replacing, Stop and errors.
#include "jobfixture.h"

#include <cmath>
#include <filesystem>

using namespace brisklet;
using namespace brisklet::test;
using engine::Mode;

namespace {

const char* wav44kMono = "[wav]\nmode=2\nfrequency=7\nchannel=0\nbit=1\n";

struct JoinFixture : JobFixture {
    using JobFixture::JobFixture;
    RecordingDialogs dialogs;
    audio::OutputFormat format = audio::OutputFormat::Wav;

    std::string join(const std::string& name = "joined",
                     audio::OutputFormat type = audio::OutputFormat::Wav)
    {
        dialogs.answer = engine::SaveChoice{outFile(name), type};
        return engine::runJoin(model, parts, dialogs, format);
    }
};

} // namespace

TEST(JoinJob, PiecesOfASplitJoinBackIntoTheSource)
{
    JobFixture splitter;
    std::string source = splitter.addTone("src.wav", 25, 8000, 1, 1232); // 25.154 s
    splitter.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    splitter.state().splitMs = 7000;
    std::vector<std::string> pieces = splitter.split();
    ASSERT_EQ(pieces.size(), 4u);

    JoinFixture f;
    for (const std::string& piece : pieces)
        f.addSource(piece);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    std::string output = f.join();

    EXPECT_EQ(output, f.outFile("joined.wav"));
    std::vector<int> whole = pcm16(source);
    whole.resize(25 * 8000); // a split never writes the part second at the end
    EXPECT_TRUE(pcm16(output) == whole);
    EXPECT_EQ(f.dialogs.openedFolders, std::vector<std::string>{f.outDir});
    EXPECT_FALSE(f.state().converting);
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_EQ(f.view.segmentRows().at(0).status, "Finish");
}

TEST(JoinJob, SecondSourceAtHalfTheRateIsConvertedAndCountedHalved)
{
    JoinFixture f(wav44kMono);
    f.addTone("first.wav", 2, 44100, 1);
    f.addTone("second.wav", 2, 22050, 1);
    f.state().FunctionChoice = static_cast<int>(Mode::ByCount);

    std::string output = f.join();

    int rate = 0;
    std::vector<float> s = readPcmFile(output, &rate);
    EXPECT_EQ(rate, 44100);
    EXPECT_NEAR(static_cast<double>(s.size()), 4 * 44100.0, 64);
    // The progress of the second source counts its own frames: it ends at 100 %.
    EXPECT_NE(std::find(f.view.percentTexts.begin(), f.view.percentTexts.end(), "100%"),
              f.view.percentTexts.end());
    EXPECT_GT(rms(s, 3 * 44100, 22050), 0.3); // the second source is audible at its level
}

TEST(JoinJob, NameGetsTheExtensionAppendedAndTheDialogSetsTheFormat)
{
    JoinFixture f;
    f.addTone("n.wav", 1);
    f.format = audio::OutputFormat::Mp3;
    EXPECT_EQ(f.join("mix.wav", audio::OutputFormat::Wav), f.outFile("mix.wav.wav"));
    EXPECT_EQ(f.format, audio::OutputFormat::Wav);
    EXPECT_EQ(f.dialogs.askedFilters, std::vector{audio::OutputFormat::Mp3});
    EXPECT_EQ(f.join("mix", audio::OutputFormat::Wav), f.outFile("mix.wav"));
    EXPECT_TRUE(f.dialogs.replaceQuestions.empty());
}

TEST(JoinJob, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo)
{
    JoinFixture f;
    f.addTone("r.wav", 1);
    writeFileBytes(f.outFile("mix.wav"), "old");

    f.dialogs.replaceAnswer = false;
    EXPECT_EQ(f.join("mix"), "");
    EXPECT_EQ(f.dialogs.replaceQuestions, std::vector<std::string>{f.outFile("mix.wav")});
    EXPECT_EQ(readFileBytes(f.outFile("mix.wav")), "old");
    EXPECT_TRUE(f.dialogs.openedFolders.empty());
    EXPECT_FALSE(f.state().converting);

    f.dialogs.replaceAnswer = true;
    EXPECT_EQ(f.join("mix"), f.outFile("mix.wav"));
    EXPECT_EQ(readPcmFile(f.outFile("mix.wav")).size(), 8000u);
}

TEST(JoinJob, CancelAndEmptyListRunNothing)
{
    JoinFixture f;
    audio::OutputFormat format = audio::OutputFormat::Wav;
    EXPECT_EQ(engine::runJoin(f.model, f.parts, f.dialogs, format), "");
    EXPECT_TRUE(f.dialogs.askedFolders.empty()); // no dialog for an empty list
    f.addTone("c.wav", 1);
    f.dialogs.answer.reset();
    EXPECT_EQ(engine::runJoin(f.model, f.parts, f.dialogs, format), "");
    EXPECT_EQ(f.dialogs.askedFolders.size(), 1u);
    EXPECT_TRUE(f.dialogs.openedFolders.empty());
}

TEST(JoinJob, CustomTakesCommittedSegmentsOrTheOnlyOne)
{
    JoinFixture f;
    std::string a = f.addTone("a.wav", 10);
    f.addTone("b.wav", 3);
    f.commitSegment(0, 1, 3);
    f.commitSegment(0, 5, 6);

    std::string output = f.join();

    std::vector<int> joined = pcm16(output);
    ASSERT_EQ(joined.size(), (2u + 1u + 3u) * 8000u);
    std::vector<int> source = pcm16(a);
    EXPECT_TRUE(std::equal(joined.begin(), joined.begin() + 16000, source.begin() + 8000));
    EXPECT_EQ(f.entry(0).segmentCount, 3);
}

TEST(JoinJob, UnificationReadsASegmentToTheEndOfAShorterSource)
{
    JoinFixture f;
    f.state().FunctionChoice = static_cast<int>(Mode::Unification);
    f.addTone("long.wav", 200);
    f.addTone("short.wav", 150);
    f.commitSegment(0, 100, 200);
    f.commitSegment(0, 160, 161);

    std::string output = f.join();

    // 100 + 1 seconds from the first, 50 from the second (nothing past its end).
    EXPECT_EQ(readPcmFile(output).size(), 151u * 8000u);
}

TEST(JoinJob, FadeInOnlyAtTheStartAndFadeOutOverTheEndOfTheOutput)
{
    JoinFixture f;
    f.addTone("x.wav", 4);
    f.addTone("y.wav", 4);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().fadeIn = true;
    f.state().fadeInMs = 1000;
    f.state().fadeOut = true;
    f.state().fadeOutMs = 2000;

    std::vector<float> s = readPcmFile(f.join());

    ASSERT_EQ(s.size(), 8u * 8000u);
    EXPECT_LT(rms(s, 0, 400), 0.05);              // fading in
    EXPECT_GT(rms(s, 8000, 8000), 0.3);           // full level after the first second
    EXPECT_GT(rms(s, 4 * 8000, 2000), 0.3);       // the second source does not fade in
    EXPECT_LT(rms(s, 8 * 8000 - 200, 200), 0.02); // silent at the very end
    EXPECT_LT(rms(s, 7 * 8000, 8000), rms(s, 6 * 8000, 8000));
}

TEST(JoinJob, TheFadeOutBeginsWhereTheOutputHasItsLengthLeftWhateverTheSourceRates)
{
    JoinFixture f(wav44kMono);
    std::string first = f.addTone("first.wav", 2, 44100, 1);
    f.addTone("second.wav", 2, 22050, 1);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().fadeOut = true;
    f.state().fadeOutMs = 3000;

    std::vector<float> s = readPcmFile(f.join());

    // Four seconds out, three of them fading: the first second is untouched.
    ASSERT_NEAR(static_cast<double>(s.size()), 4 * 44100.0, 64);
    const std::vector<float> source = readPcmFile(first);
    EXPECT_NEAR(rms(s, 0, 44000), rms(source, 0, 44000), 0.002);
    EXPECT_LT(rms(s, 2 * 44100, 22050), 0.8 * rms(source, 0, 22050));
}

TEST(JoinJob, ASourceShorterThanASecondIsJoinedWithItsFadeIgnored)
{
    JoinFixture f;
    std::string tiny = f.dir.file("tiny.wav");
    writeToneWav(tiny, 4000, 8000, 1);
    ASSERT_EQ(f.model.addSource(tiny, engine::AddOrigin::Folder), "");
    f.model.finishAdding();
    f.addTone("after.wav", 1);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().fadeIn = true;

    std::vector<float> s = readPcmFile(f.join());

    EXPECT_EQ(s.size(), 12000u);
}

// A stopped or failed join leaves the file the user agreed to replace as it was.
TEST(JoinJob, StopOrAnErrorDropsTheOutputAndKeepsTheReplacedFile)
{
    JoinFixture f;
    f.addTone("s1.wav", 10);
    std::string second = f.addTone("s2.wav", 10);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    const std::string old = f.outFile("joined.wav");
    writeFileBytes(old, "old");
    f.dialogs.replaceAnswer = true;
    f.view.onPump = [&](int pump) {
        if (pump == 4)
            f.model.stopJob();
    };

    EXPECT_EQ(f.join(), "");
    EXPECT_EQ(readFileBytes(old), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.outDir), {}), 1);
    EXPECT_EQ(f.view.stoppedLine(), "Join stopped: nothing written.");
    EXPECT_EQ(f.view.segmentRows().at(0).status, "Unconvert");
    EXPECT_EQ(f.dialogs.openedFolders.size(), 1u);
    EXPECT_FALSE(f.state().converting);
    EXPECT_FALSE(f.writer->IsOpen());

    f.view.onPump = nullptr;
    std::filesystem::remove(second);
    EXPECT_THROW(f.join(), audio::AudioError);
    EXPECT_EQ(readFileBytes(old), "old");
    EXPECT_FALSE(f.state().converting);
    EXPECT_FALSE(f.reader->IsOpen());
    EXPECT_FALSE(f.writer->IsOpen());
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_EQ(f.dialogs.openedFolders.size(), 1u);
}

TEST(JoinJob, AFadeInLongerThanTheFirstSegmentFadesThatSegmentOnly)
{
    JoinFixture f;
    f.addTone("a.wav", 10);
    f.addTone("b.wav", 2);
    f.commitSegment(0, 4, 6);
    f.state().fadeIn = true;
    f.state().fadeInMs = 6000;

    std::vector<float> s = readPcmFile(f.join());

    // Exactly the 2 s segment and the 2 s source: the fade-in read nothing more.
    ASSERT_EQ(s.size(), 4u * 8000u);
    EXPECT_LT(rms(s, 0, 800), 0.05);
    EXPECT_LT(rms(s, 0, 8000), rms(s, 8000, 8000));
    EXPECT_GT(rms(s, 2 * 8000, 8000), 0.3); // the second source is not faded
}

TEST(JoinJob, ALongFadeInRampsOverItsLengthInChunks)
{
    JoinFixture f;
    std::string first = f.addTone("first.wav", 8);
    f.addTone("second.wav", 2);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().fadeIn = true;
    f.state().fadeInMs = 3000;

    std::vector<float> out = readPcmFile(f.join());

    EXPECT_LE(f.reader->largestRead, 8000);
    std::vector<float> in = readPcmFile(first);
    ASSERT_EQ(out.size(), 10u * 8000u);
    const double span = 3 * 8000;
    for (size_t i = 0; i < in.size(); ++i) {
        const double gain = std::min(1.0, static_cast<double>(i) / span);
        // One level may repeat where two chunks meet; 16-bit rounding.
        ASSERT_NEAR(out[i], in[i] * gain, 2.0 / span + 1.0 / 32768) << i;
    }
}

// A stopped join leaves no output, so none of its rows may say "Finish",
// whether it encodes or copies.
TEST(JoinJob, StopLeavesNoFinishedRowAndNoOutput)
{
    for (bool lossless : {false, true}) {
        SCOPED_TRACE(lossless ? "copied" : "encoded");
        JoinFixture f;
        f.addTone("s1.wav", 6);
        f.commitSegment(0, 0, 1);
        f.commitSegment(0, 2, 5);
        f.parts.options.lossless = lossless;
        f.view.onPump = [&](int) {
            if (!f.view.segmentRows().empty() && f.view.segmentRows().at(0).status == "Finish")
                f.model.stopJob();
        };

        EXPECT_EQ(f.join(), "");
        EXPECT_TRUE(std::filesystem::is_empty(f.outDir));
        EXPECT_EQ(f.view.stoppedLine(), "Join stopped: nothing written.");
        for (const auto& row : f.view.segmentRows())
            EXPECT_NE(row.status, "Finish");
    }
}

// A copied join takes the segments' own frames, at millisecond times.
TEST(JoinJob, LosslessCustomJoinCopiesTheSegmentsFrames)
{
    JoinFixture f;
    const std::string source = f.addTone("s1.wav", 6);
    f.commitSegmentMs(0, 1500, 3250);
    f.parts.options.lossless = true;
    const std::string output = f.join();
    ASSERT_EQ(output, f.outFile("joined.wav"));
    const std::vector<int> whole = pcm16(source);
    EXPECT_TRUE(pcm16(output) == std::vector<int>(whole.begin() + 12000, whole.begin() + 26000));
}
