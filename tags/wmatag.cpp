#include "tags/wmatag.h"

#include "tags/replacementfile.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"
#include "tags/wmaudioinfo.h"

#include <filesystem>
#include <system_error>

namespace brisklet::tags {

bool ReadWmaTag(const std::string& fileName, WMATagStruct& tag)
{
    const WMAudioInfo info(fileName);
    if (!info.isOpen())
        return false;
    auto text = [&](const char* name, size_t width) { return info.text(name, width).value_or(""); };
    WMATagStruct read;
    read.Found = -1;
    read.Title = text("Title", WMATagStruct::TitleWidth);
    read.Artist = text("Author", WMATagStruct::ArtistWidth);
    read.Album = text("WM/AlbumTitle", WMATagStruct::AlbumWidth);
    read.Year = text("WM/Year", WMATagStruct::YearWidth);
    read.Track = static_cast<uint16_t>(info.number("WM/TrackNumber").value_or(0));
    if (read.Track == 0)
        read.Track = static_cast<uint16_t>(info.number("WM/Track").value_or(0));
    read.Comment = text("Description", WMATagStruct::CommentWidth);
    read.Genre = text("WM/Genre", WMATagStruct::GenreWidth);
    tag = read;
    return true;
}

bool WriteWmaTag(const std::string& fileName, const WMATagStruct& tag, const Picture* picture)
{
    if (!WMAudioInfo(fileName).isOpen())
        return false;
    const std::string prefix = "Cannot write the WMA tag: ";
    ReplacementFile replacement(fileName, prefix);
    std::error_code error;
    std::filesystem::copy_file(fileName, replacement.temporaryPath(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        throw TagError(prefix + "cannot copy " + fileName + ": " + error.message());
    // The copy may carry the output's read-only permission; it must be writable.
    std::filesystem::permissions(replacement.temporaryPath(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    {
        WMAudioInfo info(replacement.temporaryPath());
        info.setText("Author", cutUtf8(tag.Artist, WMATagStruct::ArtistWidth));
        info.setText("Title", cutUtf8(tag.Title, WMATagStruct::TitleWidth));
        info.setText("WM/AlbumTitle", cutUtf8(tag.Album, WMATagStruct::AlbumWidth));
        info.setText("WM/Year", cutUtf8(tag.Year, WMATagStruct::YearWidth));
        info.setText("Description", cutUtf8(tag.Comment, WMATagStruct::CommentWidth));
        info.setText("WM/Genre", cutUtf8(tag.Genre, WMATagStruct::GenreWidth));
        info.setNumber("WM/TrackNumber", tag.Track);
        if (picture)
            info.setPicture(*picture);
        if (!info.save())
            throw TagError(prefix + "TagLib cannot save " + replacement.temporaryPath());
    }
    replacement.commit();
    return true;
}

} // namespace brisklet::tags
