// Vorbis comment packets: the parser never reads past the packet, and the
// comments it finds, written again by libvorbis, parse back to the same texts.
#include "fuzzsupport.h"
#include "tags/ogg.h"
#include "tags/vorbiscommenteditor.h"

#include <vorbis/codec.h>

using namespace brisklet;

namespace {

std::string packetFor(const std::vector<std::string>& comments)
{
    vorbis_comment block;
    vorbis_comment_init(&block);
    for (const std::string& comment : comments)
        vorbis_comment_add(&block, comment.c_str());
    ogg_packet packet;
    fuzz::require(vorbis_commentheader_out(&block, &packet) == 0, "libvorbis refused the comments");
    vorbis_comment_clear(&block);
    std::string bytes(reinterpret_cast<const char*>(packet.packet),
                      static_cast<size_t>(packet.bytes));
    ogg_packet_clear(&packet);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The signature is given, so that the fuzzer spends its time on the lengths.
    const std::string packet =
        "\x03vorbis" + std::string(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> comments;
    try {
        comments = tags::parseCommentPacket(packet);
    } catch (const tags::OggFormatError&) {
        return 0;
    }
    size_t total = 0;
    for (const std::string& comment : comments)
        total += comment.size() + 4;
    fuzz::require(total <= packet.size(), "the comments hold more bytes than the packet");

    const tags::OGGTag tag = tags::oggTagFromComments(comments);
    const std::vector<std::string> written = tags::commentsFromOggTag(tag);
    const std::vector<std::string> reread = tags::parseCommentPacket(packetFor(written));
    fuzz::require(reread == written, "written comments did not parse back to themselves");
    fuzz::require(tags::oggTagFromComments(reread) == tag,
                  "a tag read from comments did not survive writing them again");
    return 0;
}
