#pragma once
// The source list's entries and their parallel tag records, and the probing of
// a file into an entry. No widgets: the window shows what this holds.

#include "audio/audiofile.h"
#include "engine/listrecord.h"
#include "engine/sourcetags.h"
#include "tags/tagrecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::engine {

inline const std::string notSupportedMessage = " this File is not supported.";
inline const std::string tooShortMessage = " this File is Error or not supported.";

// The least bar Max of a file, by the way it was added.
constexpr int32_t minimumBarMax(AddOrigin origin)
{
    return origin == AddOrigin::Dialog ? 1084 : 1014;
}

// Size in MB (bytes / 1024 / 1024) with two decimals and at most five
// significant digits, directly followed by "MB": "3.45MB".
std::string sizeText(uint64_t bytes);

// The caption of a new row: the file name, replaced by a non-empty title. From
// the dialog each title is cleaned and trimmed first; from a folder it is taken
// as read.
std::string captionFor(const std::string& path, const std::vector<std::string>& titles,
                       AddOrigin origin);

// True for the names a folder add takes: .mp3 .wav .ogg .wma .raw .vox .flac
// .opus .m4a, any case.
bool isFolderSourceName(const std::string& name);

// Probes `path` through `reader` into an entry with one open segment over the
// whole file, its time and size texts filled. The reader is closed before and
// after. Throws audio::AudioError (or std::filesystem::filesystem_error for the
// size) when the file cannot be read.
listrecord probeEntry(audio::IAudioFile2& reader, const std::string& path, AddOrigin origin);

// Entries and tag records, always the same count and order.
class SourceList {
public:
    int count() const { return static_cast<int>(m_entries.size()); }
    bool empty() const { return m_entries.empty(); }
    bool contains(int row) const { return row >= 0 && row < count(); }

    const std::vector<listrecord>& entries() const { return m_entries; }
    std::vector<listrecord>& entries() { return m_entries; }
    const tags::TagList& TagList() const { return m_tags; }
    tags::TagList& TagList() { return m_tags; }

    void append(listrecord entry, tags::AudioFileinfo record);
    void remove(int row);
    // Swaps rows `row` and `other`, entries and tag records together.
    void swap(int row, int other);
    void clear();

private:
    std::vector<listrecord> m_entries;
    tags::TagList m_tags;
};

} // namespace brisklet::engine
