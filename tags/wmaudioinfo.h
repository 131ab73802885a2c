#pragma once
// Named ASF attributes of one WMA file, over TagLib. "Title", "Author" and
// "Description" live in the file's content description object; every other
// name is an extended attribute. Text is UTF-8 here and UTF-16 in the file.

#include "tags/picture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace brisklet::tags {

class WMAudioInfo {
public:
    // Opens the file for reading and writing; isOpen() tells whether it is a
    // readable ASF file.
    explicit WMAudioInfo(const std::string& fileName);
    // The attributes of a header object held in memory (headerObject()); save()
    // then changes only the bytes header() gives back.
    struct HeaderOnly {};
    WMAudioInfo(const std::string& header, HeaderOnly);
    ~WMAudioInfo();
    WMAudioInfo(const WMAudioInfo&) = delete;
    WMAudioInfo& operator=(const WMAudioInfo&) = delete;

    bool isOpen() const;

    // A text attribute of at most 127 UTF-16 characters (a longer one, or one
    // of another type, gives nothing), cut to maxBytes of UTF-8.
    std::optional<std::string> text(const std::string& name, size_t maxBytes) const;
    // A 32-bit number attribute; nothing when missing or of another type.
    std::optional<uint32_t> number(const std::string& name) const;

    void setText(const std::string& name, const std::string& value);
    void setNumber(const std::string& name, uint32_t value);
    // Replaces every WM/Picture by `picture` as the front cover (none when empty).
    void setPicture(const Picture& picture);
    // Writes the changes into the file; false when TagLib could not save.
    bool save();

    // The ASF header object at the start of a file, whole; empty when the file
    // starts with none. The audio data follows it.
    static std::string headerObject(const std::string& fileName);
    // The header object held in memory, as saved.
    std::string header() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace brisklet::tags
