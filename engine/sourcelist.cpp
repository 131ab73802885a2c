#include "engine/sourcelist.h"

#include "base/units.h"
#include "tags/tagtext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace brisklet::engine {

std::string sizeText(uint64_t bytes)
{
    double mb = static_cast<double>(bytes) / 1024.0 / 1024.0;
    // At most five significant digits: digits beyond them print as zeros.
    if (mb >= 1000.0) {
        double unit = std::pow(10.0, std::floor(std::log10(mb)) - 4.0);
        mb = std::round(mb / unit) * unit;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2fMB", mb);
    return text;
}

std::string captionFor(const std::string& path, const std::vector<std::string>& titles,
                       AddOrigin origin)
{
    std::string caption = std::filesystem::path(path).filename().string();
    for (const std::string& title : titles) {
        std::string shown =
            origin == AddOrigin::Dialog ? tags::trimControl(tags::cleanTitle(title)) : title;
        if (!shown.empty())
            caption = shown;
    }
    return caption;
}

bool isFolderSourceName(const std::string& name)
{
    std::string ext = std::filesystem::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".mp3" || ext == ".wav" || ext == ".ogg" || ext == ".wma" || ext == ".raw" ||
           ext == ".vox" || ext == ".flac" || ext == ".opus" || ext == ".m4a";
}

listrecord probeEntry(audio::IAudioFile2& reader, const std::string& path, AddOrigin origin)
{
    if (reader.IsOpen())
        reader.Close();
    reader.OpenRead(path);
    int64_t durationMs = reader.DurationMs();
    listrecord entry;
    entry.path = path;
    entry.durationSeconds = static_cast<int32_t>(durationMs / 1000);
    entry.barMax = std::max(static_cast<int32_t>(durationMs / 500), minimumBarMax(origin));
    entry.totalFrames = reader.TotalFrames();
    entry.sampleRate = reader.SampleRate();
    entry.segmentCount = 1;
    entry.begins = {0};
    entry.ends = {entry.wholeMs()};
    entry.timeText = timeText(entry.durationSeconds);
    reader.Close();
    entry.sizeText = sizeText(std::filesystem::file_size(path));
    return entry;
}

void SourceList::append(listrecord entry, tags::AudioFileinfo record)
{
    m_entries.push_back(std::move(entry));
    m_tags.push_back(std::move(record));
}

void SourceList::remove(int row)
{
    m_entries.erase(m_entries.begin() + row);
    m_tags.erase(m_tags.begin() + row);
}

void SourceList::swap(int row, int other)
{
    std::swap(m_entries.at(row), m_entries.at(other));
    std::swap(m_tags.at(row), m_tags.at(other));
}

void SourceList::clear()
{
    m_entries.clear();
    m_tags.clear();
}

} // namespace brisklet::engine
