#include "tags/sourcetags.h"

#include "tags/coverart.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"
#include "tags/wmatag.h"
#include "tags/xiphtags.h"

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
    if (extension == ".flac")
        return TagFamily::Flac;
    if (extension == ".opus")
        return TagFamily::Opus;
    if (extension == ".m4a" || extension == ".mp4" || extension == ".m4b")
        return TagFamily::Mp4;
    return TagFamily::None;
}

namespace {

std::string yearOf(const ID3StructV2& tag)
{
    return tag.Year;
}
std::string yearOf(const OGGTag& tag)
{
    return tag.Date;
}
std::string yearOf(const WMATagStruct& tag)
{
    return tag.Year;
}
std::string trackOf(const ID3StructV2& tag)
{
    return tag.Track;
}
std::string trackOf(const OGGTag& tag)
{
    return tag.TrackNumber;
}
std::string trackOf(const WMATagStruct& tag)
{
    return tag.Track > 0 ? std::to_string(tag.Track) : std::string();
}

// The fields every format's tag shares with the record.
template <class Tag> AudioFileinfo recordOf(const Tag& tag)
{
    AudioFileinfo record;
    record.Title = tag.Title;
    record.Artist = tag.Artist;
    record.Year = yearOf(tag);
    record.Album = tag.Album;
    record.Comment = tag.Comment;
    record.Genre = tag.Genre;
    record.Track = trackOf(tag);
    return record;
}

// The tag's title as a candidate; in the record, cleaned and trimmed.
template <class Tag> void takeCleanedTitle(const Tag& tag, SourceTags& result)
{
    result.titles.push_back(tag.Title);
    result.record = recordOf(tag);
    result.record.Title = trimControl(cleanTitle(tag.Title));
}

// FLAC, Opus and M4A tags, read into the Vorbis comment fields.
void takeXiphLike(bool (*read)(const std::string&, OGGTag&), const std::string& path,
                  SourceTags& result)
{
    OGGTag tag;
    if (read(path, tag))
        takeCleanedTitle(tag, result);
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
        try {
            ReadOggComments(path, tag);
        } catch (const TagError&) {
            // Opus under the Ogg extension.
            if (!ReadOpusTag(path, tag))
                throw;
        }
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
    case TagFamily::Flac:
        takeXiphLike(ReadFlacTag, path, result);
        break;
    case TagFamily::Opus:
        takeXiphLike(ReadOpusTag, path, result);
        break;
    case TagFamily::Mp4:
        takeXiphLike(ReadMp4Tag, path, result);
        break;
    case TagFamily::None:
        break;
    }
    try {
        result.record.Cover = ReadCoverPicture(path);
    } catch (const TagError& error) {
        result.pictureRefused = error.what();
    }
    return result;
}

} // namespace brisklet::tags
