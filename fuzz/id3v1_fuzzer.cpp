// ID3v1: the last 128 bytes of any file read without harm; every field stays
// within its slot (ISO-8859-1 grows to at most two UTF-8 bytes a character).
#include "fuzzsupport.h"
#include "tags/id3.h"

using namespace brisklet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("input.mp3", input);
    const tags::ID3StructV1 tag = tags::ReadID3v1(path);
    const bool hasBlock = size >= 128 && input.substr(size - 128, 3) == "TAG";
    if (!hasBlock) {
        fuzz::require(tag.Title.empty() && tag.Artist.empty() && tag.Genre == 0,
                      "fields read from a file without an ID3v1 block");
        return 0;
    }
    fuzz::require(tag.Title.size() <= 60 && tag.Artist.size() <= 60 && tag.Album.size() <= 60 &&
                      tag.Year.size() <= 8 && tag.Comment.size() <= 56,
                  "an ID3v1 field is wider than its slot");
    for (const std::string* field : {&tag.Title, &tag.Artist, &tag.Album, &tag.Year, &tag.Comment})
        fuzz::require(field->find('\0') == std::string::npos, "an ID3v1 field holds a zero byte");
    fuzz::require(tag.Genre == static_cast<uint8_t>(input.back()), "the genre byte was not kept");
    fuzz::require(fuzz::readWholeFile(path) == input, "reading changed the file");
    return 0;
}
