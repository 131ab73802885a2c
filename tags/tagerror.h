#pragma once
// Failures of the tag writers (and of the Ogg reader) that the user must see:
// the message names the file and the reason.

#include <stdexcept>
#include <string>

namespace brisklet::tags {

class TagError : public std::runtime_error {
public:
    explicit TagError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace brisklet::tags
