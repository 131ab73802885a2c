#include "tags/wmaudioinfo.h"

#include "tags/tagtext.h"

#include <fstream>
#include <optional>
#include <string_view>

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tbytevectorstream.h>

namespace brisklet::tags {

namespace {

// The value buffer of an attribute read holds 256 bytes: 127 UTF-16
// characters and the terminator.
constexpr unsigned MaxTextCharacters = 127;

TagLib::String fromUtf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}

// TagLib trusts the sizes and counts of an ASF header: a damaged file that
// claims 65535 attributes in a few bytes costs it seconds and hundreds of MiB.
// Such a header, or one that TagLib would walk otherwise than its sizes say,
// is taken as no readable ASF file before TagLib sees it.
const std::string_view
    HeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string_view
    ContentDescriptionGuid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string_view
    ExtendedContentGuid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string_view
    HeaderExtensionGuid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16);
const std::string_view
    MetadataGuid("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA", 16);
const std::string_view
    MetadataLibraryGuid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16);
constexpr size_t ObjectHeader = 24; // GUID and 64-bit size
// Attributes are a few hundred bytes; a header beyond this holds pictures or
// other bulk, and its attributes are not read (nor the header kept in memory).
constexpr uint64_t MaxHeaderBytes = 16 << 20;

uint64_t littleEndian(std::string_view bytes, size_t pos, size_t width)
{
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= uint64_t(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
    return value;
}

// The bytes TagLib reads for one attribute at `pos`, as it reads them: kind 0
// is an extended content descriptor, 1 a metadata record, 2 a metadata library
// record. Numbers take their type's width whatever size is given. Nothing when
// they run past the object.
std::optional<size_t> attributeLength(std::string_view object, size_t pos, int kind)
{
    const size_t fixed = kind == 0 ? 6 : 12;
    if (object.size() - pos < fixed)
        return std::nullopt;
    uint64_t nameLength = 0, type = 0, size = 0;
    if (kind == 0) {
        nameLength = littleEndian(object, pos, 2);
        if (object.size() - pos < fixed + nameLength)
            return std::nullopt;
        type = littleEndian(object, pos + 2 + nameLength, 2);
        size = littleEndian(object, pos + 4 + nameLength, 2);
    } else {
        nameLength = littleEndian(object, pos + 4, 2);
        type = littleEndian(object, pos + 6, 2);
        size = littleEndian(object, pos + 8, 4);
    }
    uint64_t value = 0;
    switch (type) {
    case 0: // text
    case 1: // bytes
    case 6: // GUID
        value = size;
        break;
    case 2: // boolean
        value = kind == 0 ? 4 : 2;
        break;
    case 3: // 32-bit
        value = 4;
        break;
    case 4: // 64-bit
        value = 8;
        break;
    case 5: // 16-bit
        value = 2;
        break;
    default: // unknown: TagLib reads no value
        break;
    }
    const uint64_t total = fixed + nameLength + value;
    if (total > object.size() - pos)
        return std::nullopt;
    return static_cast<size_t>(total);
}

// TagLib reads an attribute list by its count, not by the object's size, and
// reads the next object where the list ends; the list must end exactly at the
// object's end, or TagLib would find objects that were never checked.
bool attributesFill(std::string_view object, size_t countAt, int kind)
{
    if (object.size() < countAt + 2)
        return false;
    size_t pos = countAt + 2;
    for (uint64_t count = littleEndian(object, countAt, 2); count > 0; --count) {
        const std::optional<size_t> length = attributeLength(object, pos, kind);
        if (!length)
            return false;
        pos += *length;
    }
    return pos == object.size();
}

// The objects in `objects` as TagLib walks them, checked; the number found, or
// nothing when one reaches beyond its room or TagLib would read it otherwise.
// TagLib reads the content descriptions only among the header's own objects
// and the metadata objects only inside the header extension; anywhere else it
// keeps them as opaque objects, so only there are they checked.
std::optional<uint64_t> objectsFit(std::string_view objects, bool inExtension)
{
    size_t pos = 0;
    uint64_t found = 0;
    while (objects.size() - pos >= ObjectHeader) {
        const std::string_view guid = objects.substr(pos, 16);
        const uint64_t size = littleEndian(objects, pos + 16, 8);
        if (size < ObjectHeader || size > objects.size() - pos)
            return std::nullopt;
        const std::string_view object = objects.substr(pos, static_cast<size_t>(size));
        bool fits = true;
        if (!inExtension && guid == ExtendedContentGuid) {
            fits = attributesFill(object, 24, 0);
        } else if (inExtension && (guid == MetadataGuid || guid == MetadataLibraryGuid)) {
            fits = attributesFill(object, 24, guid == MetadataGuid ? 1 : 2);
        } else if (!inExtension && guid == ContentDescriptionGuid) {
            uint64_t texts = 0;
            for (size_t i = 0; i < 5 && object.size() >= 34; ++i)
                texts += littleEndian(object, 24 + 2 * i, 2);
            fits = object.size() >= 34 && texts == object.size() - 34;
        } else if (!inExtension && guid == HeaderExtensionGuid) {
            fits = object.size() >= 46 && littleEndian(object, 42, 4) == object.size() - 46 &&
                   objectsFit(object.substr(46), true).has_value();
        }
        if (!fits)
            return std::nullopt;
        pos += static_cast<size_t>(size);
        ++found;
    }
    // TagLib reads the extension's objects until its data is used up.
    if (inExtension && pos != objects.size())
        return std::nullopt;
    return found;
}

// The ASF header object at the start of the file, whole; empty when the file
// does not start with one (or cannot be read). Its size is capped by the
// file's, so a damaged size field asks for no more than the file holds.
std::string readHeaderObject(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<int64_t>(in.tellg());
    std::string start(30, '\0');
    in.seekg(0);
    if (!in || fileSize < 30 || !in.read(start.data(), 30) || start.compare(0, 16, HeaderGuid) != 0)
        return {};
    const uint64_t headerSize = littleEndian(start, 16, 8);
    if (headerSize < 30 || headerSize > uint64_t(fileSize))
        return start; // refused by plausibleAsfHeader
    if (headerSize > MaxHeaderBytes)
        return {};
    std::string header = start;
    header.resize(static_cast<size_t>(headerSize));
    if (!in.read(header.data() + 30, static_cast<std::streamsize>(headerSize - 30)))
        return start;
    return header;
}

// False for an ASF header whose sizes or counts reach beyond what it holds or
// that TagLib would walk otherwise; true for anything else (TagLib then
// decides whether it is ASF).
bool plausibleAsfHeader(std::string_view header)
{
    if (header.size() < 30 || header.compare(0, 16, HeaderGuid) != 0)
        return true;
    if (littleEndian(header, 16, 8) != header.size())
        return false;
    // TagLib reads as many objects as the header counts, past its end if need be.
    const std::optional<uint64_t> found = objectsFit(header.substr(30), false);
    return found && littleEndian(header, 24, 4) <= *found;
}

} // namespace

struct WMAudioInfo::Impl {
    explicit Impl(const std::string& fileName)
    {
        const std::string header = readHeaderObject(fileName);
        if (header.size() >= 30 && plausibleAsfHeader(header))
            file = std::make_unique<TagLib::ASF::File>(fileName.c_str(), false);
    }
    Impl(const std::string& header, HeaderOnly)
    {
        if (header.size() < 30 || !plausibleAsfHeader(header))
            return;
        stream = std::make_unique<TagLib::ByteVectorStream>(
            TagLib::ByteVector(header.data(), static_cast<unsigned>(header.size())));
        file = std::make_unique<TagLib::ASF::File>(stream.get(), false);
    }
    std::unique_ptr<TagLib::ByteVectorStream> stream; // the header alone, in memory
    std::unique_ptr<TagLib::ASF::File> file;          // null for a damaged header
};

WMAudioInfo::WMAudioInfo(const std::string& fileName) : m_impl(std::make_unique<Impl>(fileName))
{
}

WMAudioInfo::WMAudioInfo(const std::string& header, HeaderOnly tag)
    : m_impl(std::make_unique<Impl>(header, tag))
{
}

std::string WMAudioInfo::headerObject(const std::string& fileName)
{
    return readHeaderObject(fileName);
}

std::string WMAudioInfo::header() const
{
    if (!m_impl->stream)
        return {};
    const TagLib::ByteVector& data = *m_impl->stream->data();
    return std::string(data.data(), data.size());
}

WMAudioInfo::~WMAudioInfo() = default;

bool WMAudioInfo::isOpen() const
{
    return m_impl->file && m_impl->file->isValid() && m_impl->file->tag() != nullptr;
}

std::optional<std::string> WMAudioInfo::text(const std::string& name, size_t maxBytes) const
{
    if (!isOpen())
        return std::nullopt;
    const TagLib::ASF::Tag& tag = *m_impl->file->tag(); // const: attribute() would insert
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
    const TagLib::ASF::Tag& tag = *m_impl->file->tag();
    const TagLib::ASF::AttributeList list = tag.attribute(fromUtf8(name));
    if (list.isEmpty() || list.front().type() != TagLib::ASF::Attribute::DWordType)
        return std::nullopt;
    return list.front().toUInt();
}

void WMAudioInfo::setText(const std::string& name, const std::string& value)
{
    if (!isOpen())
        return;
    TagLib::ASF::Tag& tag = *m_impl->file->tag();
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
        m_impl->file->tag()->setAttribute(fromUtf8(name), TagLib::ASF::Attribute(value));
}

void WMAudioInfo::setPicture(const Picture& picture)
{
    if (!isOpen())
        return;
    TagLib::ASF::Tag& tag = *m_impl->file->tag();
    tag.removeItem("WM/Picture");
    if (picture.empty())
        return;
    TagLib::ASF::Picture asf;
    asf.setType(TagLib::ASF::Picture::FrontCover);
    asf.setMimeType(fromUtf8(picture.mimeType));
    asf.setDescription(fromUtf8(picture.description));
    asf.setPicture(
        TagLib::ByteVector(picture.data.data(), static_cast<unsigned>(picture.data.size())));
    tag.setAttribute("WM/Picture", TagLib::ASF::Attribute(asf));
}

bool WMAudioInfo::save()
{
    return isOpen() && m_impl->file->save();
}

} // namespace brisklet::tags
