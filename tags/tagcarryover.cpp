#include "tags/tagcarryover.h"

#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagtext.h"
#include "tags/wmatag.h"

#include <filesystem>

namespace brisklet::tags {

std::string lowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

AudioFileinfo seedTagRecord(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    AudioFileinfo record;
    if (extension == ".mp3") {
        const ID3StructV2 tag = ReadID3v2(path);
        record.Title = trimControl(cleanTitle(tag.Title));
        record.Artist = tag.Artist;
        record.Year = tag.Year;
        record.Album = tag.Album;
        record.Comment = tag.Comment;
        record.Genre = tag.Genre;
    } else if (extension == ".ogg") {
        OGGTag tag;
        ReadOggComments(path, tag);
        record.Title = trimControl(cleanTitle(tag.Title));
        record.Artist = tag.Artist;
        record.Year = tag.Date;
        record.Album = tag.Album;
        record.Comment = tag.Comment;
        record.Genre = tag.Genre;
    } else if (extension == ".wma") {
        WMATagStruct tag;
        ReadWmaTag(path, tag);
        record.Title = tag.Title;
        record.Artist = tag.Artist;
        record.Year = tag.Year;
        record.Album = tag.Album;
        record.Comment = tag.Comment;
        record.Genre = tag.Genre;
    }
    return record;
}

namespace {

// The fields every output format carries; the year goes by each format's own name.
template <class Tag> Tag carriedFields(const AudioFileinfo& record)
{
    Tag tag;
    tag.Title = record.Title;
    tag.Artist = record.Artist;
    tag.Album = record.Album;
    tag.Genre = record.Genre;
    return tag;
}

} // namespace

void WriteOutputTags(const std::string& outputPath, const AudioFileinfo& record)
{
    const std::string extension = lowerExtension(outputPath);
    if (extension == ".mp3") {
        auto tag = carriedFields<ID3StructV2>(record);
        tag.Year = record.Year;
        WriteID3v2(outputPath, tag);
    } else if (extension == ".ogg") {
        auto tag = carriedFields<OGGTag>(record);
        tag.Date = record.Year;
        WriteOggComments(outputPath, tag);
    } else if (extension == ".wma") {
        auto tag = carriedFields<WMATagStruct>(record);
        tag.Year = record.Year;
        WriteWmaTag(outputPath, tag);
    }
}

} // namespace brisklet::tags
