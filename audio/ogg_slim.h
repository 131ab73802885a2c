#pragma once
// An Ogg Vorbis or Opus file as its decoders read it. The libraries gather the
// comment header whole before the first sample, however large it is (a cover
// picture in a comment can be hundreds of megabytes). When it is large, the
// header pages are read in its place with an empty comment, so memory stays
// flat; the page count and so the sequence numbers of the pages after them are
// kept. Every other file reads as it is.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace brisklet::audio {

class OggSlimFile {
public:
    // Comment headers of this size and over are left out.
    static constexpr int64_t kLargeComment = 256 * 1024;

    // Throws AudioError when the file cannot be opened. Comment headers of
    // `largeComment` bytes and over are left out.
    explicit OggSlimFile(const std::string& path, int64_t largeComment = kLargeComment);

    // As fread, fseek (0 on success) and ftell over the file as read.
    size_t read(void* buffer, size_t bytes);
    int seek(int64_t offset, int whence);
    int64_t tell() const { return m_position; }
    // Whether the comment header was left out.
    bool slimmed() const { return !m_head.empty(); }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
    std::string m_head;   // the header pages read in place of the file's
    int64_t m_resume = 0; // where in the file reading goes on after m_head
    int64_t m_fileSize = 0;
    int64_t m_position = 0;      // in the file as read
    int64_t m_filePosition = -1; // where m_file stands (-1: unknown)
};

} // namespace brisklet::audio
