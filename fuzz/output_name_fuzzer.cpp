// Output names from titles: always one path component inside the output
// folder, never a name that is taken, and two pieces of one title never share
// a name.
#include "audio/outputformat.h"
#include "engine/outputnaming.h"
#include "fuzzsupport.h"

#include <set>

using namespace brisklet;

namespace {

const std::string folder = "/output folder";

bool isValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

void requireOneComponent(const std::string& path, const std::string& extension,
                         const std::set<std::string>& taken, bool fromValidText)
{
    fuzz::require(path.compare(0, folder.size() + 1, folder + "/") == 0,
                  "the name is not inside the output folder: " + path);
    const std::string name = path.substr(folder.size() + 1);
    fuzz::require(!name.empty() && name != "." && name != "..", "the name is no file name");
    fuzz::require(name.size() <= 255, "the name is longer than 255 bytes");
    fuzz::require(name.find('/') == std::string::npos, "the name leaves the folder: " + name);
    for (const char c : name)
        fuzz::require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
                      "a control character in the name");
    fuzz::require(name.size() >= extension.size() && name.compare(name.size() - extension.size(),
                                                                  extension.size(), extension) == 0,
                  "the name lost its extension");
    fuzz::require(!taken.count(path), "the name replaces a file: " + path);
    if (fromValidText)
        fuzz::require(isValidUtf8(name), "a character was cut in two: " + name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader reader(data, size);
    const std::string extension =
        audio::extensionOf(audio::allOutputFormats[reader.byte() % audio::allOutputFormats.size()]);
    const uint8_t takenCount = reader.byte() % 8;
    const std::string source = reader.text(255);
    const std::string title(reader.rest().substr(0, 1000));

    // Files already in the folder: the first few names the title would get.
    std::set<std::string> taken;
    const auto exists = [&](const std::string& path) { return taken.count(path) > 0; };
    for (uint8_t i = 0; i < takenCount; ++i)
        taken.insert(engine::pieceOutputPath(folder, title, extension, exists));

    // Two pieces of the same title, the second made after the first exists.
    for (int piece = 0; piece < 2; ++piece) {
        const std::string path = engine::pieceOutputPath(folder, title, extension, exists);
        requireOneComponent(path, extension, taken, isValidUtf8(title));
        taken.insert(path);
    }
    const std::string fallback = engine::fallbackOutputPath(folder, source, extension, exists);
    requireOneComponent(fallback, extension, taken, isValidUtf8(source));
    return 0;
}
