// ID3v2: whatever parses renders back and parses again to the same fields, and
// putting a tag in front of a file never changes the audio behind the old tag.
#include "fuzzsupport.h"
#include "tags/id3.h"

#include <array>

using namespace brisklet;

namespace {

std::array<const std::string*, 7> fieldsOf(const tags::ID3StructV2& tag)
{
    return {&tag.Title, &tag.Artist, &tag.Album, &tag.Year, &tag.Track, &tag.Comment, &tag.Genre};
}

// Short values survive a round trip whole; longer ones may be cut to the
// frame budget the reader uses, so they come back as a prefix.
void requireKept(const tags::ID3StructV2& written, const tags::ID3StructV2& read)
{
    const auto before = fieldsOf(written);
    const auto after = fieldsOf(read);
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i]->size() <= 100)
            fuzz::require(*before[i] == *after[i], "a short field changed in a round trip");
        else
            fuzz::require(before[i]->compare(0, after[i]->size(), *after[i]) == 0,
                          "a long field came back as something other than its prefix");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tags::ID3StructV2 parsed = tags::parseID3v2(input);

    const std::string rendered = tags::renderID3v2(parsed);
    const tags::ID3StructV2 again = tags::parseID3v2(rendered);
    requireKept(parsed, again);
    fuzz::require(tags::parseID3v2(tags::renderID3v2(again)) == again,
                  "a rendered tag does not parse back to itself");

    // The file path: read, write in front of the audio, read again.
    const std::string path = fuzz::writeScratchFile("input.mp3", input);
    const tags::ID3StructV2 fromFile = tags::ReadID3v2(path);
    const size_t oldTag = tags::leadingID3v2Length(input, input.size());
    fuzz::require(oldTag <= input.size(), "the old tag reaches beyond the file");
    tags::WriteID3v2(path, fromFile);
    const std::string written = fuzz::readWholeFile(path);
    const std::string newTag = tags::renderID3v2(fromFile);
    fuzz::require(written.compare(0, newTag.size(), newTag) == 0, "the new tag is not in front");
    fuzz::require(written.compare(newTag.size(), std::string::npos, input.substr(oldTag)) == 0,
                  "a tag rewrite changed the audio bytes");
    fuzz::require(tags::ReadID3v2(path) == tags::parseID3v2(newTag),
                  "the file does not read back as the tag written");
    return 0;
}
