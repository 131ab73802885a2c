#include "tags/wmatag.h"

#include "audio/audioerror.h"
#include "base/output_file.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"
#include "tags/wmaudioinfo.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

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

namespace {

// The file with its header object replaced by `header`, written beside it and
// renamed over it: every write, the flush and the rename are checked, so a
// failure leaves the old file as it was.
void replaceHeader(const std::string& fileName, size_t oldHeaderSize, const std::string& header,
                   const std::string& prefix)
{
    std::ifstream in(fileName, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(oldHeaderSize));
    if (!in)
        throw TagError(prefix + "cannot read " + fileName + ": " + std::strerror(errno));
    try {
        base::OutputFile out(fileName);
        out.append(header.data(), header.size());
        std::vector<char> buffer(1 << 16);
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            out.append(buffer.data(), static_cast<size_t>(in.gcount()));
        }
        if (in.bad())
            throw TagError(prefix + "cannot read " + fileName + ": " + std::strerror(errno));
        out.commit();
    } catch (const audio::AudioError& error) {
        throw TagError(prefix + error.what());
    }
}

} // namespace

bool WriteWmaTag(const std::string& fileName, const WMATagStruct& tag, const Picture* picture)
{
    const std::string oldHeader = WMAudioInfo::headerObject(fileName);
    WMAudioInfo info(oldHeader, WMAudioInfo::HeaderOnly{});
    if (!info.isOpen())
        return false;
    const std::string prefix = "Cannot write the WMA tag: ";
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
        throw TagError(prefix + "TagLib cannot save the attributes of " + fileName);
    replaceHeader(fileName, oldHeader.size(), info.header(), prefix);
    return true;
}

} // namespace brisklet::tags
