#include "audio/sourceprobe.h"

#include "audio/audioerror.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace brisklet::audio {

namespace {

constexpr size_t kMpegSearchBytes = 64 * 1024;
constexpr int kMpegFramesWanted = 4;

struct MpegHeader {
    int version = 0; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 0;   // 1, 2 or 3
    int sampleRate = 0;
    int frameBytes = 0;
};

bool parseMpegHeader(const unsigned char* p, MpegHeader& h)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    int version = (p[1] >> 3) & 3;
    int layerBits = (p[1] >> 1) & 3;
    int bitrateIndex = p[2] >> 4;
    int rateIndex = (p[2] >> 2) & 3;
    // Free-format streams (bitrate index 0) are too rare to be worth the risk
    // of taking random bytes for one.
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[3] = {44100, 48000, 32000};
    h.version = version;
    h.layer = 4 - layerBits;
    bool mpeg1 = version == 3;
    h.sampleRate = kRates[rateIndex] >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
    int bitrate = kBitrates[mpeg1 ? 0 : 1][h.layer - 1][bitrateIndex] * 1000;
    int padding = (p[2] >> 1) & 1;
    if (h.layer == 1)
        h.frameBytes = (12 * bitrate / h.sampleRate + padding) * 4;
    else if (h.layer == 3 && !mpeg1)
        h.frameBytes = 72 * bitrate / h.sampleRate + padding;
    else
        h.frameBytes = 144 * bitrate / h.sampleRate + padding;
    return h.frameBytes > 4;
}

bool chainFrom(const std::string& bytes, size_t start, bool reachesEndOfFile)
{
    auto data = reinterpret_cast<const unsigned char*>(bytes.data());
    MpegHeader first;
    size_t pos = start;
    for (int n = 0; n < kMpegFramesWanted; ++n) {
        if (n > 0 && pos == bytes.size() && reachesEndOfFile)
            return true; // a short stream that ends exactly after its last frame
        if (n > 0 && reachesEndOfFile && pos + 3 <= bytes.size() &&
            bytes.compare(pos, 3, "TAG") == 0)
            return true; // ... or at its ID3v1 tag
        MpegHeader h;
        if (pos + 4 > bytes.size() || !parseMpegHeader(data + pos, h))
            return false;
        if (n == 0)
            first = h;
        else if (h.version != first.version || h.layer != first.layer ||
                 h.sampleRate != first.sampleRate)
            return false;
        pos += static_cast<size_t>(h.frameBytes);
    }
    return true;
}

std::string lowerExtension(const std::string& path)
{
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string readAt(std::ifstream& in, std::streamoff offset, size_t count)
{
    std::string bytes(count, '\0');
    in.clear();
    in.seekg(offset);
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    return bytes;
}

// Size of an ID3v2 tag at the start of `head`, 0 when there is none.
std::streamoff id3v2Size(const std::string& head)
{
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
        return 0;
    auto b = [&](size_t i) { return static_cast<unsigned char>(head[i]); };
    if ((b(6) | b(7) | b(8) | b(9)) & 0x80)
        return 0;
    std::streamoff size = (b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9);
    bool footer = (b(5) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

bool isMpegFile(std::ifstream& in, const std::string& head, std::streamoff fileSize)
{
    std::streamoff start = id3v2Size(head);
    if (start >= fileSize)
        return false;
    std::string bytes = readAt(in, start, kMpegSearchBytes);
    bool reachesEnd = start + static_cast<std::streamoff>(bytes.size()) >= fileSize;
    return looksLikeMpegStream(bytes, reachesEnd);
}

uint32_t bigEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Whether the first packet of an Ogg stream (its first page read whole, or
// as much of it as there is) is an Opus identification header.
bool isOggOpus(const std::string& page)
{
    if (page.size() < 27)
        return false;
    const size_t body = 27 + static_cast<unsigned char>(page[26]);
    return page.size() >= body + 8 && page.compare(body, 8, "OpusHead") == 0;
}

} // namespace

MpegHeaderLength mpegHeaderLength(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return MpegHeaderLength::Absent;
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    const std::streamoff start = id3v2Size(readAt(in, 0, 16));
    // The first frame, where the encoder puts the header.
    const std::string frame = readAt(in, start, 256);
    MpegHeader header;
    if (frame.size() < 4 ||
        !parseMpegHeader(reinterpret_cast<const unsigned char*>(frame.data()), header) ||
        header.layer != 3)
        return MpegHeaderLength::Absent;
    const bool mono = (static_cast<unsigned char>(frame[3]) >> 6) == 3;
    // After the side information, whose size depends on the version and mode.
    const size_t at = 4 + (header.version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (frame.size() < at + 16 ||
        (frame.compare(at, 4, "Xing") != 0 && frame.compare(at, 4, "Info") != 0))
        return MpegHeaderLength::Absent;
    const uint32_t flags = bigEndian32(frame, at + 4);
    constexpr uint32_t HasFrames = 1, HasBytes = 2;
    if ((flags & (HasFrames | HasBytes)) != (HasFrames | HasBytes))
        return MpegHeaderLength::Absent;
    const uint32_t streamBytes = bigEndian32(frame, at + 12);
    if (streamBytes == 0)
        return MpegHeaderLength::Absent;
    const std::streamoff end = start + static_cast<std::streamoff>(streamBytes);
    if (fileSize < end)
        return MpegHeaderLength::CutShort;
    // Frames right after the counted ones (streams joined end to end, perhaps
    // at another rate): the header knows only the first, so it is not whole.
    const std::string after = readAt(in, end, 8192);
    const bool reachesEndOfFile = end + static_cast<std::streamoff>(after.size()) >= fileSize;
    for (size_t pos = 0; pos < std::min<size_t>(after.size(), 64); ++pos) {
        if (static_cast<unsigned char>(after[pos]) == 0xFF &&
            chainFrom(after, pos, reachesEndOfFile))
            return MpegHeaderLength::Continued;
    }
    return MpegHeaderLength::Whole;
}

bool looksLikeMpegStream(const std::string& bytes, bool reachesEndOfFile)
{
    for (size_t pos = 0; pos + 4 <= bytes.size(); ++pos) {
        if (static_cast<unsigned char>(bytes[pos]) == 0xFF &&
            chainFrom(bytes, pos, reachesEndOfFile))
            return true;
    }
    return false;
}

void requireRegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw AudioError("cannot open " + path + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        throw AudioError("cannot open " + path + ": it is a folder");
    if (!S_ISREG(info.st_mode))
        throw AudioError("cannot open " + path + ": it is not a regular file");
}

SourceKind probeSource(const std::string& path)
{
    requireRegularFile(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw AudioError("cannot open " + path + ": " + std::strerror(errno));
    // A folder opens like a file here; its reason is what the user must hear.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw AudioError("cannot open " + path + ": is a folder");
    in.seekg(0, std::ios::end);
    std::streamoff fileSize = in.tellg();
    if (fileSize <= 0)
        return SourceKind::Unsupported;
    std::string head = readAt(in, 0, 16);
    auto startsWith = [&](const char* magic, size_t length) {
        return head.size() >= length && std::memcmp(head.data(), magic, length) == 0;
    };
    if (startsWith("RIFF", 4) || startsWith("RF64", 4) || startsWith("FORM", 4))
        return SourceKind::Sndfile;
    if (startsWith("fLaC", 4))
        return SourceKind::Flac;
    if (startsWith("OggS", 4))
        return isOggOpus(readAt(in, 0, 27 + 255 + 8)) ? SourceKind::Opus : SourceKind::Vorbis;
    if (head.size() >= 8 && head.compare(4, 4, "ftyp") == 0)
        return SourceKind::Mp4;
    static const char kAsfHeaderGuid[] =
        "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    if (startsWith(kAsfHeaderGuid, 16))
        return SourceKind::Asf;
    std::string ext = lowerExtension(path);
    if (ext == "raw")
        return SourceKind::Raw;
    if (ext == "vox")
        return SourceKind::Vox;
    if (isMpegFile(in, head, fileSize))
        return SourceKind::Mpeg;
    return SourceKind::Unsupported;
}

} // namespace brisklet::audio
