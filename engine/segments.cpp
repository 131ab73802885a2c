#include "engine/segments.h"

#include "base/units.h"
#include "engine/pieces.h"

#include <algorithm>

namespace brisklet::engine {

SegmentRow segmentRow(int64_t beginMs, int64_t endMs, const std::string& status)
{
    // A negative length (begin past end) prints as "00:00:00".
    return {timeTextMs(beginMs) + " - " + timeTextMs(endMs), timeTextMs(endMs - beginMs), status};
}

namespace {

std::vector<SegmentRow> editableRows(const listrecord& entry)
{
    std::vector<SegmentRow> rows;
    for (int32_t i = 0; i < entry.segmentCount; ++i) {
        bool open = i == entry.segmentCount - 1;
        rows.push_back(segmentRow(entry.begins.at(i), entry.ends.at(i),
                                  open ? segmentstatus::Uncertain : segmentstatus::OK));
    }
    return rows;
}

} // namespace

std::vector<SegmentRow> buildSegmentRows(const std::vector<listrecord>& entries, int selected,
                                         const MainState& state)
{
    const std::optional<Mode> mode = state.mode();
    if (selected < 0 || selected >= static_cast<int>(entries.size()) || !mode)
        return {};
    const listrecord& entry = entries[selected];
    switch (*mode) {
    case Mode::Custom:
        return editableRows(entry);
    case Mode::Unification:
        return editableRows(entries.front());
    case Mode::ByTime:
    case Mode::ByCount:
        break;
    }
    std::vector<SegmentRow> rows;
    for (const Piece& piece : piecesOf(*mode, entry, entries.front(), state))
        rows.push_back(segmentRow(piece.begin, piece.end, segmentstatus::Unconvert));
    return rows;
}

int64_t totalMs(const std::vector<listrecord>& entries, const MainState& state)
{
    const std::optional<Mode> mode = state.mode();
    if (!mode || entries.empty())
        return 0;
    int64_t total = 0;
    for (const listrecord& e : entries) {
        if (joinsWholeSources(*mode)) {
            total += e.wholeMs();
            continue;
        }
        for (const Piece& piece : piecesOf(*mode, e, entries.front(), state))
            total += piece.end - piece.begin;
    }
    return total;
}

int64_t timeAtBar(int position, int64_t durationMs, int usableRange)
{
    if (usableRange <= 0)
        return 0;
    return scaled(position, durationMs, usableRange);
}

int pageSizeFor(int barMax)
{
    return static_cast<int>(scaled(52, barMax, 1100));
}

} // namespace brisklet::engine
