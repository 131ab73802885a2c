#include "lossless/byte_reader.h"

#include "audio/audioerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brisklet::lossless {

namespace {
constexpr size_t kBufferBytes = 1 << 16;
}

ByteReader::ByteReader(const std::string& path) : m_path(path), m_buffer(kBufferBytes)
{
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        throw audio::AudioError("cannot open " + path + ": " + std::strerror(errno));
    if (std::fseek(m_file, 0, SEEK_END) == 0)
        m_size = ftello(m_file);
}

ByteReader::~ByteReader()
{
    std::fclose(m_file);
}

bool ByteReader::fill(int64_t offset)
{
    if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    m_bufferStart = offset;
    m_bufferFill = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    return m_bufferFill > 0;
}

size_t ByteReader::readAt(int64_t offset, void* out, size_t count)
{
    auto* target = static_cast<uint8_t*>(out);
    size_t done = 0;
    while (done < count) {
        const int64_t at = offset + static_cast<int64_t>(done);
        if (at < m_bufferStart || at >= m_bufferStart + static_cast<int64_t>(m_bufferFill)) {
            if (!fill(at))
                break;
        }
        const size_t inBuffer = static_cast<size_t>(at - m_bufferStart);
        const size_t take = std::min(count - done, m_bufferFill - inBuffer);
        std::memcpy(target + done, m_buffer.data() + inBuffer, take);
        done += take;
    }
    return done;
}

} // namespace brisklet::lossless
