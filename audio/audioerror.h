#pragma once
// Every failure of the audio component is an AudioError whose message names the
// file and the reason, e.g. "x.mp3 is not a supported audio file".

#include <stdexcept>
#include <string>

namespace brisklet::audio {

class AudioError : public std::runtime_error {
public:
    explicit AudioError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace brisklet::audio
