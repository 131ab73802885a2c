// Segment rows, totals and bar arithmetic of the four modes.
#include "engine/segments.h"

#include <gtest/gtest.h>

using namespace brisklet::engine;

namespace {

listrecord entryOf(int32_t duration, std::vector<int32_t> begins, std::vector<int32_t> ends)
{
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
    EXPECT_EQ(totalSeconds(entries, modeState(Mode::Custom)), 3725);
}

TEST(Segments, CustomTotalLeavesOutTheOpenSegment)
{
    std::vector<listrecord> entries{entryOf(3725, {0, 0}, {3725, 3725}),
                                    entryOf(100, {10, 20, 0}, {20, 50, 100})};
    auto rows = buildSegmentRows(entries, 1, modeState(Mode::Custom));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].status, "OK");
    EXPECT_EQ(rows[2].status, "Uncertain");
    EXPECT_EQ(totalSeconds(entries, modeState(Mode::Custom)), 3725 + 10 + 30);
}

TEST(Segments, ByTimeEndsWithAnEmptyRowOnAMultiple)
{
    MainState s = modeState(Mode::ByTime);
    s.splitSeconds = 60;
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
    EXPECT_EQ(totalSeconds(entries, s), 150);
}

TEST(Segments, UnificationCountsEachSharedSegmentWithinEachFile)
{
    std::vector<listrecord> entries{entryOf(60, {10, 50, 0}, {30, 70, 60}),
                                    entryOf(100, {0}, {100})};
    MainState s = modeState(Mode::Unification);
    EXPECT_EQ(totalSeconds(entries, s), 20 + 10 + 20 + 20);
    // Whichever row is selected, the shared list of entry 0 is shown.
    auto rows = buildSegmentRows(entries, 1, s);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].caption, "00:00:50 - 00:01:10");
}

TEST(Segments, UnificationSkipsSegmentsBeginningPastAFile)
{
    std::vector<listrecord> entries{entryOf(300, {100, 0}, {200, 300}), entryOf(90, {0}, {90})};
    EXPECT_EQ(totalSeconds(entries, modeState(Mode::Unification)), 100);
}

TEST(Segments, NegativeLengthShowsZeroAndUnknownModeHasNoRows)
{
    EXPECT_EQ(segmentRow(90, 30, "Uncertain").length, "00:00:00");
    std::vector<listrecord> entries{entryOf(10, {0}, {10})};
    EXPECT_TRUE(buildSegmentRows(entries, 0, modeState(static_cast<Mode>(7))).empty());
    EXPECT_TRUE(buildSegmentRows(entries, 1, modeState(Mode::Custom)).empty());
    EXPECT_EQ(totalSeconds({}, modeState(Mode::Custom)), 0);
}

TEST(Segments, BarArithmetic)
{
    EXPECT_EQ(pageSizeFor(1084), 51);
    EXPECT_EQ(pageSizeFor(1200), 57);
    // 60 s on a range of 1033: the middle maps to 30 s, the end to 60 s.
    EXPECT_EQ(timeAtBar(1033, 60, 1033), 60);
    EXPECT_EQ(timeAtBar(516, 60, 1033), 30);
    EXPECT_EQ(timeAtBar(517, 60, 1033), 30);
    // A range of 0 has nothing to map: time 0 rather than the -1 of a failed scale.
    EXPECT_EQ(timeAtBar(10, 60, 0), 0);
    EXPECT_EQ(timeAtBar(10, 60, -5), 0);
}
