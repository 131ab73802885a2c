// The segment editor's way into the entries: the same refusals as "Begin",
// "End" and "Ok", and the list and total shown again afterwards.
#include "engine/segmentedit.h"

#include "engine/jobmodel.h"

namespace brisklet::engine {

std::string commitOpenSegment(SegmentEdit& edit)
{
    // Begin equal to end is accepted.
    if (edit.open.endMs < edit.open.beginMs)
        return startAfterEndMessage;
    edit.committed.push_back(edit.open);
    edit.open = {0, edit.durationMs};
    return {};
}

bool JobModel::editSegments(SegmentEdit& edit, std::string& refusal)
{
    listrecord* entry = nullptr;
    size_t open = 0;
    if (!openSegment(entry, open, refusal))
        return false;
    edit = {};
    edit.durationMs = entry->wholeMs();
    for (size_t i = 0; i < open; ++i)
        edit.committed.push_back({entry->begins[i], entry->ends[i]});
    edit.open = {entry->begins[open], entry->ends[open]};
    return true;
}

std::string JobModel::applySegmentEdit(const SegmentEdit& edit)
{
    std::string refusal;
    listrecord* entry = nullptr;
    size_t open = 0;
    if (!openSegment(entry, open, refusal))
        return refusal;
    for (const EditedSegment& segment : edit.committed)
        if (segment.endMs < segment.beginMs)
            return startAfterEndMessage;
    entry->begins.clear();
    entry->ends.clear();
    for (const EditedSegment& segment : edit.committed) {
        entry->begins.push_back(segment.beginMs);
        entry->ends.push_back(segment.endMs);
    }
    entry->begins.push_back(edit.open.beginMs);
    entry->ends.push_back(edit.open.endMs);
    entry->segmentCount = static_cast<int32_t>(entry->begins.size());
    buildSegmentList();
    refreshTotalTime();
    return {};
}

} // namespace brisklet::engine
