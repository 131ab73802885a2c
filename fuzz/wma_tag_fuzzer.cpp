// WMA attributes: a file TagLib takes as ASF gets its attributes written back
// and reads the same again; the objects behind the header stay byte for byte.
#include "fuzzsupport.h"
#include "tags/tagerror.h"
#include "tags/wmatag.h"

#include <optional>

using namespace brisklet;

namespace {

// Everything behind the ASF header object (its size is at offset 16), or
// nothing when the header claims more than the file holds.
std::optional<std::string> afterHeader(const std::string& bytes)
{
    if (bytes.size() < 30)
        return std::nullopt;
    uint64_t size = 0;
    for (size_t i = 0; i < 8; ++i)
        size |= uint64_t(static_cast<unsigned char>(bytes[16 + i])) << (8 * i);
    if (size > bytes.size())
        return std::nullopt;
    return bytes.substr(static_cast<size_t>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("input.wma", input);
    tags::WMATagStruct tag;
    if (!tags::ReadWmaTag(path, tag))
        return 0;
    fuzz::require(fuzz::readWholeFile(path) == input, "reading changed the file");
    fuzz::require(tag.Found == -1, "a read tag is not marked found");
    fuzz::require(tag.Title.size() <= tag.TitleWidth && tag.Artist.size() <= tag.ArtistWidth &&
                      tag.Album.size() <= tag.AlbumWidth && tag.Year.size() <= tag.YearWidth &&
                      tag.Comment.size() <= tag.CommentWidth && tag.Genre.size() <= tag.GenreWidth,
                  "an attribute is wider than its slot");

    try {
        if (!tags::WriteWmaTag(path, tag))
            fuzz::fail("a file read as ASF was refused for writing");
    } catch (const tags::TagError&) {
        fuzz::require(fuzz::readWholeFile(path) == input, "a refused write changed the file");
        return 0;
    }
    tags::WMATagStruct again;
    fuzz::require(tags::ReadWmaTag(path, again), "the rewritten file is no ASF file");
    fuzz::require(again == tag, "the rewritten file reads back another tag");
    const auto audioBefore = afterHeader(input);
    const auto audioAfter = afterHeader(fuzz::readWholeFile(path));
    if (audioBefore)
        fuzz::require(audioAfter == audioBefore,
                      "a tag rewrite changed the objects behind the header");
    return 0;
}
