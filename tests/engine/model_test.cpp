// The job model through a headless view: adding, refusing, moving, removing and
// clearing sources, and the segment commands, on real generated audio.
#include "engine/headlessview.h"
#include "engine/jobmodel.h"

#include "testsupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::engine;

namespace {

constexpr int rate = 8000;

class ModelTest : public ::testing::Test {
protected:
    std::string tone(const std::string& name, double seconds)
    {
        std::string path = dir.file(name);
        test::writeToneWav(path, static_cast<int64_t>(seconds * rate), rate, 1);
        return path;
    }
    void add(const std::string& path, AddOrigin origin = AddOrigin::Dialog)
    {
        ASSERT_EQ(model.addSource(path, origin), "") << path;
    }
    // Rows, entries and tag records agree in count and order.
    void expectParallel()
    {
        const auto& entries = model.sources().entries();
        ASSERT_EQ(view.sourceRows().size(), entries.size());
        ASSERT_EQ(model.sources().TagList().size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(view.sourceRows()[i].caption, entries[i].caption);
    }
    std::vector<std::string> captions() const
    {
        std::vector<std::string> out;
        for (const auto& row : view.sourceRows())
            out.push_back(row.caption);
        return out;
    }
    void setMode(Mode mode)
    {
        model.state().FunctionChoice = static_cast<int>(mode);
        model.selectionChanged();
    }

    test::TempDir dir;
    std::unique_ptr<audio::IAudioFile2> reader = audio::createAudioFile();
    HeadlessView view;
    JobModel model{view, *reader};
};

} // namespace

TEST_F(ModelTest, ProbedEntryHoldsDurationBarAndTexts)
{
    add(tone("one.wav", 1.0));
    add(tone("long.wav", 1200.0));
    model.finishAdding();
    const auto& e = model.sources().entries();
    EXPECT_EQ(e[0].durationSeconds, 1);
    EXPECT_EQ(e[0].barMax, 1084);
    EXPECT_EQ(e[0].ends, std::vector<int64_t>{1000});
    EXPECT_EQ(e[0].totalFrames, rate);
    EXPECT_EQ(e[1].durationSeconds, 1200);
    EXPECT_EQ(e[1].barMax, 2400);
    EXPECT_EQ(view.sourceRows()[1], (SourceRowText{"long.wav", "00:20:00", "18.31MB"}));
    // Row 0 is selected, the bar is set up for it and the hint is gone.
    EXPECT_EQ(view.selectedSourceRow(), 0);
    EXPECT_EQ(view.positionBar().max, 1084);
    EXPECT_EQ(view.positionBar().pageSize, 51);
    EXPECT_EQ(view.pathText(), dir.file("one.wav"));
    EXPECT_FALSE(view.hintShown());
    EXPECT_EQ(view.totalTime(), "00:20:01");
    expectParallel();
}

TEST_F(ModelTest, ShortAndUnreadableFilesAreRefusedByName)
{
    std::string shortFile = tone("short.wav", 0.999);
    EXPECT_EQ(model.addSource(shortFile, AddOrigin::Dialog),
              "short.wav this File is Error or not supported.");
    std::string text = dir.file("notes.wav");
    test::writeFileBytes(text, "not audio at all");
    EXPECT_EQ(model.addSource(text, AddOrigin::Dialog), "notes.wav this File is not supported.");
    // A file the file system refuses keeps that reason.
    EXPECT_EQ(model.addSource(dir.file("missing.mp3"), AddOrigin::Folder),
              "missing.mp3: No such file or directory");
    std::filesystem::create_directory(dir.file("folder.mp3"));
    EXPECT_EQ(model.addSource(dir.file("folder.mp3") + "/", AddOrigin::Dialog),
              dir.file("folder.mp3") + "/: is a folder");
    EXPECT_EQ(model.sources().count(), 0);
    // The reader was reset and still works; from a folder the short file is taken.
    add(shortFile, AddOrigin::Folder);
    EXPECT_EQ(model.sources().entries()[0].durationSeconds, 0);
    EXPECT_EQ(model.sources().entries()[0].barMax, 1014);
    expectParallel();
}

TEST_F(ModelTest, RowsEntriesAndTagsStayParallelThroughMovesAndRemovals)
{
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"})
        add(tone(name, 2.0));
    add(dir.file("a.wav")); // the same file twice gives two rows
    model.finishAdding();
    expectParallel();
    EXPECT_EQ(model.sources().count(), 6);

    model.moveSelectedUp(); // row 0 cannot move up
    EXPECT_EQ(captions()[0], "a.wav");
    view.selectSourceRow(5);
    model.moveSelectedDown(); // the last row cannot move down
    model.moveSelectedUp();
    EXPECT_EQ(view.selectedSourceRow(), 4);
    EXPECT_EQ(model.state().selectedFileIndex, 4);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav", "a.wav", "e.wav"}));
    expectParallel();

    // Removing row 1 selects the new row 1.
    view.selectSourceRow(1);
    model.selectionChanged();
    model.removeSelectedSource();
    EXPECT_EQ(view.selectedSourceRow(), 1);
    EXPECT_EQ(captions()[1], "c.wav");
    // With five rows and row 3 selected, removing it selects row 0.
    view.selectSourceRow(3);
    model.selectionChanged();
    model.removeSelectedSource();
    EXPECT_EQ(view.selectedSourceRow(), 0);
    expectParallel();

    model.clearSources();
    EXPECT_TRUE(view.sourceRows().empty());
    EXPECT_TRUE(view.segmentRows().empty());
    EXPECT_TRUE(view.hintShown());
    EXPECT_EQ(view.totalTime(), "00:00:00");
    expectParallel();
}

TEST_F(ModelTest, MovesAreRefusedWhileConverting)
{
    add(tone("a.wav", 2.0));
    add(tone("b.wav", 2.0));
    model.finishAdding();
    view.selectSourceRow(1);
    model.state().converting = true;
    model.moveSelectedUp();
    EXPECT_EQ(captions()[0], "a.wav");
    // A click cannot move the selection during a job.
    model.selectionChanged();
    EXPECT_EQ(view.selectedSourceRow(), 0);
}

TEST_F(ModelTest, OkCommitsAndOpensANewSegment)
{
    add(tone("x.wav", 100.0));
    model.finishAdding();
    BarValues bar = view.positionBar(); // 1084, 51: range 1033
    view.setBarPosition(bar.usableRange() / 10);
    EXPECT_EQ(model.takeBegin(), "");
    view.setBarPosition(bar.usableRange() / 2);
    EXPECT_EQ(model.takeEnd(), "");
    // The bar maps milliseconds: 103 and 516 of 1033 positions over 100 s.
    EXPECT_EQ(view.segmentRows()[0].caption, "00:00:09.971 - 00:00:49.952");
    EXPECT_EQ(view.totalTime(), "00:00:39.981");
    EXPECT_EQ(model.commitSegment(), "");
    ASSERT_EQ(view.segmentRows().size(), 2u);
    EXPECT_EQ(view.segmentRows()[0].status, "Ok");
    EXPECT_EQ(view.segmentRows()[1], (SegmentRow{"00:00:00 - 00:01:40", "00:01:40", "Uncertain"}));
    const listrecord& e = model.sources().entries()[0];
    EXPECT_EQ(e.segmentCount, 2);
    EXPECT_EQ(e.begins, (std::vector<int64_t>{9971, 0}));
    EXPECT_EQ(e.ends, (std::vector<int64_t>{49952, 100000}));
    EXPECT_EQ(view.totalTime(), "00:00:39.981");

    // Rebuilt, committed segments read "OK".
    model.selectionChanged();
    EXPECT_EQ(view.segmentRows()[0].status, "OK");
}

TEST_F(ModelTest, BeginPastEndShowsZeroLengthAndOkIsRefused)
{
    add(tone("x.wav", 100.0));
    model.finishAdding();
    view.setBarPosition(view.positionBar().usableRange() / 2);
    model.takeEnd();
    view.setBarPosition(view.positionBar().usableRange());
    model.takeBegin();
    EXPECT_EQ(view.segmentRows()[0].caption, "00:01:40 - 00:00:49.952");
    EXPECT_EQ(view.segmentRows()[0].length, "00:00:00");
    EXPECT_EQ(model.commitSegment(), "Start-time must not be larger than end-time.");
    EXPECT_EQ(view.segmentRows().size(), 1u);
    // Begin equal to end is accepted.
    view.setBarPosition(view.positionBar().usableRange() / 2);
    model.takeBegin();
    EXPECT_EQ(model.commitSegment(), "");
}

TEST_F(ModelTest, ComputedModesRefuseTheEditingCommands)
{
    add(tone("x.wav", 30.0));
    model.finishAdding();
    setMode(Mode::ByTime);
    EXPECT_EQ(model.takeBegin(), onlyCustomMessage);
    EXPECT_EQ(model.commitSegment(), onlyCustomMessage);
    setMode(Mode::ByCount);
    EXPECT_EQ(model.takeEnd(), onlyCustomMessage);
    view.selectSegmentRow(0);
    EXPECT_EQ(model.removeSelectedSegment(), ""); // silently nothing
    EXPECT_EQ(view.segmentRows().size(), 6u);
}

TEST_F(ModelTest, RemoveSegmentKeepsTheOpenOne)
{
    add(tone("x.wav", 100.0));
    model.finishAdding();
    model.commitSegment();
    model.commitSegment();
    ASSERT_EQ(view.segmentRows().size(), 3u);
    view.selectSegmentRow(2);
    model.segmentListClicked();
    EXPECT_TRUE(model.state().segmentListFocused);
    EXPECT_EQ(model.removeSelectedSegment(),
              "This item, the procedure will automatically process. Need not delete.");
    EXPECT_EQ(view.segmentRows().size(), 3u);

    view.selectSegmentRow(0);
    model.segmentListClicked();
    EXPECT_EQ(model.removeSelectedSegment(), "");
    EXPECT_EQ(view.segmentRows().size(), 2u);
    EXPECT_EQ(view.selectedSegmentRow(), 0);
    EXPECT_EQ(model.sources().entries()[0].segmentCount, 2);

    model.resetSegments();
    EXPECT_EQ(view.segmentRows().size(), 1u);
    EXPECT_EQ(model.sources().entries()[0].ends, std::vector<int64_t>{100000});
    EXPECT_FALSE(model.state().segmentListFocused);
    EXPECT_EQ(view.timeCaption(), "00:00:00");
}

TEST_F(ModelTest, UnificationEditsEntryZeroFromAnyRow)
{
    add(tone("a.wav", 60.0));
    add(tone("b.wav", 100.0));
    model.finishAdding();
    view.selectSourceRow(1);
    setMode(Mode::Unification);
    // The bar maps entry 0's 60 seconds.
    view.setBarPosition(view.positionBar().usableRange() / 6);
    model.takeBegin();
    view.setBarPosition(view.positionBar().usableRange() / 2);
    model.takeEnd();
    model.commitSegment();
    const auto& e = model.sources().entries();
    EXPECT_EQ(e[0].begins, (std::vector<int64_t>{9990, 0}));
    EXPECT_EQ(e[0].ends, (std::vector<int64_t>{29971, 60000}));
    EXPECT_EQ(e[1].segmentCount, 1);
    EXPECT_EQ(view.totalTime(), "00:00:39.962");
}

TEST_F(ModelTest, ZeroUsableRangeTakesTimeZero)
{
    add(tone("x.wav", 100.0));
    model.finishAdding();
    view.setPositionBarRange(40, 40);
    model.takeEnd();
    EXPECT_EQ(model.sources().entries()[0].ends[0], 0);
}

TEST(SourceListText, SizeCaptionAndFolderNames)
{
    EXPECT_EQ(sizeText(0), "0.00MB");
    EXPECT_EQ(sizeText(3617587), "3.45MB");
    EXPECT_EQ(sizeText(uint64_t{1234567} * 1024 * 1024 / 1000), "1234.60MB");
    EXPECT_EQ(captionFor("/m/a.mp3", {"", " Wh/at: is?\t"}, AddOrigin::Dialog), "What is");
    EXPECT_EQ(captionFor("/m/a.mp3", {"v1", ""}, AddOrigin::Dialog), "v1");
    EXPECT_EQ(captionFor("/m/a.mp3", {" Wh/at: is?"}, AddOrigin::Folder), " Wh/at: is?");
    EXPECT_EQ(captionFor("/m/a.mp3", {"  "}, AddOrigin::Dialog), "a.mp3");
    EXPECT_TRUE(isFolderSourceName("X.MP3"));
    EXPECT_TRUE(isFolderSourceName("y.Vox"));
    EXPECT_TRUE(isFolderSourceName("f.FLAC") && isFolderSourceName("o.opus") &&
                isFolderSourceName("m.m4a"));
    EXPECT_FALSE(isFolderSourceName("z.mp2"));
    EXPECT_FALSE(isFolderSourceName("notes.txt"));
}
