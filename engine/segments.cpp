#include "engine/segments.h"

#include "audio/units.h"

#include <algorithm>

namespace brisklet::engine {

SegmentRow segmentRow(int32_t begin, int32_t end, const std::string& status)
{
    // timeText prints a negative length (begin past end) as "00:00:00".
    return {timeText(begin) + " - " + timeText(end), timeText(static_cast<int64_t>(end) - begin),
            status};
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

// Pieces of `length` seconds from 0 up to `limit`, the last one cut at `duration`.
std::vector<SegmentRow> computedRows(int32_t pieces, int32_t length, int32_t duration)
{
    std::vector<SegmentRow> rows;
    for (int32_t c = 0; c < pieces; ++c) {
        int64_t end = std::min<int64_t>(static_cast<int64_t>(c + 1) * length, duration);
        rows.push_back(segmentRow(c * length, static_cast<int32_t>(end), segmentstatus::Unconvert));
    }
    return rows;
}

// Sum of the counted segments of `entry`: its only one, or all but the open one.
int64_t countedLength(const listrecord& entry)
{
    int32_t counted = entry.segmentCount == 1 ? 1 : entry.segmentCount - 1;
    int64_t sum = 0;
    for (int32_t j = 0; j < counted; ++j)
        sum += static_cast<int64_t>(entry.ends.at(j)) - entry.begins.at(j);
    return sum;
}

} // namespace

std::vector<SegmentRow> buildSegmentRows(const std::vector<listrecord>& entries, int selected,
                                         const MainState& state)
{
    if (selected < 0 || selected >= static_cast<int>(entries.size()))
        return {};
    const listrecord& entry = entries[selected];
    int32_t d = entry.durationSeconds;
    switch (state.FunctionChoice) {
    case static_cast<int>(Mode::Custom):
        return editableRows(entry);
    case static_cast<int>(Mode::ByTime):
        if (state.splitSeconds < 1)
            return {};
        return computedRows(d / state.splitSeconds + 1, state.splitSeconds, d);
    case static_cast<int>(Mode::ByCount):
        if (state.splitCount < 1)
            return {};
        return computedRows(state.splitCount, d / state.splitCount, d);
    case static_cast<int>(Mode::Unification):
        return editableRows(entries.front());
    default:
        return {};
    }
}

int64_t totalSeconds(const std::vector<listrecord>& entries, const MainState& state)
{
    int64_t total = 0;
    switch (state.FunctionChoice) {
    case static_cast<int>(Mode::ByTime):
    case static_cast<int>(Mode::ByCount):
        for (const listrecord& e : entries)
            total += e.durationSeconds;
        break;
    case static_cast<int>(Mode::Custom):
        for (const listrecord& e : entries)
            total += countedLength(e);
        break;
    case static_cast<int>(Mode::Unification): {
        if (entries.empty())
            break;
        const listrecord& shared = entries.front();
        int32_t counted = shared.segmentCount == 1 ? 1 : shared.segmentCount - 1;
        // Each file counts the part of each shared segment that lies within it.
        for (const listrecord& e : entries) {
            for (int32_t j = 0; j < counted; ++j) {
                int32_t begin = shared.begins.at(j);
                if (e.durationSeconds >= begin)
                    total += std::min(shared.ends.at(j), e.durationSeconds) - begin;
            }
        }
        break;
    }
    default:
        break;
    }
    return total;
}

int32_t timeAtBar(int position, int32_t durationSeconds, int usableRange)
{
    if (usableRange <= 0)
        return 0;
    return static_cast<int32_t>(scaled(position, durationSeconds, usableRange));
}

int pageSizeFor(int barMax)
{
    return static_cast<int>(scaled(52, barMax, 1100));
}

} // namespace brisklet::engine
