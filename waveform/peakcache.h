#pragma once
// Peaks kept between runs in the user's cache folder, one file per source,
// valid while the source keeps its path, size and modification time.
// A cache is only ever a shortcut: any failure reads as "not cached".

#include "waveform/peaks.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brisklet::waveform {

// What identifies one state of a source file.
struct SourceStamp {
    std::string path; // absolute
    uint64_t size = 0;
    int64_t modified = 0; // the file system's modification time, in its own ticks

    bool operator==(const SourceStamp&) const = default;
};

// The stamp of the file now; nothing when it cannot be read.
std::optional<SourceStamp> stampOf(const std::string& path);

class PeakCache {
public:
    // Entries live in `folder`, made when the first entry is stored.
    explicit PeakCache(std::string folder);
    // <the user's cache folder>/brisklet/peaks
    static std::string userFolder();

    // The stored peaks of `path` when they were made from the file as it is now.
    std::optional<PeakData> load(const std::string& path) const;
    // Stores peaks made from the file in state `stamp`; the entry is written
    // beside its name and renamed over it. False when it could not be written.
    bool store(const SourceStamp& stamp, const PeakData& peaks) const;
    // The entry's file name for a source.
    std::string entryPath(const std::string& path) const;

private:
    std::string m_folder;
};

} // namespace brisklet::waveform
