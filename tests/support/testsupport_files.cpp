#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sndfile.h>
#include <sstream>
#include <stdexcept>

namespace brisklet::test {

TempDir::TempDir()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/brisklet-test-XXXXXX"));
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    m_path = dir.path().toStdString();
}

TempDir::~TempDir()
{
    QDir(QString::fromStdString(m_path)).removeRecursively();
}

std::string TempDir::file(const std::string& name) const
{
    return m_path + "/" + name;
}

std::vector<float> makeSignal(int64_t frames, int sampleRate, int channels, double hz)
{
    std::vector<float> out(static_cast<size_t>(frames * channels));
    uint32_t noise = 12345;
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double n = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.02;
            double v =
                0.5 * std::sin(2.0 * M_PI * hz * (c + 1) * static_cast<double>(f) / sampleRate);
            out[static_cast<size_t>(f * channels + c)] = static_cast<float>(v + n);
        }
    }
    return out;
}

static int formatFor(const std::string& path)
{
    auto ends = [&](const char* ext) {
        std::string e(ext);
        return path.size() >= e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0;
    };
    if (ends(".flac"))
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (ends(".raw"))
        return SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

void writePcmFile(const std::string& path, const std::vector<float>& samples, int sampleRate,
                  int channels)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = formatFor(path);
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    // Scale by 32768 both ways (libsndfile's default write factor is 32767), so
    // that a 16-bit sample read as float and written back is unchanged.
    sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
    std::vector<float> scaledSamples(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        scaledSamples[i] =
            std::round(std::fmax(-32768.0f, std::fmin(32767.0f, samples[i] * 32768.0f)));
    sf_write_float(f, scaledSamples.data(), static_cast<sf_count_t>(scaledSamples.size()));
    sf_close(f);
}

void writeToneWav(const std::string& path, int64_t frames, int sampleRate, int channels)
{
    writePcmFile(path, makeSignal(frames, sampleRate, channels), sampleRate, channels);
}

std::vector<float> readPcmFile(const std::string& path, int* sampleRate, int* channels)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    std::vector<float> out(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, out.data(), info.frames);
    sf_close(f);
    if (sampleRate)
        *sampleRate = info.samplerate;
    if (channels)
        *channels = info.channels;
    return out;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint64_t fileChecksum(const std::string& path)
{
    // FNV-1a over the bytes: enough to see that a file did not change.
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : readFileBytes(path))
        h = (h ^ c) * 1099511628211ull;
    return h;
}

void writeDamagedFlac(const std::string& path, int seconds)
{
    writePcmFile(path, makeSignal(int64_t{seconds} * 8000, 8000, 1), 8000, 1);
    std::string bytes = readFileBytes(path);
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
    writeFileBytes(path, bytes);
}

} // namespace brisklet::test
