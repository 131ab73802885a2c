#include "lossless/vorbis_piece.h"

#include "audio/audioerror.h"
#include "audio/ogg_slim.h"

#include <algorithm>
#include <cstring>
#include <ogg/ogg.h>
#include <random>
#include <vorbis/codec.h>

namespace brisklet::lossless {

// One audio packet at a time, with the decoded position where its output ends.
struct VorbisStream::Walk {
    audio::OggSlimFile file; // a large comment header is never gathered
    ogg_sync_state sync{};
    ogg_stream_state stream{};
    vorbis_info info{};
    vorbis_comment comment{};
    bool streamReady = false;
    int headersSeen = 0;
    bool ended = false;
    long previousBlock = 0;

    // The packet last returned by next(): its bytes, and where its output
    // begins and ends in the decoded stream (before any trimming).
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> previousBytes; // the packet before it
    int64_t outputStart = 0;
    int64_t outputEnd = 0;
    int64_t pageGranule = -1; // granule position of the page the packet ends
    bool firstPage = true;    // the packet is on the first audio page
    bool endsPage = false;    // it is the last packet that ends on its page
    int64_t index = -1;
    std::vector<std::vector<uint8_t>> headers;

    explicit Walk(const std::string& path) : file(path)
    {
        ogg_sync_init(&sync);
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Walk()
    {
        if (streamReady)
            ogg_stream_clear(&stream);
        ogg_sync_clear(&sync);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    // The next packet of the first logical stream; false at its end.
    bool nextPacket(ogg_packet& packet, int64_t& granule)
    {
        for (;;) {
            if (streamReady && ogg_stream_packetout(&stream, &packet) == 1) {
                granule = packet.granulepos;
                return true;
            }
            if (ended)
                return false;
            ogg_page page;
            while (ogg_sync_pageout(&sync, &page) != 1) {
                char* buffer = ogg_sync_buffer(&sync, 1 << 16);
                const size_t got = file.read(buffer, 1 << 16);
                if (got == 0) {
                    ended = true;
                    return false;
                }
                ogg_sync_wrote(&sync, static_cast<long>(got));
            }
            if (!streamReady) {
                ogg_stream_init(&stream, ogg_page_serialno(&page));
                streamReady = true;
            }
            if (ogg_page_serialno(&page) != stream.serialno)
                continue; // another logical stream: not ours
            ogg_stream_pagein(&stream, &page);
            if (ogg_page_eos(&page))
                ended = true;
        }
    }

    // Reads the three headers; false when they are not Vorbis.
    bool readHeaders()
    {
        ogg_packet packet;
        int64_t granule = 0;
        while (headersSeen < 3 && nextPacket(packet, granule)) {
            if (vorbis_synthesis_headerin(&info, &comment, &packet) != 0)
                return false;
            headers.emplace_back(packet.packet, packet.packet + packet.bytes);
            ++headersSeen;
        }
        return headersSeen == 3;
    }

    bool next()
    {
        ogg_packet packet;
        int64_t granule = 0;
        if (!nextPacket(packet, granule))
            return false;
        const long block = vorbis_packet_blocksize(&info, &packet);
        if (block <= 0)
            return next(); // not an audio packet: the decoder skips it too
        previousBytes.swap(bytes);
        bytes.assign(packet.packet, packet.packet + packet.bytes);
        outputStart = outputEnd;
        if (previousBlock > 0)
            outputEnd += previousBlock / 4 + block / 4;
        previousBlock = block;
        firstPage = pageGranule < 0;
        endsPage = granule >= 0;
        if (endsPage)
            pageGranule = granule;
        ++index;
        return true;
    }
};

namespace {

// A comment header with the source's vendor string and no fields.
std::vector<uint8_t> emptyCommentHeader(const std::vector<uint8_t>& source)
{
    uint32_t vendorLength = 0;
    if (source.size() >= 11)
        std::memcpy(&vendorLength, &source[7], 4); // little-endian on every host we build for
    vendorLength = std::min<uint32_t>(vendorLength, static_cast<uint32_t>(source.size()) - 11);
    std::vector<uint8_t> out(source.begin(), source.begin() + 11 + vendorLength);
    std::memcpy(&out[7], &vendorLength, 4);
    out.insert(out.end(), {0, 0, 0, 0, 1}); // no fields, framing bit
    return out;
}

void writePage(base::OutputFile& out, const ogg_page& page)
{
    out.append(page.header, static_cast<size_t>(page.header_len));
    out.append(page.body, static_cast<size_t>(page.body_len));
}

} // namespace

VorbisStream::VorbisStream(const std::string& path) : m_path(path)
{
    restart();
    if (!m_walk->readHeaders()) {
        m_refusal = "not an Ogg Vorbis stream";
        return;
    }
    m_headers = m_walk->headers;
    m_comment = emptyCommentHeader(m_headers[1]);
    // The decoded length, and what the first audio page says it starts with.
    int64_t firstPageEnd = 0;
    int64_t firstGranule = -1;
    int64_t lastGranule = -1;
    while (m_walk->next()) {
        if (m_walk->firstPage && m_walk->endsPage) {
            firstPageEnd = m_walk->outputEnd;
            firstGranule = m_walk->pageGranule;
        }
        lastGranule = m_walk->pageGranule;
    }
    if (firstGranule < 0 || firstGranule > firstPageEnd) {
        m_refusal = "a stream that does not start at its beginning";
        return;
    }
    // Decoders drop what the first page holds beyond its granule position.
    m_startTrim = firstPageEnd - firstGranule;
    m_length = std::max<int64_t>(0, std::min(lastGranule, m_walk->outputEnd - m_startTrim));
    restart();
}

VorbisStream::~VorbisStream() = default;

void VorbisStream::restart()
{
    m_walk = std::make_unique<Walk>(m_path);
    if (!m_headers.empty())
        m_walk->readHeaders();
}

std::string VorbisStream::writePiece(int64_t start, int64_t end, base::OutputFile& out)
{
    if (!m_refusal.empty())
        return m_refusal;
    if (end > m_length)
        return "a piece beyond the end of the stream";
    const int64_t a = start + m_startTrim; // the piece in decoded positions
    const int64_t b = std::max(start, end) + m_startTrim;
    if (m_walk->index >= 0 && m_walk->outputStart > a)
        restart();
    if (b > a) {
        // The packet whose output holds the piece's start; the one before it
        // overlaps it and goes first.
        bool found = m_walk->index >= 0 && m_walk->outputEnd > a;
        while (!found && m_walk->next())
            found = m_walk->outputEnd > a;
        // The first audio page's granule position tells how much its packets'
        // output to drop, and the last page's how much to keep: they cannot
        // describe a piece that begins and ends inside one packet's output.
        if (!found || m_walk->outputEnd > b)
            return "a piece within one Vorbis packet";
    }

    ogg_stream_state stream;
    std::random_device random;
    ogg_stream_init(&stream, static_cast<int>(random()));
    ogg_packet packet{};
    ogg_page page;
    auto put = [&](const std::vector<uint8_t>& bytes, int64_t granule, bool last) {
        packet.packet = const_cast<unsigned char*>(bytes.data());
        packet.bytes = static_cast<long>(bytes.size());
        packet.granulepos = granule;
        packet.e_o_s = last ? 1 : 0;
        packet.b_o_s = packet.packetno == 0 ? 1 : 0;
        ogg_stream_packetin(&stream, &packet);
        ++packet.packetno;
    };
    auto flush = [&] {
        while (ogg_stream_flush(&stream, &page) != 0)
            writePage(out, page);
    };
    put(m_headers[0], 0, false);
    flush(); // the identification header has a page of its own
    put(m_comment, 0, false);
    put(m_headers[2], 0, b <= a);
    flush(); // audio starts on a fresh page

    if (b > a) {
        put(m_walk->previousBytes, 0, false);
        bool done = m_walk->outputEnd >= b;
        put(m_walk->bytes, std::min(m_walk->outputEnd, b) - a, false);
        flush();
        if (done && m_walk->next()) // the last page must be another one
            put(m_walk->bytes, b - a, true);
        while (!done && m_walk->next()) {
            done = m_walk->outputEnd >= b;
            put(m_walk->bytes, std::min(m_walk->outputEnd, b) - a, done);
            while (ogg_stream_pageout(&stream, &page) != 0)
                writePage(out, page);
        }
        flush();
    }
    ogg_stream_clear(&stream);
    out.throwIfFailed();
    return {};
}

} // namespace brisklet::lossless
