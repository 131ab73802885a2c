#pragma once
// A failure whose message names the file and the reason, e.g. "cannot create
// x.wav: No space left on device".

#include <stdexcept>
#include <string>

namespace brisklet::base {

class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace brisklet::base
