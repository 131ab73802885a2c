#include "tags/wmaudioinfo.h"

#include "tags/tagtext.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>

namespace brisklet::tags {

namespace {

// The value buffer of an attribute read holds 256 bytes: 127 UTF-16
// characters and the terminator.
constexpr unsigned MaxTextCharacters = 127;

TagLib::String fromUtf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}

} // namespace

struct WMAudioInfo::Impl {
    explicit Impl(const std::string& fileName) : file(fileName.c_str(), false) {}
    TagLib::ASF::File file;
};

WMAudioInfo::WMAudioInfo(const std::string& fileName) : m_impl(std::make_unique<Impl>(fileName))
{
}

WMAudioInfo::~WMAudioInfo() = default;

bool WMAudioInfo::isOpen() const
{
    return m_impl->file.isValid() && m_impl->file.tag() != nullptr;
}

std::optional<std::string> WMAudioInfo::text(const std::string& name, size_t maxBytes) const
{
    if (!isOpen())
        return std::nullopt;
    const TagLib::ASF::Tag& tag = *m_impl->file.tag(); // const: attribute() would insert
    TagLib::String value;
    if (name == "Title") {
        value = tag.title();
    } else if (name == "Author") {
        value = tag.artist();
    } else if (name == "Description") {
        value = tag.comment();
    } else {
        const TagLib::ASF::AttributeList list = tag.attribute(fromUtf8(name));
        if (list.isEmpty() || list.front().type() != TagLib::ASF::Attribute::UnicodeType)
            return std::nullopt;
        value = list.front().toString();
    }
    if (value.size() > MaxTextCharacters)
        return std::nullopt;
    return cutUtf8(value.to8Bit(true), maxBytes);
}

std::optional<uint32_t> WMAudioInfo::number(const std::string& name) const
{
    if (!isOpen())
        return std::nullopt;
    const TagLib::ASF::Tag& tag = *m_impl->file.tag();
    const TagLib::ASF::AttributeList list = tag.attribute(fromUtf8(name));
    if (list.isEmpty() || list.front().type() != TagLib::ASF::Attribute::DWordType)
        return std::nullopt;
    return list.front().toUInt();
}

void WMAudioInfo::setText(const std::string& name, const std::string& value)
{
    if (!isOpen())
        return;
    TagLib::ASF::Tag& tag = *m_impl->file.tag();
    const TagLib::String text = fromUtf8(value);
    // Files from FFmpeg's muxer carry lower-case duplicates that other readers
    // prefer to the content description; they must not keep the old value.
    if (name == "Title") {
        tag.setTitle(text);
        tag.removeItem("title");
    } else if (name == "Author") {
        tag.setArtist(text);
        tag.removeItem("author");
    } else if (name == "Description") {
        tag.setComment(text);
        tag.removeItem("comment");
    } else {
        tag.setAttribute(fromUtf8(name), TagLib::ASF::Attribute(text));
    }
}

void WMAudioInfo::setNumber(const std::string& name, uint32_t value)
{
    if (isOpen())
        m_impl->file.tag()->setAttribute(fromUtf8(name), TagLib::ASF::Attribute(value));
}

bool WMAudioInfo::save()
{
    return isOpen() && m_impl->file.save();
}

} // namespace brisklet::tags
