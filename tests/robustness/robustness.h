#pragma once
// Helpers of the robustness tests: the rules every damaged input is held to
// (no crash, bounded time and memory, sources unchanged) and byte-level edits
// of generated files. Small mounts for disk faults are in smallmount.h.

#include "smallmount.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brisklet::test {

// Runs `action` on damaged input and checks that it takes at most 2 s, grows
// the peak memory by at most 64 MiB and leaves every file in `untouched`
// byte for byte as it was.
void expectHarmless(const std::vector<std::string>& untouched, const std::function<void()>& action);

// Adds the file as the source list does and, when it is taken, reads all of
// its audio (capped) through the component's reader. Returns "" when the
// file was taken, else the refusal; a refusal must name the file.
std::string addAndRead(const std::string& path);

// Little-endian and big-endian numbers into or out of a byte string.
void putLittle(std::string& bytes, size_t offset, uint64_t value, int width);
void putBig(std::string& bytes, size_t offset, uint64_t value, int width);
uint64_t getLittle(const std::string& bytes, size_t offset, int width);

// The pages of an Ogg file: offset and total length of each, in file order.
struct OggPage {
    size_t offset = 0;
    size_t headerLength = 0;
    size_t bodyLength = 0;
    size_t end() const { return offset + headerLength + bodyLength; }
};
std::vector<OggPage> oggPages(const std::string& bytes);
// Recomputes the checksum of the page after an edit.
void fixOggChecksum(std::string& bytes, const OggPage& page);

} // namespace brisklet::test
