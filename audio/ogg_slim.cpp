#include "audio/ogg_slim.h"

#include "audio/audioerror.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace brisklet::audio {

namespace {

constexpr size_t kPageHeader = 27;
constexpr size_t kVendorPrefix = 4096;    // of the comment header: where the vendor is
constexpr size_t kLargestSetup = 1 << 20; // a Vorbis setup header is a few kilobytes

uint32_t le32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

void putLe32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xff);
}

bool readAt(std::FILE* file, int64_t at, std::string& out, size_t bytes)
{
    out.resize(bytes);
    return fseeko(file, at, SEEK_SET) == 0 && std::fread(out.data(), 1, bytes, file) == bytes;
}

// Whether a page (its header `headerSize` bytes long) is as its checksum says;
// a file whose first page is not is left as it is.
bool checksumHolds(std::string page, size_t headerSize)
{
    const std::string stated = page.substr(22, 4);
    ogg_page view{reinterpret_cast<unsigned char*>(page.data()), static_cast<long>(headerSize),
                  reinterpret_cast<unsigned char*>(page.data() + headerSize),
                  static_cast<long>(page.size() - headerSize)};
    ogg_page_checksum_set(&view);
    return page.compare(22, 4, stated) == 0;
}

// What the header pages of the file's first stream hold, read without
// gathering the comment header.
struct HeaderScan {
    std::string firstPage;    // the identification header's page, as it is
    bool vorbis = false;      // else Opus
    std::string commentStart; // the comment header's first bytes
    int64_t commentBytes = 0;
    std::string setup;  // Vorbis only
    int pages = 0;      // after the first
    int64_t resume = 0; // the first byte after the header pages
};

std::optional<HeaderScan> scanHeaders(std::FILE* file)
{
    HeaderScan scan;
    std::string header;
    std::string lacing;
    if (!readAt(file, 0, header, kPageHeader) || header.compare(0, 4, "OggS") != 0 ||
        (header[5] & 0x02) == 0)
        return std::nullopt;
    const uint32_t serial = le32(header, 14);
    size_t segments = static_cast<uint8_t>(header[26]);
    if (segments == 0 || !readAt(file, kPageHeader, lacing, segments))
        return std::nullopt;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) {
        const auto value = static_cast<uint8_t>(lacing[i]);
        body += value;
        // The identification header is the first page's one packet.
        if ((value < 255) != (i + 1 == segments))
            return std::nullopt;
    }
    if (!readAt(file, 0, scan.firstPage, kPageHeader + segments + body) ||
        !checksumHolds(scan.firstPage, kPageHeader + segments))
        return std::nullopt;
    const std::string identification = scan.firstPage.substr(kPageHeader + segments);
    scan.vorbis = identification.compare(0, 7, "\x01vorbis") == 0;
    if (!scan.vorbis && identification.compare(0, 8, "OpusHead") != 0)
        return std::nullopt;

    const int lastPacket = scan.vorbis ? 2 : 1; // comment, then setup
    int packet = 1;
    int64_t offset = static_cast<int64_t>(scan.firstPage.size());
    while (packet <= lastPacket) {
        if (!readAt(file, offset, header, kPageHeader) || header.compare(0, 4, "OggS") != 0 ||
            le32(header, 14) != serial || (header[5] & 0x02) != 0)
            return std::nullopt;
        segments = static_cast<uint8_t>(header[26]);
        if (!readAt(file, offset + static_cast<int64_t>(kPageHeader), lacing, segments))
            return std::nullopt;
        int64_t at = offset + static_cast<int64_t>(kPageHeader + segments);
        ++scan.pages;
        for (size_t i = 0; i < segments; ++i) {
            if (packet > lastPacket)
                return std::nullopt; // audio on a header page
            const auto value = static_cast<uint8_t>(lacing[i]);
            std::string bytes;
            if (packet == 1 && scan.commentStart.size() < kVendorPrefix) {
                if (!readAt(file, at, bytes, value))
                    return std::nullopt;
                scan.commentStart += bytes;
            } else if (packet == 2) {
                if (scan.setup.size() + value > kLargestSetup || !readAt(file, at, bytes, value))
                    return std::nullopt;
                scan.setup += bytes;
            }
            if (packet == 1)
                scan.commentBytes += value;
            at += value;
            if (value < 255)
                ++packet;
        }
        offset = at;
    }
    scan.resume = offset;
    return scan;
}

// The comment header with no comments and the vendor kept, padded so that it
// and the setup header fill `pages` pages of at least one segment each.
std::string emptyComment(const HeaderScan& scan)
{
    const size_t vendorAt = scan.vorbis ? 11 : 12;
    std::string vendor;
    if (scan.commentStart.size() >= vendorAt) {
        const uint32_t length = le32(scan.commentStart, vendorAt - 4);
        if (length <= scan.commentStart.size() - vendorAt)
            vendor = scan.commentStart.substr(vendorAt, length);
    }
    std::string comment = scan.vorbis ? std::string("\x03vorbis", 7) : std::string("OpusTags");
    putLe32(comment, static_cast<uint32_t>(vendor.size()));
    comment += vendor;
    putLe32(comment, 0);
    if (scan.vorbis)
        comment += '\x01'; // the framing bit; what follows it is not read
    const int64_t setupSegments =
        scan.vorbis ? static_cast<int64_t>(scan.setup.size() / 255 + 1) : 0;
    const int64_t wanted = std::max<int64_t>(1, scan.pages - setupSegments);
    if (static_cast<int64_t>(comment.size() / 255 + 1) < wanted)
        comment.resize(static_cast<size_t>(255 * (wanted - 1)), '\0');
    return comment;
}

struct Segment {
    size_t packet; // 0: comment, 1: setup
    size_t at;
    uint8_t length;
};

std::vector<Segment> segmentsOf(const std::vector<std::string>& packets)
{
    std::vector<Segment> segments;
    for (size_t p = 0; p < packets.size(); ++p) {
        size_t at = 0;
        for (;;) {
            const auto length = static_cast<uint8_t>(std::min<size_t>(255, packets[p].size() - at));
            segments.push_back({p, at, length});
            at += length;
            if (length < 255)
                break;
        }
    }
    return segments;
}

// The header pages after the first, as many as the file has, with the
// comment header left empty.
std::optional<std::string> slimHeaderPages(const HeaderScan& scan)
{
    std::vector<std::string> packets{emptyComment(scan)};
    if (scan.vorbis)
        packets.push_back(scan.setup);
    const std::vector<Segment> segments = segmentsOf(packets);
    const auto pages = static_cast<size_t>(scan.pages);
    if (segments.size() < pages || segments.size() > 255 * pages)
        return std::nullopt;
    const uint32_t serial = le32(scan.firstPage, 14);
    const uint32_t firstSequence = le32(scan.firstPage, 18) + 1;
    std::string out;
    size_t next = 0;
    for (size_t page = 0; page < pages; ++page) {
        // As few segments as leave the pages after this one no more than
        // they can hold, and at least one.
        const auto remaining = static_cast<int64_t>(segments.size() - next);
        const auto after = static_cast<int64_t>(pages - page - 1);
        const auto count = static_cast<size_t>(std::max<int64_t>(1, remaining - 255 * after));
        const bool continued = next > 0 && segments[next - 1].length == 255;
        std::string header("OggS\0", 5);
        header += static_cast<char>(continued ? 0x01 : 0x00);
        bool packetEnds = false;
        std::string lacing;
        std::string body;
        for (size_t s = next; s < next + count; ++s) {
            lacing += static_cast<char>(segments[s].length);
            body += packets[segments[s].packet].substr(segments[s].at, segments[s].length);
            packetEnds = packetEnds || segments[s].length < 255;
        }
        next += count;
        const int64_t granule = packetEnds ? 0 : -1;
        for (int i = 0; i < 8; ++i)
            header += static_cast<char>(static_cast<uint64_t>(granule) >> (8 * i) & 0xff);
        putLe32(header, serial);
        putLe32(header, firstSequence + static_cast<uint32_t>(page));
        putLe32(header, 0); // the checksum, set below
        header += static_cast<char>(count);
        header += lacing;
        ogg_page view{
            reinterpret_cast<unsigned char*>(header.data()), static_cast<long>(header.size()),
            reinterpret_cast<unsigned char*>(body.data()), static_cast<long>(body.size())};
        ogg_page_checksum_set(&view);
        out += header;
        out += body;
    }
    return out;
}

} // namespace

OggSlimFile::OggSlimFile(const std::string& path, int64_t largeComment)
    : m_file(std::fopen(path.c_str(), "rb"))
{
    if (!m_file)
        throw AudioError("cannot open " + path + ": " + std::strerror(errno));
    if (fseeko(m_file.get(), 0, SEEK_END) != 0)
        throw AudioError("cannot read " + path + ": " + std::strerror(errno));
    m_fileSize = ftello(m_file.get());
    const std::optional<HeaderScan> scan = scanHeaders(m_file.get());
    if (scan && scan->commentBytes >= largeComment) {
        if (std::optional<std::string> pages = slimHeaderPages(*scan)) {
            m_head = scan->firstPage + *pages;
            m_resume = scan->resume;
        }
    }
}

size_t OggSlimFile::read(void* buffer, size_t bytes)
{
    auto* out = static_cast<char*>(buffer);
    size_t got = 0;
    const auto headSize = static_cast<int64_t>(m_head.size());
    if (m_position < headSize) {
        const size_t n = std::min<size_t>(bytes, static_cast<size_t>(headSize - m_position));
        std::memcpy(out, m_head.data() + m_position, n);
        got += n;
        m_position += static_cast<int64_t>(n);
    }
    if (got == bytes)
        return got;
    const int64_t at = m_resume + (m_position - headSize);
    if (at != m_filePosition && fseeko(m_file.get(), at, SEEK_SET) != 0) {
        m_filePosition = -1;
        return got;
    }
    const size_t n = std::fread(out + got, 1, bytes - got, m_file.get());
    m_filePosition = at + static_cast<int64_t>(n);
    m_position += static_cast<int64_t>(n);
    return got + n;
}

int OggSlimFile::seek(int64_t offset, int whence)
{
    const int64_t size = static_cast<int64_t>(m_head.size()) + (m_fileSize - m_resume);
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m_position : size;
    if (base + offset < 0)
        return -1;
    m_position = base + offset;
    return 0;
}

} // namespace brisklet::audio
