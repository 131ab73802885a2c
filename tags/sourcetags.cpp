#include "tags/sourcetags.h"

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

TagFamily tagFamilyOf(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    if (extension == ".mp3")
        return TagFamily::Id3;
    if (extension == ".ogg")
        return TagFamily::Vorbis;
    if (extension == ".wma")
        return TagFamily::Asf;
    return TagFamily::None;
}

namespace {

// The fields every format's tag shares with the record; the year is not seeded.
template <class Tag> AudioFileinfo recordOf(const Tag& tag)
{
    AudioFileinfo record;
    record.Title = tag.Title;
    record.Artist = tag.Artist;
    record.Album = tag.Album;
    record.Comment = tag.Comment;
    record.Genre = tag.Genre;
    return record;
}

// The tag's title as a candidate; in the record, cleaned and trimmed.
template <class Tag> void takeCleanedTitle(const Tag& tag, SourceTags& result)
{
    result.titles.push_back(tag.Title);
    result.record = recordOf(tag);
    result.record.Title = trimControl(cleanTitle(tag.Title));
}

} // namespace

SourceTags readSourceTags(const std::string& path, Id3v1Title id3v1)
{
    SourceTags result;
    switch (tagFamilyOf(path)) {
    case TagFamily::Id3:
        if (id3v1 == Id3v1Title::Fallback)
            result.titles.push_back(ReadID3v1(path).Title);
        takeCleanedTitle(ReadID3v2(path), result);
        break;
    case TagFamily::Vorbis: {
        OGGTag tag;
        ReadOggComments(path, tag);
        takeCleanedTitle(tag, result);
        break;
    }
    case TagFamily::Asf: {
        WMATagStruct tag;
        if (ReadWmaTag(path, tag))
            result.titles.push_back(tag.Title);
        result.record = recordOf(tag);
        break;
    }
    case TagFamily::None:
        break;
    }
    return result;
}

} // namespace brisklet::tags
