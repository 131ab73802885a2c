#pragma once
// A cover picture as the tag formats hold one: the image file's bytes and its
// MIME type. Pictures are carried from a source into its outputs.

#include <cstdint>
#include <string>

namespace brisklet::tags {

struct Picture {
    std::string mimeType; // "image/jpeg", "image/png"
    std::string description;
    std::string data; // the image file's bytes; empty: no picture

    bool empty() const { return data.empty(); }
    bool operator==(const Picture&) const = default;
};

// Larger pictures are refused, by the sizes the file states, before any of
// their bytes are read.
constexpr uint64_t kMaxPictureBytes = 16 * 1024 * 1024;

} // namespace brisklet::tags
