#pragma once
// The segment rows of the segment list as plain data, and the arithmetic of
// segments, totals and bar positions. No widgets: the window shows these rows.

#include "engine/listrecord.h"
#include "engine/mainstate.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::engine {

// The status column's texts.
namespace segmentstatus {
inline const std::string Uncertain = "Uncertain"; // the open segment
inline const std::string OK = "OK";               // committed, as the list is built
inline const std::string Ok = "Ok";               // committed just now by "Ok"
inline const std::string Unconvert = "Unconvert"; // a computed piece (by time, by count)
inline const std::string Converting = "Converting";
inline const std::string Finish = "Finish";
inline const std::string Playing = "Playing";
} // namespace segmentstatus

// The three messages of the segment commands.
inline const std::string onlyCustomMessage =
    "Only chose \"Custom\" or \"unification\" function, this button is usable.";
inline const std::string startAfterEndMessage = "Start-time must not be larger than end-time.";
inline const std::string automaticItemMessage =
    "This item, the procedure will automatically process. Need not delete.";

struct SegmentRow {
    std::string caption; // "hh:mm:ss - hh:mm:ss"
    std::string length;  // time text of end - begin; "00:00:00" when negative
    std::string status;

    bool operator==(const SegmentRow&) const = default;
};

// One row for a segment from `beginMs` to `endMs` milliseconds.
SegmentRow segmentRow(int64_t beginMs, int64_t endMs, const std::string& status);

// The rows the segment list shows for entry `selected` in the state's mode.
// Unification shows entry 0's segments whichever entry is selected. No rows
// when `selected` is not an entry or the mode is unknown.
std::vector<SegmentRow> buildSegmentRows(const std::vector<listrecord>& entries, int selected,
                                         const MainState& state);

// Total length in milliseconds of all pieces, as "tataltime" shows it.
int64_t totalMs(const std::vector<listrecord>& entries, const MainState& state);

// Milliseconds at bar position `position` for a file of `durationMs`, when the
// bar's usable range (Max - PageSize) is `usableRange`. A range of 0 or below
// has no positions to map, so every position gives 0.
int64_t timeAtBar(int position, int64_t durationMs, int usableRange);

// The bar's page size for a Max of `barMax`: 52 x barMax / 1100, rounded.
int pageSizeFor(int barMax);

} // namespace brisklet::engine
