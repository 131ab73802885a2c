#include "tags/id3.h"

#include "tags/replacementfile.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace brisklet::tags {

namespace {

constexpr size_t HeaderSize = 10;
constexpr size_t StoredFrameBytes = 250; // at most this much of a frame is used
constexpr size_t WrittenValueBytes = 255;

// Frame slots in the order the frames are written.
enum Slot { TitleSlot, ArtistSlot, AlbumSlot, TrackSlot, YearSlot, GenreSlot, CommentSlot, Slots };
constexpr std::array<const char*, Slots> FrameIds = {"TIT2", "TPE1", "TALB", "TRCK",
                                                     "TYER", "TCON", "COMM"};
constexpr std::array<const char*, Slots> FrameIdsV22 = {"TT2", "TP1", "TAL", "TRK",
                                                        "TYE", "TCO", "COM"};

uint32_t byteAt(std::string_view bytes, size_t i)
{
    return static_cast<unsigned char>(bytes[i]);
}
uint32_t bigEndian(std::string_view bytes, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, i);
    return value;
}
uint32_t synchsafe(std::string_view bytes)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 7) | (byteAt(bytes, i) & 0x7F);
    return value;
}
bool isSynchsafe(std::string_view bytes)
{
    for (size_t i = 0; i < 4; ++i) {
        if (byteAt(bytes, i) & 0x80)
            return false;
    }
    return true;
}

// Undoes ID3 unsynchronisation: FF 00 becomes FF.
std::string removeUnsynchronisation(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (byteAt(data, i) == 0xFF && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    return out;
}

int slotFor(std::string_view id, int version)
{
    const auto& ids = version == 2 ? FrameIdsV22 : FrameIds;
    for (int slot = 0; slot < Slots; ++slot) {
        if (id == ids[static_cast<size_t>(slot)])
            return slot;
    }
    if (version >= 3 && id == "TDRC") // 2.4's recording time; some 2.3 writers use it too
        return YearSlot;
    return -1;
}

// One zero-terminated string of the given ID3 text encoding from the start of
// `bytes`, at most `budget` bytes of it, cut at a character boundary. `used`
// receives the bytes consumed including the terminator.
std::string decodeString(int encoding, std::string_view bytes, size_t budget, size_t* used)
{
    if (encoding == 1 || encoding == 2) {
        size_t end = 0;
        while (end + 1 < bytes.size() && (bytes[end] != 0 || bytes[end + 1] != 0))
            end += 2;
        if (used)
            *used = std::min(bytes.size(), end + 2);
        std::string_view text = bytes.substr(0, std::min(end, bytes.size()));
        bool big = encoding == 2;
        if (encoding == 1 && text.size() >= 2 &&
            (byteAt(text, 0) << 8 | byteAt(text, 1)) == 0xFEFF) {
            big = true;
            text.remove_prefix(2);
            budget = budget > 2 ? budget - 2 : 0; // the mark is part of the stored bytes
        } else if (encoding == 1 && text.size() >= 2 &&
                   (byteAt(text, 0) << 8 | byteAt(text, 1)) == 0xFFFE) {
            text.remove_prefix(2);
            budget = budget > 2 ? budget - 2 : 0;
        }
        size_t keep = std::min(text.size(), budget) & ~size_t(1);
        if (keep >= 2) { // a high surrogate without its partner goes
            const uint32_t last = big ? (byteAt(text, keep - 2) << 8 | byteAt(text, keep - 1))
                                      : (byteAt(text, keep - 1) << 8 | byteAt(text, keep - 2));
            if (last >= 0xD800 && last < 0xDC00)
                keep -= 2;
        }
        return utf16ToUtf8(text.substr(0, keep), big);
    }
    const size_t end = std::min(bytes.find('\0'), bytes.size());
    if (used)
        *used = std::min(bytes.size(), end + 1);
    const std::string_view text = bytes.substr(0, end);
    if (encoding == 3)
        return sanitizeUtf8(cutUtf8(text, budget));
    return latin1ToUtf8(text.substr(0, budget));
}

std::string decodeTextFrame(std::string_view data)
{
    if (data.empty())
        return {};
    return decodeString(byteAt(data, 0), data.substr(1), StoredFrameBytes - 1, nullptr);
}

// COMM: encoding, language, description, text. The description is dropped.
std::string decodeCommentFrame(std::string_view data)
{
    if (data.size() < 4)
        return {};
    const int encoding = static_cast<int>(byteAt(data, 0));
    size_t descriptionBytes = 0;
    decodeString(encoding, data.substr(4), StoredFrameBytes, &descriptionBytes);
    const size_t textStart = 4 + descriptionBytes;
    const size_t budget = textStart < StoredFrameBytes ? StoredFrameBytes - textStart : 0;
    return decodeString(encoding, data.substr(textStart), budget, nullptr);
}

// The frame data as stored, with 2.3/2.4 frame format flags undone; nothing
// for compressed or encrypted frames, which are passed over.
std::optional<std::string> frameContent(std::string_view data, uint32_t flags, int version,
                                        bool tagUnsynchronised)
{
    if (version == 3) {
        if (flags & 0x00C0)
            return std::nullopt;
        if (flags & 0x0020 && !data.empty()) // group identifier
            data.remove_prefix(1);
        return std::string(data);
    }
    if (version == 4) {
        if (flags & 0x000C)
            return std::nullopt;
        if (flags & 0x0040 && !data.empty())
            data.remove_prefix(1);
        if (flags & 0x0001) // data length indicator
            data.remove_prefix(std::min<size_t>(4, data.size()));
        if (flags & 0x0002 || tagUnsynchronised)
            return removeUnsynchronisation(data);
    }
    return std::string(data);
}

// Byte length of the first `count` characters of UTF-8 text.
size_t prefixOfCharacters(std::string_view utf8, size_t count)
{
    size_t pos = 0;
    for (; pos < utf8.size() && count > 0; --count) {
        ++pos;
        while (pos < utf8.size() && (byteAt(utf8, pos) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}

// The value in ISO-8859-1 (encoding 0) when all it can hold of it fits that
// character set, else in UTF-16 with a byte order mark (encoding 1). Either
// way at most 255 bytes of text are written, cut at a character boundary.
struct EncodedText {
    char encoding;
    std::string bytes;
};
EncodedText encodeText(std::string_view value)
{
    if (const auto latin1 =
            utf8ToLatin1(value.substr(0, prefixOfCharacters(value, WrittenValueBytes))))
        return {'\0', *latin1};
    const std::string units = utf8ToUtf16Le(value);
    size_t keep = std::min(units.size(), (WrittenValueBytes - 2) & ~size_t(1));
    if (keep < units.size() && keep >= 2) { // a surrogate pair is not split
        const uint32_t last = byteAt(units, keep - 1) << 8 | byteAt(units, keep - 2);
        if (last >= 0xD800 && last < 0xDC00)
            keep -= 2;
    }
    return {'\1', "\xFF\xFE" + units.substr(0, keep)};
}

// A frame's data: the encoding byte, for COMM the language "eng" and an empty
// description, then the text without a terminator.
std::string encodeValue(std::string_view value, bool withLanguage)
{
    const EncodedText text = encodeText(value);
    std::string data(1, text.encoding);
    if (withLanguage) {
        data += "eng";
        data += text.encoding == '\0' ? std::string(1, '\0') : "\xFF\xFE" + std::string(2, '\0');
    }
    return data + text.bytes;
}

void appendBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint64_t fileSizeOf(std::ifstream& in)
{
    in.seekg(0, std::ios::end);
    const auto size = static_cast<int64_t>(in.tellg());
    in.seekg(0);
    return size > 0 ? static_cast<uint64_t>(size) : 0;
}

std::string readAt(std::ifstream& in, uint64_t offset, size_t count)
{
    std::string bytes(count, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(in ? count : static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    in.clear();
    return bytes;
}

std::string latin1Field(std::string_view block, size_t offset, size_t width)
{
    const std::string_view field = block.substr(offset, width);
    return latin1ToUtf8(field.substr(0, std::min(field.find('\0'), field.size())));
}

// Where a 10-byte frame header may start: a frame identifier, padding or the
// tag's end.
bool isFrameStart(std::string_view data, size_t pos)
{
    if (pos >= data.size() || data[pos] == '\0')
        return pos <= data.size();
    if (data.size() - pos < HeaderSize)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        const char c = data[pos + i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// A version 2.4 frame's size is synchsafe, but some writers store it plain,
// as in version 2.3: take it plain when the synchsafe reading cannot be right
// and the plain one leads to the next frame.
size_t frameSizeV24(std::string_view data, size_t pos)
{
    const std::string_view sizeBytes = data.substr(pos + 4, 4);
    const size_t plain = bigEndian(sizeBytes, 4);
    if (!isSynchsafe(sizeBytes))
        return plain;
    const size_t safe = synchsafe(sizeBytes);
    if (plain != safe && !isFrameStart(data, pos + HeaderSize + safe) &&
        isFrameStart(data, pos + HeaderSize + plain))
        return plain;
    return safe;
}

// Tags up to this size are read whole; a larger one holds pictures or other
// bulk, whose frames are passed over unread.
constexpr uint64_t WholeTagLimit = 4 << 20;
constexpr uint64_t FrameLimit = 1 << 20;

// A large tag of version 2.3 or 2.4 without unsynchronisation or extended
// header, rebuilt of its frames up to FrameLimit; a header alone (no frames)
// for any other.
std::string smallFramesOf(std::ifstream& in, const std::string& header, uint64_t tagEnd)
{
    const int version = static_cast<int>(byteAt(header, 3));
    std::string frames;
    if ((version == 3 || version == 4) && (byteAt(header, 5) & 0xC0) == 0) {
        uint64_t pos = HeaderSize;
        while (tagEnd - pos >= HeaderSize) {
            const std::string frameHeader = readAt(in, pos, HeaderSize);
            if (frameHeader.size() < HeaderSize || !isFrameStart(frameHeader, 0) ||
                frameHeader[0] == '\0')
                break;
            const std::string_view sizeBytes = std::string_view(frameHeader).substr(4, 4);
            const uint64_t size = version == 4 && isSynchsafe(sizeBytes) ? synchsafe(sizeBytes)
                                                                         : bigEndian(sizeBytes, 4);
            if (size > tagEnd - pos - HeaderSize)
                break;
            if (size <= FrameLimit)
                frames += readAt(in, pos, static_cast<size_t>(HeaderSize + size));
            pos += HeaderSize + size;
        }
    }
    std::string tag = header;
    for (size_t i = 0; i < 4; ++i) // the new size, synchsafe
        tag[9 - i] = static_cast<char>((frames.size() >> (7 * i)) & 0x7F);
    return tag + frames;
}

} // namespace

ID3StructV1 ReadID3v1(const std::string& fileName)
{
    ID3StructV1 tag;
    std::ifstream in(fileName, std::ios::binary);
    const uint64_t size = in ? fileSizeOf(in) : 0;
    if (size < 128)
        return tag;
    const std::string block = readAt(in, size - 128, 128);
    if (block.size() != 128 || block.compare(0, 3, "TAG") != 0)
        return tag;
    tag.Title = latin1Field(block, 3, 30);
    tag.Artist = latin1Field(block, 33, 30);
    tag.Album = latin1Field(block, 63, 30);
    tag.Year = latin1Field(block, 93, 4);
    tag.Comment = latin1Field(block, 97, 28);
    tag.Genre = static_cast<uint8_t>(block[127]);
    return tag;
}

ID3StructV2 parseID3v2(std::string_view tagBytes)
{
    if (tagBytes.size() < HeaderSize || tagBytes.substr(0, 3) != "ID3")
        return {};
    const int version = static_cast<int>(byteAt(tagBytes, 3));
    const uint32_t tagFlags = byteAt(tagBytes, 5);
    if (version < 2 || version > 4 || (version == 2 && (tagFlags & 0x40)))
        return {}; // unknown layout, or 2.2's undefined compression
    const size_t tagSize = synchsafe(tagBytes.substr(6));
    if (tagSize > tagBytes.size() - HeaderSize)
        return {};
    std::string body(tagBytes.substr(HeaderSize, tagSize));
    if (version < 4 && (tagFlags & 0x80))
        body = removeUnsynchronisation(body);
    const std::string_view data = body;

    size_t pos = 0;
    if ((tagFlags & 0x40) && data.size() >= 4) // extended header
        pos = version == 3 ? 4 + size_t(bigEndian(data, 4)) : size_t(synchsafe(data));
    const size_t idLength = version == 2 ? 3 : 4;
    const size_t frameHeader = version == 2 ? 6 : 10;
    std::array<std::string, Slots> texts;
    while (pos < data.size() && data.size() - pos >= frameHeader) {
        const std::string_view header = data.substr(pos, frameHeader);
        if (header[0] == '\0')
            break; // padding
        const std::string_view sizeBytes = header.substr(idLength);
        const size_t size = version == 2   ? bigEndian(sizeBytes, 3)
                            : version == 3 ? bigEndian(sizeBytes, 4)
                                           : frameSizeV24(data, pos);
        if (size > data.size() - pos - frameHeader)
            break; // a frame reaching beyond the tag ends the reading
        const std::string_view frameData = data.substr(pos + frameHeader, size);
        const uint32_t frameFlags = version == 2 ? 0 : bigEndian(header.substr(8), 2);
        pos += frameHeader + size;
        const int slot = slotFor(header.substr(0, idLength), version);
        if (slot < 0)
            continue;
        const auto content =
            frameContent(frameData, frameFlags, version, version == 4 && (tagFlags & 0x80));
        if (!content)
            continue;
        texts[static_cast<size_t>(slot)] =
            slot == CommentSlot ? decodeCommentFrame(*content) : decodeTextFrame(*content);
    }

    ID3StructV2 tag;
    tag.Title = trimControl(texts[TitleSlot]);
    tag.Artist = trimControl(texts[ArtistSlot]);
    tag.Album = trimControl(texts[AlbumSlot]);
    tag.Track = trimControl(texts[TrackSlot]);
    tag.Year = trimControl(texts[YearSlot]);
    tag.Genre = trimControl(texts[GenreSlot]);
    tag.Comment = trimControl(texts[CommentSlot]);
    return tag;
}

ID3StructV2 ReadID3v2(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return {};
    const uint64_t fileSize = fileSizeOf(in);
    const std::string header = readAt(in, 0, HeaderSize);
    if (header.size() < HeaderSize || header.compare(0, 3, "ID3") != 0 ||
        !isSynchsafe(header.substr(6)))
        return {};
    const uint64_t tagEnd = uint64_t(synchsafe(header.substr(6))) + HeaderSize;
    if (tagEnd > fileSize)
        return {};
    if (tagEnd > WholeTagLimit)
        return parseID3v2(smallFramesOf(in, header, tagEnd));
    return parseID3v2(readAt(in, 0, static_cast<size_t>(tagEnd)));
}

size_t leadingID3v2Length(std::string_view head, uint64_t fileSize)
{
    if (head.size() < HeaderSize || head.substr(0, 3) != "ID3" || byteAt(head, 3) == 0xFF ||
        !isSynchsafe(head.substr(6)))
        return 0;
    size_t length = HeaderSize + synchsafe(head.substr(6));
    if (byteAt(head, 3) == 4 && (byteAt(head, 5) & 0x10))
        length += HeaderSize; // footer
    return length <= fileSize ? length : 0;
}

std::string renderID3v2(const ID3StructV2& tag, const std::string& extraFrames)
{
    const std::array<const std::string*, Slots> values = {
        &tag.Title, &tag.Artist, &tag.Album, &tag.Track, &tag.Year, &tag.Genre, &tag.Comment};
    std::string frames;
    for (size_t slot = 0; slot < Slots; ++slot) {
        const std::string data = encodeValue(*values[slot], slot == CommentSlot);
        frames += FrameIds[slot];
        appendBigEndian(frames, static_cast<uint32_t>(data.size()));
        frames += std::string(2, '\0'); // flags
        frames += data;
    }
    frames += extraFrames;
    frames += std::string(10, '\0'); // padding

    uint32_t size = static_cast<uint32_t>(frames.size());
    std::string header = "ID3\x03";
    header += std::string(2, '\0'); // revision, flags
    std::array<char, 4> sizeBytes{};
    for (int i = 3; i >= 0; --i) {
        sizeBytes[static_cast<size_t>(i)] = static_cast<char>(size & 0x7F);
        size >>= 7;
    }
    header.append(sizeBytes.data(), sizeBytes.size());
    return header + frames;
}

void WriteID3v2(const std::string& fileName, const ID3StructV2& tag, const std::string& extraFrames)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw TagError("Cannot open " + fileName + ": " + std::strerror(errno));
    const uint64_t fileSize = fileSizeOf(in);
    const size_t oldTag = leadingID3v2Length(readAt(in, 0, HeaderSize), fileSize);

    ReplacementFile replacement(fileName, "Cannot write the ID3 tag: ");
    std::ofstream out = replacement.openForWriting();
    const std::string rendered = renderID3v2(tag, extraFrames);
    out.write(rendered.data(), static_cast<std::streamsize>(rendered.size()));
    in.seekg(static_cast<std::streamoff>(oldTag));
    std::array<char, 1 << 16> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
        out.write(buffer.data(), in.gcount());
    if (in.bad())
        throw TagError("Cannot write the ID3 tag: cannot read " + fileName);
    replacement.closeWritten(out);
    replacement.commit();
}

} // namespace brisklet::tags
