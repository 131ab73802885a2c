#include "tags/tagcarryover.h"

#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/wmatag.h"

#include <array>

namespace brisklet::tags {

AudioFileinfo seedTagRecord(const std::string& path)
{
    return readSourceTags(path, Id3v1Title::Ignored).record;
}

namespace {

// The comment is never carried: it describes the source, not a piece of it.
constexpr std::array taggedFormatFields{TagField::Title, TagField::Artist, TagField::Album,
                                        TagField::Year,  TagField::Track,  TagField::Genre};

// The year goes by each format's own name.
auto& yearOf(const AudioFileinfo& record)
{
    return record.Year;
}
auto& yearOf(ID3StructV2& tag)
{
    return tag.Year;
}
auto& yearOf(OGGTag& tag)
{
    return tag.Date;
}
auto& yearOf(WMATagStruct& tag)
{
    return tag.Year;
}

// Where a field lives in the record or in a format's own tag.
template <class Tag> auto& fieldOf(Tag& tag, TagField field)
{
    switch (field) {
    case TagField::Title:
        return tag.Title;
    case TagField::Artist:
        return tag.Artist;
    case TagField::Album:
        return tag.Album;
    case TagField::Year:
        return yearOf(tag);
    case TagField::Comment:
        return tag.Comment;
    case TagField::Genre:
    case TagField::Track: // by trackInto
        break;
    }
    return tag.Genre;
}

// The track number goes by each format's own name and type.
void trackInto(ID3StructV2& tag, const std::string& track)
{
    tag.Track = track;
}
void trackInto(OGGTag& tag, const std::string& track)
{
    tag.TrackNumber = track;
}
void trackInto(WMATagStruct& tag, const std::string& track)
{
    // "3/12" and "03" hold the number 3; what is no number gives none.
    unsigned long number = 0;
    for (char c : track) {
        if (c < '0' || c > '9' || number > 0xFFFF)
            break;
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    tag.Track = static_cast<uint16_t>(number <= 0xFFFF ? number : 0);
}

template <class Tag> Tag carried(const AudioFileinfo& record, audio::OutputFormat format)
{
    Tag tag;
    for (TagField field : carriedFields(format)) {
        if (field == TagField::Track)
            trackInto(tag, record.Track);
        else
            fieldOf(tag, field) = fieldOf(record, field);
    }
    return tag;
}

} // namespace

std::span<const TagField> carriedFields(audio::OutputFormat format)
{
    switch (format) {
    case audio::OutputFormat::Mp3:
    case audio::OutputFormat::Ogg:
    case audio::OutputFormat::Wma:
        return taggedFormatFields;
    case audio::OutputFormat::Wav:
        break;
    }
    return {};
}

void WriteOutputTags(const std::string& outputPath, const AudioFileinfo& record)
{
    const std::optional<audio::OutputFormat> format = audio::outputFormatFromPath(outputPath);
    if (!format)
        return;
    switch (*format) {
    case audio::OutputFormat::Mp3:
        WriteID3v2(outputPath, carried<ID3StructV2>(record, *format));
        break;
    case audio::OutputFormat::Ogg:
        WriteOggComments(outputPath, carried<OGGTag>(record, *format));
        break;
    case audio::OutputFormat::Wma:
        WriteWmaTag(outputPath, carried<WMATagStruct>(record, *format));
        break;
    case audio::OutputFormat::Wav:
        break;
    }
}

} // namespace brisklet::tags
