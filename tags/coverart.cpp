// Cover pictures are found by walking each format's structure over the file,
// reading headers only, so that a stated size is checked before the bytes it
// covers are read.
#include "tags/coverart.h"

#include "tags/id3.h"
#include "tags/sourcetags.h"
#include "tags/tagcarryover.h"
#include "tags/tagerror.h"

#include <QByteArray>
#include <taglib/asffile.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>

namespace brisklet::tags {

namespace {

constexpr int kFrontCover = 3;
// What a picture's own header (type, MIME type, description) may add to it.
constexpr uint64_t kPictureHeaderSlack = 64 * 1024;

[[noreturn]] void refuseLarge(const std::string& fileName)
{
    throw TagError("The cover picture of " + fileName + " is larger than 16 MiB");
}

void checkStatedSize(uint64_t size, const std::string& fileName)
{
    if (size > kMaxPictureBytes + kPictureHeaderSlack)
        refuseLarge(fileName);
}

uint32_t bigEndian(const std::string& bytes, size_t at, size_t width = 4)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

uint32_t littleEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

uint32_t syncsafe(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 7) | (static_cast<unsigned char>(bytes[at + i]) & 0x7F);
    return value;
}

class Reader {
public:
    explicit Reader(const std::string& fileName) : m_in(fileName, std::ios::binary) {}
    bool ok() const { return static_cast<bool>(m_in); }
    // Exactly `count` bytes at the current position, or nothing.
    std::optional<std::string> read(uint64_t count)
    {
        std::string bytes(count, '\0');
        m_in.read(bytes.data(), static_cast<std::streamsize>(count));
        if (static_cast<uint64_t>(m_in.gcount()) != count)
            return std::nullopt;
        return bytes;
    }
    void seek(uint64_t offset) { m_in.seekg(static_cast<std::streamoff>(offset)); }
    uint64_t tell() { return static_cast<uint64_t>(m_in.tellg()); }
    void skip(uint64_t count) { m_in.seekg(static_cast<std::streamoff>(count), std::ios::cur); }
    uint64_t size()
    {
        const auto at = m_in.tellg();
        m_in.seekg(0, std::ios::end);
        const auto end = m_in.tellg();
        m_in.seekg(at);
        return static_cast<uint64_t>(end);
    }

private:
    std::ifstream m_in;
};

// Keeps the front cover, else the first picture offered.
struct Choice {
    Picture picture;
    bool front = false;
    void offer(Picture candidate, bool isFront)
    {
        if (candidate.empty() || front || (!picture.empty() && !isFront))
            return;
        picture = std::move(candidate);
        front = isFront;
    }
};

// ---- ID3v2 APIC (versions 2.3 and 2.4; 2.2 PIC) ----

Picture parseApic(const std::string& body, bool v22)
{
    if (body.size() < 4)
        return {};
    const int encoding = static_cast<unsigned char>(body[0]);
    Picture picture;
    size_t at = 1;
    if (v22) {
        const std::string format = body.substr(1, 3);
        picture.mimeType = format == "PNG" ? "image/png" : "image/jpeg";
        at = 4;
    } else {
        const size_t end = body.find('\0', 1);
        if (end == std::string::npos)
            return {};
        picture.mimeType = body.substr(1, end - 1);
        at = end + 1;
    }
    if (at >= body.size())
        return {};
    ++at; // the picture type
    const bool wide = encoding == 1 || encoding == 2;
    size_t end = at;
    while (end + (wide ? 1 : 0) < body.size() &&
           (body[end] != '\0' || (wide && body[end + 1] != '\0')))
        end += wide ? 2 : 1;
    if (end + (wide ? 1 : 0) >= body.size())
        return {};
    if (!wide)
        picture.description = body.substr(at, end - at);
    picture.data = body.substr(end + (wide ? 2 : 1));
    if (picture.mimeType.find('/') == std::string::npos)
        picture.mimeType = "image/" + picture.mimeType; // "jpeg" and the like
    return picture;
}

Picture readId3(const std::string& fileName)
{
    Reader in(fileName);
    const std::optional<std::string> header = in.read(10);
    if (!header || header->compare(0, 3, "ID3") != 0)
        return {};
    const int major = static_cast<unsigned char>((*header)[3]);
    const int flags = static_cast<unsigned char>((*header)[5]);
    if (major < 2 || major > 4 || (flags & 0x80)) // unsynchronised tags are left alone
        return {};
    const uint64_t end = 10 + syncsafe(*header, 6);
    if (flags & 0x40 && major >= 3) { // extended header
        const std::optional<std::string> size = in.read(4);
        if (!size)
            return {};
        in.seek(major == 4 ? 10 + syncsafe(*size, 0) : 14 + bigEndian(*size, 0));
    }
    const bool v22 = major == 2;
    const size_t headerSize = v22 ? 6 : 10;
    Choice choice;
    while (in.tell() + headerSize <= end) {
        const std::optional<std::string> frame = in.read(headerSize);
        if (!frame || (*frame)[0] == '\0')
            break; // padding
        const std::string id = frame->substr(0, v22 ? 3 : 4);
        const uint64_t size = v22          ? bigEndian(*frame, 3, 3)
                              : major == 4 ? syncsafe(*frame, 4)
                                           : bigEndian(*frame, 4);
        const int formatFlags = v22 ? 0 : static_cast<unsigned char>((*frame)[9]);
        // Compressed, encrypted or unsynchronised frames are skipped.
        const int unreadable = major == 4 ? 0x0F : 0xE0;
        if (id == (v22 ? "PIC" : "APIC") && !(formatFlags & unreadable)) {
            checkStatedSize(size, fileName);
            const std::optional<std::string> body = in.read(size);
            if (!body)
                break;
            Picture picture = parseApic(*body, v22);
            if (picture.data.size() > kMaxPictureBytes)
                refuseLarge(fileName);
            const size_t typeAt = v22 ? 4 : body->find('\0', 1) + 1;
            const bool front = typeAt < body->size() && (*body)[typeAt] == kFrontCover;
            choice.offer(std::move(picture), front);
        } else {
            in.skip(size);
        }
    }
    return choice.picture;
}

// ---- FLAC PICTURE blocks ----

Picture readFlac(const std::string& fileName)
{
    Reader in(fileName);
    const std::optional<std::string> head = in.read(10);
    if (!head)
        return {};
    in.seek(leadingID3v2Length(*head, in.size()));
    const std::optional<std::string> magic = in.read(4);
    if (!magic || *magic != "fLaC")
        return {};
    Choice choice;
    for (bool last = false; !last;) {
        const std::optional<std::string> block = in.read(4);
        if (!block)
            break;
        last = ((*block)[0] & 0x80) != 0;
        const int type = (*block)[0] & 0x7F;
        const uint32_t size = bigEndian(*block, 1, 3);
        if (type != 6) {
            in.skip(size);
            continue;
        }
        checkStatedSize(size, fileName);
        const std::optional<std::string> body = in.read(size);
        if (!body)
            break;
        Picture picture = parseFlacPictureBlock(*body);
        if (picture.data.size() > kMaxPictureBytes)
            refuseLarge(fileName);
        choice.offer(std::move(picture), body->size() >= 4 && bigEndian(*body, 0) == kFrontCover);
    }
    return choice.picture;
}

// ---- Ogg (Vorbis and Opus) METADATA_BLOCK_PICTURE comments ----

// The comment packet (the stream's second), its size checked from the page
// headers before its bytes are read.
std::optional<std::string> oggCommentPacket(const std::string& fileName)
{
    Reader in(fileName);
    struct Piece {
        uint64_t offset;
        uint64_t size;
    };
    std::vector<Piece> pieces;
    int packet = 0;
    uint64_t total = 0;
    while (packet < 2) {
        const std::optional<std::string> header = in.read(27);
        if (!header || header->compare(0, 4, "OggS") != 0)
            return std::nullopt;
        const std::optional<std::string> lacing =
            in.read(static_cast<unsigned char>((*header)[26]));
        if (!lacing)
            return std::nullopt;
        uint64_t at = in.tell();
        for (unsigned char value : *lacing) {
            if (packet == 1) {
                pieces.push_back({at, value});
                total += value;
            }
            at += value;
            if (value < 255 && ++packet == 2)
                break;
        }
        if (total > (kMaxPictureBytes + kPictureHeaderSlack) * 4 / 3)
            refuseLarge(fileName);
        in.seek(at); // the next page
    }
    std::string bytes;
    bytes.reserve(total);
    for (const Piece& piece : pieces) {
        in.seek(piece.offset);
        const std::optional<std::string> part = in.read(piece.size);
        if (!part)
            return std::nullopt;
        bytes += *part;
    }
    return bytes;
}

Picture readOgg(const std::string& fileName)
{
    const std::optional<std::string> packet = oggCommentPacket(fileName);
    if (!packet)
        return {};
    size_t at = packet->compare(0, 7, "\x03vorbis") == 0 ? 7
                : packet->compare(0, 8, "OpusTags") == 0 ? 8
                                                         : std::string::npos;
    if (at == std::string::npos || at + 4 > packet->size())
        return {};
    at += 4 + littleEndian32(*packet, at); // the vendor string
    if (at + 4 > packet->size())
        return {};
    const uint32_t count = littleEndian32(*packet, at);
    at += 4;
    const std::string name = "METADATA_BLOCK_PICTURE=";
    Choice choice;
    for (uint32_t i = 0; i < count && at + 4 <= packet->size(); ++i) {
        const uint32_t length = littleEndian32(*packet, at);
        at += 4;
        if (length > packet->size() - at)
            break;
        if (length > name.size() &&
            std::equal(name.begin(), name.end(), packet->begin() + static_cast<long>(at),
                       [](char a, char b) { return std::toupper(a) == std::toupper(b); })) {
            const QByteArray block = QByteArray::fromBase64(QByteArray::fromRawData(
                packet->data() + at + name.size(), static_cast<qsizetype>(length - name.size())));
            const std::string body(block.constData(), static_cast<size_t>(block.size()));
            Picture picture = parseFlacPictureBlock(body);
            if (picture.data.size() > kMaxPictureBytes)
                refuseLarge(fileName);
            choice.offer(std::move(picture), body.size() >= 4 && bigEndian(body, 0) == kFrontCover);
        }
        at += length;
    }
    return choice.picture;
}

// ---- WMA WM/Picture ----

Picture readAsf(const std::string& fileName)
{
    Reader in(fileName);
    const std::optional<std::string> header = in.read(24);
    if (!header)
        return {};
    // The header object, which holds every attribute, states its size first.
    uint64_t size = 0;
    for (size_t i = 8; i-- > 0;)
        size = (size << 8) | static_cast<unsigned char>((*header)[16 + i]);
    checkStatedSize(size, fileName);
    TagLib::ASF::File file(fileName.c_str(), false);
    if (!file.isValid() || !file.tag())
        return {};
    const TagLib::ASF::AttributeListMap& attributes = file.tag()->attributeListMap();
    auto found = attributes.find("WM/Picture");
    if (found == attributes.end())
        return {};
    Choice choice;
    for (const TagLib::ASF::Attribute& attribute : found->second) {
        const TagLib::ASF::Picture asf = attribute.toPicture();
        if (!asf.isValid())
            continue;
        Picture picture;
        picture.mimeType = asf.mimeType().to8Bit(true);
        picture.description = asf.description().to8Bit(true);
        picture.data.assign(asf.picture().data(), asf.picture().size());
        if (picture.data.size() > kMaxPictureBytes)
            refuseLarge(fileName);
        choice.offer(std::move(picture), asf.type() == TagLib::ASF::Picture::FrontCover);
    }
    return choice.picture;
}

// ---- M4A covr ----

// Finds the box `type` among the boxes in [from, to); its body's range.
std::optional<std::pair<uint64_t, uint64_t>> findBox(Reader& in, uint64_t from, uint64_t to,
                                                     const char* type)
{
    for (uint64_t at = from; at + 8 <= to;) {
        in.seek(at);
        const std::optional<std::string> header = in.read(8);
        if (!header)
            return std::nullopt;
        uint64_t size = bigEndian(*header, 0);
        uint64_t body = at + 8;
        if (size == 1) {
            const std::optional<std::string> large = in.read(8);
            if (!large)
                return std::nullopt;
            size = (static_cast<uint64_t>(bigEndian(*large, 0)) << 32) | bigEndian(*large, 4);
            body += 8;
        } else if (size == 0) {
            size = to - at;
        }
        if (size < body - at || at + size > to)
            return std::nullopt;
        if (header->compare(4, 4, type) == 0)
            return std::pair{body, at + size};
        at += size;
    }
    return std::nullopt;
}

Picture readMp4(const std::string& fileName)
{
    Reader in(fileName);
    if (!in.ok())
        return {};
    std::optional<std::pair<uint64_t, uint64_t>> box{{0, in.size()}};
    for (const char* type : {"moov", "udta", "meta", "ilst", "covr", "data"}) {
        // "meta" is a full box: a version and flags word precedes its boxes.
        const uint64_t skip = std::strcmp(type, "ilst") == 0 ? 4 : 0;
        box = findBox(in, box->first + skip, box->second, type);
        if (!box)
            return {};
    }
    // The data box: a type indicator (13 JPEG, 14 PNG), a locale, the image.
    if (box->second - box->first < 8)
        return {};
    checkStatedSize(box->second - box->first - 8, fileName);
    in.seek(box->first);
    const std::optional<std::string> body = in.read(box->second - box->first);
    if (!body)
        return {};
    Picture picture;
    picture.mimeType = bigEndian(*body, 0) == 14 ? "image/png" : "image/jpeg";
    picture.data = body->substr(8);
    if (picture.data.size() > kMaxPictureBytes)
        refuseLarge(fileName);
    return picture;
}

} // namespace

Picture parseFlacPictureBlock(const std::string& block)
{
    size_t at = 4;
    auto field = [&](std::string& out) {
        if (at + 4 > block.size())
            return false;
        const uint32_t length = bigEndian(block, at);
        at += 4;
        if (length > block.size() - at)
            return false;
        out = block.substr(at, length);
        at += length;
        return true;
    };
    Picture picture;
    if (!field(picture.mimeType) || !field(picture.description))
        return {};
    at += 16; // width, height, depth, colours
    if (!field(picture.data))
        return {};
    return picture;
}

std::string renderFlacPictureBlock(const Picture& picture)
{
    std::string block;
    auto number = [&](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            block.push_back(static_cast<char>((value >> shift) & 0xFF));
    };
    auto field = [&](const std::string& text) {
        number(static_cast<uint32_t>(text.size()));
        block += text;
    };
    number(kFrontCover);
    field(picture.mimeType);
    field(picture.description);
    for (int i = 0; i < 4; ++i)
        number(0); // width, height, depth, colours: unknown
    field(picture.data);
    return block;
}

std::string oggPictureComment(const Picture& picture)
{
    const std::string block = renderFlacPictureBlock(picture);
    const QByteArray base64 =
        QByteArray::fromRawData(block.data(), static_cast<qsizetype>(block.size())).toBase64();
    return "METADATA_BLOCK_PICTURE=" + base64.toStdString();
}

std::string renderApicFrame(const Picture& picture)
{
    // The description in ISO-8859-1 when it is ASCII, else dropped: only the
    // image matters to the players.
    const bool ascii = std::all_of(picture.description.begin(), picture.description.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string body;
    body.push_back('\0');
    body += picture.mimeType;
    body.push_back('\0');
    body.push_back(static_cast<char>(kFrontCover));
    if (ascii)
        body += picture.description;
    body.push_back('\0');
    body += picture.data;
    std::string frame = "APIC";
    const auto size = static_cast<uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((size >> shift) & 0xFF));
    frame += std::string(2, '\0');
    return frame + body;
}

Picture ReadPictureFile(const std::string& fileName)
{
    Reader in(fileName);
    if (!in.ok())
        throw TagError("Cannot open " + fileName);
    const uint64_t size = in.size();
    if (size > kMaxPictureBytes)
        throw TagError("The picture " + fileName + " is larger than 16 MiB");
    const std::optional<std::string> bytes = in.read(size);
    if (!bytes)
        throw TagError("Cannot read " + fileName);
    Picture picture;
    if (bytes->compare(0, 4, "\x89PNG") == 0)
        picture.mimeType = "image/png";
    else if (bytes->compare(0, 2, "\xFF\xD8") == 0)
        picture.mimeType = "image/jpeg";
    else if (bytes->compare(0, 4, "GIF8") == 0)
        picture.mimeType = "image/gif";
    else
        throw TagError(fileName + " is no JPEG, PNG or GIF image");
    picture.data = *bytes;
    return picture;
}

Picture ReadCoverPicture(const std::string& fileName)
{
    switch (tagFamilyOf(fileName)) {
    case TagFamily::Id3:
        return readId3(fileName);
    case TagFamily::Flac:
        return readFlac(fileName);
    case TagFamily::Vorbis:
    case TagFamily::Opus:
        return readOgg(fileName);
    case TagFamily::Asf:
        return readAsf(fileName);
    case TagFamily::Mp4:
        return readMp4(fileName);
    case TagFamily::None:
        break;
    }
    return {};
}

} // namespace brisklet::tags
