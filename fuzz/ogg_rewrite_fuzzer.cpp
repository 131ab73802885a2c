// The comment-header rewrite of Ogg Vorbis files: the new file reads back with
// the comments written, and its audio pages carry the same bodies, granule
// positions and flags as the old file's.
#include "fuzzsupport.h"
#include "tags/ogg.h"
#include "tags/vorbiscommenteditor.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <sstream>
#include <vector>

using namespace brisklet;

namespace {

struct Page {
    std::string body;
    int64_t granule = 0;
    int serial = 0;
    bool continued = false;
    bool bos = false;
    bool eos = false;
    bool operator==(const Page&) const = default;
};

// Pages as libogg finds them, as the rewrite reads them; `headerPages` gets
// the number of pages up to the one that completes the third packet.
std::vector<Page> pagesOf(const std::string& bytes, size_t* headerPages)
{
    std::vector<Page> pages;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0);
    int packets = 0;
    *headerPages = 0;
    ogg_page page;
    for (int result; (result = ogg_sync_pageout(&sync, &page)) != 0;) {
        if (result < 0)
            continue;
        pages.push_back({std::string(reinterpret_cast<const char*>(page.body),
                                     static_cast<size_t>(page.body_len)),
                         ogg_page_granulepos(&page), ogg_page_serialno(&page),
                         ogg_page_continued(&page) != 0, ogg_page_bos(&page) != 0,
                         ogg_page_eos(&page) != 0});
        if (packets < 3) {
            if (pages.size() == 1)
                ogg_stream_reset_serialno(&stream, ogg_page_serialno(&page));
            ogg_stream_pagein(&stream, &page);
            ogg_packet packet;
            while (packets < 3 && ogg_stream_packetout(&stream, &packet) == 1)
                ++packets;
            *headerPages = pages.size();
        }
    }
    ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return pages;
}

// Mutated pages mostly fail their checksum; half the inputs get theirs
// recomputed so that the fuzzer reaches the packets inside.
std::string withChecksumsFixed(std::string bytes)
{
    for (size_t pos = bytes.find("OggS"); pos != std::string::npos;
         pos = bytes.find("OggS", pos + 1)) {
        if (bytes.size() - pos < 27)
            break;
        auto* header = reinterpret_cast<unsigned char*>(bytes.data() + pos);
        const size_t headerLength = 27 + size_t(header[26]);
        if (bytes.size() - pos < headerLength)
            break;
        size_t bodyLength = 0;
        for (size_t i = 27; i < headerLength; ++i)
            bodyLength += header[i];
        if (bytes.size() - pos - headerLength < bodyLength)
            break;
        ogg_page page{header, static_cast<long>(headerLength), header + headerLength,
                      static_cast<long>(bodyLength)};
        ogg_page_checksum_set(&page);
    }
    return bytes;
}

std::string describe(const tags::OGGTag& tag)
{
    std::string text;
    for (const std::string* field : {&tag.Title, &tag.Artist, &tag.Album, &tag.TrackNumber,
                                     &tag.Date, &tag.Genre, &tag.Comment}) {
        text += "[";
        for (const unsigned char c : *field)
            text += c >= 0x20 && c < 0x7F ? std::string(1, char(c)) : "\\x" + std::to_string(c);
        text += "]";
    }
    return text;
}

tags::OGGTag readTag(const std::string& bytes)
{
    std::istringstream in(bytes);
    tags::VorbisCommentEditor editor(in);
    return tags::oggTagFromComments(editor.comments());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        input = withChecksumsFixed(std::move(input));

    std::istringstream in(input);
    std::ostringstream out;
    tags::OGGTag tag;
    try {
        tags::VorbisCommentEditor editor(in);
        tag = tags::oggTagFromComments(editor.comments());
        if (data[0] & 2) // a changed title, as the carry-over writes it
            tag.Title = "Piece " + std::to_string(size);
        editor.write(out, tags::commentsFromOggTag(tag));
    } catch (const tags::OggFormatError&) {
        return 0;
    }

    const std::string written = out.str();
    const tags::OGGTag reread = readTag(written);
    fuzz::require(reread == tag, "the rewritten file reads back another tag: " + describe(tag) +
                                     " became " + describe(reread));

    size_t headersBefore = 0;
    size_t headersAfter = 0;
    const std::vector<Page> before = pagesOf(input, &headersBefore);
    const std::vector<Page> after = pagesOf(written, &headersAfter);
    fuzz::require(
        std::equal(before.begin() + static_cast<std::ptrdiff_t>(headersBefore), before.end(),
                   after.begin() + static_cast<std::ptrdiff_t>(headersAfter), after.end()),
        "the audio pages of the rewritten file differ from the old ones");
    return 0;
}
