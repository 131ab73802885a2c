#include "tags/xiphtags.h"

#include "tags/replacementfile.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"

#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/mp4file.h>
#include <taglib/opusfile.h>
#include <taglib/xiphcomment.h>

#include <array>
#include <filesystem>
#include <memory>
#include <utility>

namespace brisklet::tags {

namespace {

std::string utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

TagLib::String fromUtf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}

const std::array<std::pair<const char*, std::string OGGTag::*>, 7> kFields = {{
    {"TITLE", &OGGTag::Title},
    {"ARTIST", &OGGTag::Artist},
    {"ALBUM", &OGGTag::Album},
    {"TRACKNUMBER", &OGGTag::TrackNumber},
    {"DATE", &OGGTag::Date},
    {"GENRE", &OGGTag::Genre},
    {"COMMENT", &OGGTag::Comment},
}};

OGGTag fromComment(const TagLib::Ogg::XiphComment& comment)
{
    OGGTag tag;
    const TagLib::Ogg::FieldListMap& fields = comment.fieldListMap();
    for (const auto& [name, member] : kFields) {
        auto found = fields.find(name);
        if (found != fields.end() && !found->second.isEmpty())
            tag.*member = trimControl(utf8(found->second.back()));
    }
    return tag;
}

void fillComment(TagLib::Ogg::XiphComment& comment, const OGGTag& tag)
{
    for (const auto& [name, member] : kFields) {
        comment.removeFields(name);
        if (!(tag.*member).empty())
            comment.addField(name, fromUtf8(tag.*member));
    }
}

// A new FLAC picture block (front cover) for `picture`; null when it is empty.
TagLib::FLAC::Picture* pictureBlock(const Picture& picture)
{
    if (picture.empty())
        return nullptr;
    auto* block = new TagLib::FLAC::Picture;
    block->setType(TagLib::FLAC::Picture::FrontCover);
    block->setMimeType(fromUtf8(picture.mimeType));
    block->setDescription(fromUtf8(picture.description));
    block->setData(
        TagLib::ByteVector(picture.data.data(), static_cast<unsigned>(picture.data.size())));
    return block;
}

// Edits a copy of `fileName` beside it with `edit` (given the copy's path),
// then renames it over the file.
template <class Edit> void replaceThroughCopy(const std::string& fileName, Edit edit)
{
    const std::string prefix = "Cannot write the tag of " + fileName + ": ";
    ReplacementFile replacement(fileName, prefix);
    std::error_code error;
    std::filesystem::copy_file(fileName, replacement.temporaryPath(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        throw TagError(prefix + "cannot copy it: " + error.message());
    std::filesystem::permissions(replacement.temporaryPath(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    if (!edit(replacement.temporaryPath()))
        throw TagError(prefix + "TagLib cannot save " + replacement.temporaryPath());
    replacement.commit();
}

} // namespace

bool ReadFlacTag(const std::string& fileName, OGGTag& tag)
{
    TagLib::FLAC::File file(fileName.c_str(), false);
    if (!file.isValid())
        return false;
    tag = file.hasXiphComment() ? fromComment(*file.xiphComment()) : OGGTag{};
    return true;
}

bool ReadOpusTag(const std::string& fileName, OGGTag& tag)
{
    TagLib::Ogg::Opus::File file(fileName.c_str(), false);
    if (!file.isValid() || !file.tag())
        return false;
    tag = fromComment(*file.tag());
    return true;
}

bool ReadMp4Tag(const std::string& fileName, OGGTag& tag)
{
    TagLib::MP4::File file(fileName.c_str(), false);
    if (!file.isValid() || !file.tag())
        return false;
    const TagLib::MP4::Tag& mp4 = *file.tag();
    OGGTag read;
    auto text = [&](const char* name) {
        return mp4.contains(name) ? trimControl(utf8(mp4.item(name).toStringList().toString()))
                                  : std::string();
    };
    read.Title = text("\251nam");
    read.Artist = text("\251ART");
    read.Album = text("\251alb");
    read.Date = text("\251day");
    read.Genre = text("\251gen");
    read.Comment = text("\251cmt");
    if (mp4.contains("trkn") && mp4.item("trkn").toIntPair().first > 0)
        read.TrackNumber = std::to_string(mp4.item("trkn").toIntPair().first);
    tag = read;
    return true;
}

void WriteFlacTag(const std::string& fileName, const OGGTag& tag, const Picture& picture)
{
    replaceThroughCopy(fileName, [&](const std::string& copy) {
        TagLib::FLAC::File file(copy.c_str(), false);
        if (!file.isValid())
            return false;
        fillComment(*file.xiphComment(true), tag);
        file.removePictures();
        if (TagLib::FLAC::Picture* block = pictureBlock(picture))
            file.addPicture(block); // the file owns it now
        return file.save();
    });
}

void WriteOpusTag(const std::string& fileName, const OGGTag& tag, const Picture& picture)
{
    replaceThroughCopy(fileName, [&](const std::string& copy) {
        TagLib::Ogg::Opus::File file(copy.c_str(), false);
        if (!file.isValid() || !file.tag())
            return false;
        TagLib::Ogg::XiphComment& comment = *file.tag();
        fillComment(comment, tag);
        comment.removeAllPictures();
        if (TagLib::FLAC::Picture* block = pictureBlock(picture))
            comment.addPicture(block);
        return file.save();
    });
}

} // namespace brisklet::tags
