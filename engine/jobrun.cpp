#include "engine/jobrun.h"

#include "base/units.h"
#include "engine/progress.h"

#include <algorithm>
#include <thread>

namespace brisklet::engine {

int workersFor(int setting)
{
    if (setting > 0)
        return setting;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

JobRun::JobRun(JobModel& model, JobParts& parts) : m_model(model), m_parts(parts)
{
    state().converting = true;
}

bool JobRun::keepGoing()
{
    m_model.view().pumpEvents();
    if (!state().converting)
        m_stopped = true;
    return state().converting;
}

void JobRun::showProgress(int q)
{
    JobView& view = m_model.view();
    view.setPercentText(percentText(q));
    if (std::optional<int> pixels = progressBarPixels(q, state().skinFlag))
        view.setProgressWidth(*pixels);
}

int JobRun::trimSegmentList(int entry)
{
    int rows = static_cast<int>(m_model.segmentRows().size());
    if (rows == 1)
        m_model.setSegmentStatus(0, segmentstatus::OK);
    else if (rows > 1)
        m_model.removeSegmentRow(rows - 1);
    rows = static_cast<int>(m_model.segmentRows().size());
    if (entry >= 0 && entry < static_cast<int>(entries().size())) {
        listrecord& record = entries()[entry];
        m_trimmedCounts.emplace_back(entry, record.segmentCount);
        // Never more pieces than the entry has segments.
        record.segmentCount = std::min(rows, record.segmentCount);
    }
    return rows;
}

void JobRun::selectSource(int row, bool rebuild)
{
    m_model.view().selectSourceRow(row);
    m_model.view().setPathText(entries().at(row).path);
    state().selectedFileIndex = row;
    if (rebuild)
        m_model.buildSegmentList();
    m_model.view().focusSourceList();
}

int64_t JobRun::frameOfEntryMs(int64_t ms, const listrecord& entry)
{
    return frameOfMs(ms, entry.sampleRate, entry.totalFrames);
}

Fades JobRun::fadesFor(const listrecord& entry) const
{
    const MainState& s = m_model.state();
    // Not limited by the source: a fade-in longer than the piece reads that long.
    const auto frames = [&](int64_t ms) { return scaled(ms, entry.sampleRate, 1000); };
    return {s.fadeIn, frames(s.fadeInMs), s.fadeOut, frames(s.fadeOutMs)};
}

std::string lostFramesText(int64_t lost, int64_t total)
{
    return std::to_string(lost) + " of " + std::to_string(total) + " frames could not be decoded";
}

std::string shortPieceStatus(int64_t lost)
{
    return "Incomplete: " + std::to_string(lost) + " frames could not be decoded";
}

int64_t lostFrames(const audio::IAudioFile2& reader, int64_t damagedBefore, int64_t length,
                   int64_t written)
{
    const int64_t lost = (length - written) + (reader.DamagedFrames() - damagedBefore);
    return std::clamp<int64_t>(lost, 0, length);
}

void JobRun::noteShortRead(int entry, int64_t frames)
{
    if (frames > 0)
        m_lostFrames[entry] += frames;
}

void JobRun::finish()
{
    for (const auto& [entry, lost] : m_lostFrames) {
        if (m_parts.noteLoss && entry < static_cast<int>(entries().size()))
            m_parts.noteLoss(entries()[entry].path,
                             lostFramesText(lost, entries()[entry].totalFrames));
    }
    m_lostFrames.clear();
    m_model.view().setPercentText({});
    m_model.view().setProgressWidth(0);
    // Latest first, so an entry trimmed twice ends with its first value.
    for (auto it = m_trimmedCounts.rbegin(); it != m_trimmedCounts.rend(); ++it) {
        if (it->first < static_cast<int>(entries().size()))
            entries()[it->first].segmentCount = it->second;
    }
    m_trimmedCounts.clear();
}

void closeIfOpen(audio::IAudioFile2& file)
{
    if (file.IsOpen())
        file.Close();
}

void JobRun::abandon() noexcept
{
    for (audio::IAudioFile2* file : {&reader(), &m_parts.writer}) {
        try {
            file->Discard();
        } catch (const std::exception&) {
            // The job already failed; its first error is the one to show.
        }
    }
    state().converting = false;
    try {
        finish();
    } catch (const std::exception&) {
    }
}

} // namespace brisklet::engine
