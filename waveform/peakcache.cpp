#include "waveform/peakcache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace brisklet::waveform {

namespace {

constexpr char magic[8] = {'B', 'R', 'K', 'P', 'E', 'A', 'K', '1'};

// The entry's header, written as the machine holds it: the cache never leaves
// the machine that made it.
struct Header {
    char magic[8];
    uint32_t framesPerBucket;
    uint32_t channels;
    uint32_t sampleRate;
    uint32_t pathBytes;
    int64_t totalFrames;
    uint64_t size;
    int64_t modified;
};

std::string absolute(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

} // namespace

std::optional<SourceStamp> stampOf(const std::string& path)
{
    std::error_code error;
    SourceStamp stamp;
    stamp.path = absolute(path);
    stamp.size = std::filesystem::file_size(stamp.path, error);
    if (error)
        return std::nullopt;
    const auto time = std::filesystem::last_write_time(stamp.path, error);
    if (error)
        return std::nullopt;
    stamp.modified = static_cast<int64_t>(time.time_since_epoch().count());
    return stamp;
}

PeakCache::PeakCache(std::string folder) : m_folder(std::move(folder))
{
}

std::string PeakCache::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString() +
           "/brisklet/peaks";
}

std::string PeakCache::entryPath(const std::string& path) const
{
    const QByteArray key = QCryptographicHash::hash(QByteArray::fromStdString(absolute(path)),
                                                    QCryptographicHash::Sha1)
                               .toHex();
    return m_folder + "/" + key.toStdString() + ".peaks";
}

std::optional<PeakData> PeakCache::load(const std::string& path) const
{
    const std::optional<SourceStamp> stamp = stampOf(path);
    if (!stamp)
        return std::nullopt;
    std::ifstream in(entryPath(path), std::ios::binary);
    Header header{};
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::memcmp(header.magic, magic, sizeof magic) != 0 ||
        header.framesPerBucket != framesPerBucket || header.channels == 0 || header.channels > 64 ||
        header.totalFrames < 0 || header.size != stamp->size ||
        header.modified != stamp->modified || header.pathBytes != stamp->path.size())
        return std::nullopt;
    std::string storedPath(header.pathBytes, '\0');
    if (!in.read(storedPath.data(), header.pathBytes) || storedPath != stamp->path)
        return std::nullopt;
    PeakData peaks;
    peaks.channels = static_cast<int>(header.channels);
    peaks.sampleRate = static_cast<int>(header.sampleRate);
    peaks.totalFrames = header.totalFrames;
    peaks.allocateUnset();
    const auto bytes = static_cast<std::streamsize>(peaks.values.size() * sizeof(int16_t));
    if (!in.read(reinterpret_cast<char*>(peaks.values.data()), bytes) ||
        in.peek() != std::char_traits<char>::eof())
        return std::nullopt; // cut short or grown: not ours to trust
    return peaks;
}

bool PeakCache::store(const SourceStamp& stamp, const PeakData& peaks) const
{
    if (!QDir().mkpath(QString::fromStdString(m_folder)))
        return false;
    Header header{};
    std::memcpy(header.magic, magic, sizeof magic);
    header.framesPerBucket = framesPerBucket;
    header.channels = static_cast<uint32_t>(peaks.channels);
    header.sampleRate = static_cast<uint32_t>(peaks.sampleRate);
    header.pathBytes = static_cast<uint32_t>(stamp.path.size());
    header.totalFrames = peaks.totalFrames;
    header.size = stamp.size;
    header.modified = stamp.modified;
    QSaveFile out(QString::fromStdString(entryPath(stamp.path)));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(stamp.path.data(), static_cast<qint64>(stamp.path.size()));
    out.write(reinterpret_cast<const char*>(peaks.values.data()),
              static_cast<qint64>(peaks.values.size() * sizeof(int16_t)));
    return out.commit();
}

} // namespace brisklet::waveform
