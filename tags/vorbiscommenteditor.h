#pragma once
// Our comment-header editor for Ogg Vorbis files, on libogg: it finds the
// three Vorbis header packets of the file's Vorbis stream (the first one, when
// other streams are multiplexed beside it) and writes the
// file again with only the comment packet replaced. Audio pages are copied
// unchanged except for their sequence numbers (shifted by the change in
// header pages) and checksums; granule positions and the serial number stay.
// Chained or multiplexed streams are read but refused, never rewritten.

#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet::tags {

// A reason why a file cannot be read or rewritten, e.g. "not an Ogg Vorbis file".
class OggFormatError : public std::runtime_error {
public:
    explicit OggFormatError(const std::string& reason) : std::runtime_error(reason) {}
};

class VorbisCommentEditor {
public:
    // Reads up to the end of the headers; throws OggFormatError.
    explicit VorbisCommentEditor(std::istream& in);
    ~VorbisCommentEditor();
    VorbisCommentEditor(const VorbisCommentEditor&) = delete;
    VorbisCommentEditor& operator=(const VorbisCommentEditor&) = delete;

    // The comments of the file's comment packet ("NAME=value" texts, exact
    // bytes); throws OggFormatError when the packet's
    // lengths do not fit it.
    std::vector<std::string> comments() const;

    // Writes the whole file to `out` with a comment packet holding `comments`
    // (zero-terminated texts) in this order, then the rest of the input.
    // Throws OggFormatError; `out` is then incomplete.
    void write(std::ostream& out, const std::vector<std::string>& comments);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The "NAME=value" texts of a Vorbis comment packet.
std::vector<std::string> parseCommentPacket(const std::string& packet);

} // namespace brisklet::tags
