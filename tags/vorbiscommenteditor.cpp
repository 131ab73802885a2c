#include "tags/vorbiscommenteditor.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <ogg/ogg.h>
#include <vorbis/codec.h>

namespace brisklet::tags {

namespace {

constexpr size_t ReadChunk = 1 << 16;
// Comments are a few hundred bytes; headers beyond this hold pictures or other
// bulk, and are refused rather than gathered in memory.
constexpr long MaxHeaderBytes = 16 << 20;

// Pages of an Ogg file in order; bytes between pages are skipped.
class PageReader {
public:
    explicit PageReader(std::istream& in) : m_in(in) { ogg_sync_init(&m_sync); }
    ~PageReader() { ogg_sync_clear(&m_sync); }
    PageReader(const PageReader&) = delete;
    PageReader& operator=(const PageReader&) = delete;

    bool next(ogg_page& page)
    {
        for (;;) {
            const int result = ogg_sync_pageout(&m_sync, &page);
            if (result == 1)
                return true;
            if (result < 0)
                continue; // lost sync: libogg skips to the next capture pattern
            char* buffer = ogg_sync_buffer(&m_sync, ReadChunk);
            m_in.read(buffer, ReadChunk);
            const auto got = m_in.gcount();
            if (got <= 0)
                return false;
            ogg_sync_wrote(&m_sync, static_cast<long>(got));
        }
    }

private:
    std::istream& m_in;
    ogg_sync_state m_sync;
};

class StreamState {
public:
    explicit StreamState(int serial) { ogg_stream_init(&m_state, serial); }
    ~StreamState() { ogg_stream_clear(&m_state); }
    StreamState(const StreamState&) = delete;
    StreamState& operator=(const StreamState&) = delete;
    ogg_stream_state* get() { return &m_state; }

private:
    ogg_stream_state m_state;
};

bool hasVorbisSignature(const std::string& packet, char type)
{
    return packet.size() >= 7 && packet[0] == type && packet.compare(1, 6, "vorbis") == 0;
}

uint32_t littleEndian32(const std::string& bytes, size_t pos)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= uint32_t(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
    return value;
}

bool isVorbisStart(const ogg_page& page)
{
    return ogg_page_bos(&page) && page.body_len >= 7 && page.body[0] == 1 &&
           std::memcmp(page.body + 1, "vorbis", 6) == 0;
}

// Gathers pages into large writes: a stream writes a piece of 1 KiB or more
// at once, a system call for every page.
class PageWriter {
public:
    explicit PageWriter(std::ostream& out) : m_out(out) { m_pending.reserve(BlockBytes); }

    void write(const ogg_page& page)
    {
        m_pending.append(reinterpret_cast<const char*>(page.header),
                         static_cast<size_t>(page.header_len));
        m_pending.append(reinterpret_cast<const char*>(page.body),
                         static_cast<size_t>(page.body_len));
        if (m_pending.size() >= BlockBytes)
            flush();
    }

    void flush()
    {
        m_out.write(m_pending.data(), static_cast<std::streamsize>(m_pending.size()));
        m_pending.clear();
    }

private:
    static constexpr size_t BlockBytes = 1 << 16;
    std::ostream& m_out;
    std::string m_pending;
};

void appendLittle32(std::string& bytes, size_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// The vendor string libvorbis writes, taken from an empty comment header so
// rewritten files name the same encoder library as before.
const std::string& libraryVendor()
{
    static const std::string vendor = [] {
        vorbis_comment block;
        vorbis_comment_init(&block);
        ogg_packet packet;
        std::string text;
        if (vorbis_commentheader_out(&block, &packet) == 0) {
            const std::string bytes(reinterpret_cast<const char*>(packet.packet),
                                    static_cast<size_t>(packet.bytes));
            if (bytes.size() >= 11 && 11 + littleEndian32(bytes, 7) <= bytes.size())
                text = bytes.substr(11, littleEndian32(bytes, 7));
            ogg_packet_clear(&packet);
        }
        vorbis_comment_clear(&block);
        return text;
    }();
    return vendor;
}

// Built here rather than by libvorbis, whose bit packer grows its buffer 256
// bytes at a time: a comment holding a picture would be copied over and over.
std::string buildCommentPacket(const std::vector<std::string>& comments)
{
    size_t size = 7 + 4 + libraryVendor().size() + 4 + 1;
    for (const std::string& comment : comments)
        size += 4 + comment.size();
    if (size > UINT32_MAX)
        throw OggFormatError("the comment header cannot be built");
    std::string bytes;
    bytes.reserve(size);
    bytes += "\x03vorbis";
    appendLittle32(bytes, libraryVendor().size());
    bytes += libraryVendor();
    appendLittle32(bytes, comments.size());
    for (const std::string& comment : comments) {
        appendLittle32(bytes, comment.size());
        bytes += comment;
    }
    bytes.push_back('\x01'); // framing bit
    return bytes;
}

} // namespace

struct VorbisCommentEditor::State {
    explicit State(std::istream& in) : reader(in) {}
    PageReader reader;
    int serial = 0;
    long headerPages = 0;
    std::array<std::string, 3> headers; // identification, comment, setup
    bool audioOnHeaderPage = false;
    bool multiplexed = false; // other streams beside the Vorbis one
};

VorbisCommentEditor::VorbisCommentEditor(std::istream& in) : m_state(std::make_unique<State>(in))
{
    State& s = *m_state;
    ogg_page page;
    if (!s.reader.next(page))
        throw OggFormatError("not an Ogg file");
    if (!ogg_page_bos(&page))
        throw OggFormatError("the file does not begin with an Ogg stream");
    // Every stream of a multiplexed file (Theora beside Vorbis, say) begins
    // before any carries data; the Vorbis one is read, the others skipped. Its
    // identification header is alone on its first page.
    while (!isVorbisStart(page)) {
        if (!s.reader.next(page) || !ogg_page_bos(&page))
            throw OggFormatError("not an Ogg Vorbis file");
        s.multiplexed = true;
    }
    s.serial = ogg_page_serialno(&page);
    StreamState stream(s.serial);
    ogg_stream_pagein(stream.get(), &page);
    s.headerPages = 1;
    long headerBytes = page.body_len;
    size_t found = 0;
    for (;;) {
        ogg_packet packet;
        while (found < s.headers.size()) {
            const int result = ogg_stream_packetout(stream.get(), &packet);
            if (result == 0)
                break;
            if (result < 0)
                throw OggFormatError("the Vorbis headers are damaged");
            s.headers[found++].assign(reinterpret_cast<const char*>(packet.packet),
                                      static_cast<size_t>(packet.bytes));
        }
        if (found == s.headers.size()) {
            s.audioOnHeaderPage = ogg_stream_packetpeek(stream.get(), nullptr) != 0;
            break;
        }
        if (!s.reader.next(page))
            throw OggFormatError("the file ends inside the Vorbis headers");
        if (ogg_page_serialno(&page) != s.serial) {
            s.multiplexed = true;
            continue;
        }
        headerBytes += page.body_len;
        if (headerBytes > MaxHeaderBytes)
            throw OggFormatError("the Vorbis headers are larger than 16 MiB");
        ogg_stream_pagein(stream.get(), &page);
        ++s.headerPages;
    }
    if (!hasVorbisSignature(s.headers[0], 1) || !hasVorbisSignature(s.headers[1], 3) ||
        !hasVorbisSignature(s.headers[2], 5))
        throw OggFormatError("not an Ogg Vorbis file");
}

VorbisCommentEditor::~VorbisCommentEditor() = default;

std::vector<std::string> VorbisCommentEditor::comments() const
{
    return parseCommentPacket(m_state->headers[1]);
}

void VorbisCommentEditor::write(std::ostream& out, const std::vector<std::string>& comments)
{
    State& s = *m_state;
    if (s.multiplexed)
        throw OggFormatError("multiplexed Ogg streams are not supported");
    if (s.audioOnHeaderPage)
        throw OggFormatError("audio data shares a page with the Vorbis headers");
    const std::string commentPacket = buildCommentPacket(comments);
    const std::array<const std::string*, 3> packets = {&s.headers[0], &commentPacket,
                                                       &s.headers[2]};

    PageWriter writer(out);
    StreamState stream(s.serial);
    long newHeaderPages = 0;
    ogg_page page;
    for (size_t i = 0; i < packets.size(); ++i) {
        ogg_packet packet{};
        packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(packets[i]->data()));
        packet.bytes = static_cast<long>(packets[i]->size());
        packet.b_o_s = i == 0;
        packet.packetno = static_cast<ogg_int64_t>(i);
        ogg_stream_packetin(stream.get(), &packet);
        if (i == 1)
            continue; // the comment and setup packets share their pages
        while (ogg_stream_flush(stream.get(), &page) != 0) {
            writer.write(page);
            ++newHeaderPages;
        }
    }

    bool first = true;
    while (s.reader.next(page)) {
        if (ogg_page_serialno(&page) != s.serial || ogg_page_bos(&page))
            throw OggFormatError("chained or multiplexed Ogg streams are not supported");
        if (first && ogg_page_continued(&page))
            throw OggFormatError("audio data shares a page with the Vorbis headers");
        first = false;
        // Renumbered only when the header takes another number of pages.
        if (newHeaderPages != s.headerPages) {
            const uint32_t sequence =
                static_cast<uint32_t>(ogg_page_pageno(&page) - s.headerPages + newHeaderPages);
            for (int i = 0; i < 4; ++i)
                page.header[18 + i] = static_cast<unsigned char>(sequence >> (8 * i));
            ogg_page_checksum_set(&page);
        }
        writer.write(page);
    }
    writer.flush();
    if (!out)
        throw OggFormatError("the new file cannot be written");
}

std::vector<std::string> parseCommentPacket(const std::string& packet)
{
    const OggFormatError damaged("the comment header is damaged");
    size_t pos = 7;
    auto take32 = [&]() {
        if (packet.size() - pos < 4)
            throw damaged;
        const uint32_t value = littleEndian32(packet, pos);
        pos += 4;
        return size_t(value);
    };
    if (!hasVorbisSignature(packet, 3))
        throw damaged;
    const size_t vendorLength = take32();
    if (vendorLength > packet.size() - pos)
        throw damaged;
    pos += vendorLength;
    const size_t count = take32();
    if (count > (packet.size() - pos) / 4)
        throw damaged;
    std::vector<std::string> comments;
    comments.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t length = take32();
        if (length > packet.size() - pos)
            throw damaged;
        comments.push_back(packet.substr(pos, length));
        pos += length;
    }
    return comments;
}

} // namespace brisklet::tags
