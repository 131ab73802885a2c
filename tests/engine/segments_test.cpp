// Segment rows, totals and bar arithmetic of the four modes.
#include "engine/segments.h"

#include "base/units.h"

#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::engine;

namespace {

// Times in seconds, kept as milliseconds.
listrecord entryOf(int32_t duration, std::vector<int64_t> begins, std::vector<int64_t> ends)
{
    for (int64_t& t : begins)
        t *= 1000;
    for (int64_t& t : ends)
        t *= 1000;
    listrecord e;
    e.durationSeconds = duration;
    e.segmentCount = static_cast<int32_t>(begins.size());
    e.begins = std::move(begins);
    e.ends = std::move(ends);
    return e;
}

MainState modeState(Mode mode)
{
    MainState s;
    s.FunctionChoice = static_cast<int>(mode);
    return s;
}

} // namespace

TEST(Segments, NewCustomEntryIsOneOpenRowOverTheWholeFile)
{
    std::vector<listrecord> entries{entryOf(3725, {0}, {3725})};
    auto rows = buildSegmentRows(entries, 0, modeState(Mode::Custom));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (SegmentRow{"00:00:00 - 01:02:05", "01:02:05", "Uncertain"}));
    EXPECT_EQ(totalMs(entries, modeState(Mode::Custom)), 3725000);
}

TEST(Segments, CustomTotalLeavesOutTheOpenSegment)
{
    std::vector<listrecord> entries{entryOf(3725, {0, 0}, {3725, 3725}),
                                    entryOf(100, {10, 20, 0}, {20, 50, 100})};
    auto rows = buildSegmentRows(entries, 1, modeState(Mode::Custom));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].status, "OK");
    EXPECT_EQ(rows[2].status, "Uncertain");
    EXPECT_EQ(totalMs(entries, modeState(Mode::Custom)), (3725 + 10 + 30) * 1000);
}

TEST(Segments, ByTimeEndsWithAnEmptyRowOnAMultiple)
{
    MainState s = modeState(Mode::ByTime);
    s.splitMs = 60000;
    std::vector<listrecord> entries{entryOf(120, {0}, {120})};
    auto rows = buildSegmentRows(entries, 0, s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].caption, "00:00:00 - 00:01:00");
    EXPECT_EQ(rows[1].caption, "00:01:00 - 00:02:00");
    EXPECT_EQ(rows[2], (SegmentRow{"00:02:00 - 00:02:00", "00:00:00", "Unconvert"}));

    entries[0].durationSeconds = 125;
    rows = buildSegmentRows(entries, 0, s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].caption, "00:02:00 - 00:02:05");
}

TEST(Segments, ByCountDropsTheRemainder)
{
    MainState s = modeState(Mode::ByCount);
    s.splitCount = 6;
    std::vector<listrecord> entries{entryOf(100, {0}, {100}), entryOf(50, {0}, {50})};
    auto rows = buildSegmentRows(entries, 0, s);
    ASSERT_EQ(rows.size(), 6u);
    for (const SegmentRow& row : rows) {
        EXPECT_EQ(row.length, "00:00:16");
        EXPECT_EQ(row.status, "Unconvert");
    }
    EXPECT_EQ(rows[5].caption, "00:01:20 - 00:01:36");
    // The computed modes count whole files.
    EXPECT_EQ(totalMs(entries, s), 150000);
}

TEST(Segments, UnificationCountsEachSharedSegmentWithinEachFile)
{
    std::vector<listrecord> entries{entryOf(60, {10, 50, 0}, {30, 70, 60}),
                                    entryOf(100, {0}, {100})};
    MainState s = modeState(Mode::Unification);
    EXPECT_EQ(totalMs(entries, s), (20 + 10 + 20 + 20) * 1000);
    // Whichever row is selected, the shared list of entry 0 is shown.
    auto rows = buildSegmentRows(entries, 1, s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].caption, "00:00:50 - 00:01:10");
}

TEST(Segments, UnificationSkipsSegmentsBeginningPastAFile)
{
    std::vector<listrecord> entries{entryOf(300, {100, 0}, {200, 300}), entryOf(90, {0}, {90})};
    EXPECT_EQ(totalMs(entries, modeState(Mode::Unification)), 100000);
}

TEST(Segments, TimeTextShowsMillisecondsOnlyWhenThereAreSome)
{
    EXPECT_EQ(timeTextMs(0), "00:00:00");
    EXPECT_EQ(timeTextMs(3725000), "01:02:05");
    EXPECT_EQ(timeTextMs(90250), "00:01:30.250");
    EXPECT_EQ(timeTextMs(1), "00:00:00.001");
    EXPECT_EQ(timeTextMs(360000000), "100:00:00");
    EXPECT_EQ(timeTextMs(-5), "00:00:00");
    EXPECT_EQ(segmentRow(1500, 3250, "OK"),
              (SegmentRow{"00:00:01.500 - 00:00:03.250", "00:00:01.750", "OK"}));
}

TEST(Segments, FrameOfAMillisecondIsRoundedAndLimitedToTheSource)
{
    EXPECT_EQ(frameOfMs(1500, 44100, 1000000), 66150);
    EXPECT_EQ(frameOfMs(3250, 44100, 1000000), 143325);
    EXPECT_EQ(frameOfMs(1, 22050, 1000000), 22); // 22.05
    EXPECT_EQ(frameOfMs(1, 44100, 1000000), 44); // 44.1
    EXPECT_EQ(frameOfMs(10, 8050, 1000000), 81); // 80.5: halves away from zero
    EXPECT_EQ(frameOfMs(-20, 44100, 1000000), 0);
    EXPECT_EQ(frameOfMs(60000, 44100, 1000), 1000);
}

TEST(Segments, NegativeLengthShowsZeroAndUnknownModeHasNoRows)
{
    EXPECT_EQ(segmentRow(90000, 30000, "Uncertain").length, "00:00:00");
    std::vector<listrecord> entries{entryOf(10, {0}, {10})};
    EXPECT_TRUE(buildSegmentRows(entries, 0, modeState(static_cast<Mode>(7))).empty());
    EXPECT_TRUE(buildSegmentRows(entries, 1, modeState(Mode::Custom)).empty());
    EXPECT_EQ(totalMs({}, modeState(Mode::Custom)), 0);
}

TEST(Segments, BarArithmetic)
{
    EXPECT_EQ(pageSizeFor(1084), 51);
    EXPECT_EQ(pageSizeFor(1200), 57);
    // 60 s on a range of 1033: the middle maps to about 30 s, the end to 60 s.
    EXPECT_EQ(timeAtBar(1033, 60000, 1033), 60000);
    EXPECT_EQ(timeAtBar(516, 60000, 1033), 29971);
    EXPECT_EQ(timeAtBar(517, 60000, 1033), 30029);
    // A range of 0 has nothing to map: time 0 rather than the -1 of a failed scale.
    EXPECT_EQ(timeAtBar(10, 60000, 0), 0);
    EXPECT_EQ(timeAtBar(10, 60000, -5), 0);
}
