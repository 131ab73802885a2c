#include "lossless/pcm_piece.h"

#include "audio/audioerror.h"

#include <algorithm>
#include <cmath>
#include <sndfile.h>
#include <vector>

namespace brisklet::lossless {

struct PcmSource::File {
    SNDFILE* handle = nullptr;
    SF_INFO info{};
};

namespace {

constexpr sf_count_t kChunkFrames = 1 << 14;

// libsndfile's virtual I/O over the output file, so that the piece is
// written beside its name and renamed over it only when complete.
sf_count_t outLength(void* data)
{
    return static_cast<base::OutputFile*>(data)->size();
}
sf_count_t outSeek(sf_count_t offset, int whence, void* data)
{
    auto* out = static_cast<base::OutputFile*>(data);
    return out->seek(offset, whence) ? out->tell() : -1;
}
sf_count_t outRead(void* buffer, sf_count_t count, void* data)
{
    return static_cast<sf_count_t>(
        static_cast<base::OutputFile*>(data)->read(buffer, static_cast<size_t>(count)));
}
sf_count_t outWrite(const void* buffer, sf_count_t count, void* data)
{
    return static_cast<base::OutputFile*>(data)->write(buffer, static_cast<size_t>(count)) ? count
                                                                                           : 0;
}
sf_count_t outTell(void* data)
{
    return static_cast<base::OutputFile*>(data)->tell();
}

bool isFloat(int subtype)
{
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

template <typename Sample, typename Read, typename Write>
void copyFrames(SNDFILE* from, SNDFILE* to, int channels, sf_count_t frames, Read read, Write write)
{
    std::vector<Sample> buffer(static_cast<size_t>(kChunkFrames * channels));
    while (frames > 0) {
        const sf_count_t got = read(from, buffer.data(), std::min(frames, kChunkFrames));
        if (got <= 0)
            break;
        if (write(to, buffer.data(), got) != got)
            break; // the output file keeps the failure; the caller reports it
        frames -= got;
    }
}

} // namespace

PcmSource::PcmSource(const std::string& path) : m_path(path), m_file(new File)
{
    m_file->handle = sf_open(path.c_str(), SFM_READ, &m_file->info);
    if (!m_file->handle)
        throw audio::AudioError("cannot open " + path + ": " + sf_strerror(nullptr));
    const int major = m_file->info.format & SF_FORMAT_TYPEMASK;
    const int subtype = m_file->info.format & SF_FORMAT_SUBMASK;
    const bool pcm = subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_16 ||
                     subtype == SF_FORMAT_PCM_24 || subtype == SF_FORMAT_PCM_32 ||
                     (subtype == SF_FORMAT_PCM_S8 && major == SF_FORMAT_FLAC) || isFloat(subtype);
    if ((major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) && pcm)
        m_extension = ".wav";
    else if (major == SF_FORMAT_FLAC && pcm)
        m_extension = ".flac";
    else
        m_refusal = "neither PCM WAV nor FLAC";
    // Up to 24 bits a sample is exact in the reader's floats.
    if (major == SF_FORMAT_FLAC && pcm && subtype != SF_FORMAT_PCM_32) {
        m_reader = audio::createAudioFile();
        m_reader->OpenRead(path);
    }
}

int64_t PcmSource::damagedFrames() const
{
    return m_reader ? m_reader->DamagedFrames() : 0;
}

PcmSource::~PcmSource()
{
    if (m_file->handle)
        sf_close(m_file->handle);
    delete m_file;
}

int64_t PcmSource::length() const
{
    return m_reader ? m_reader->TotalFrames() : m_file->info.frames;
}

namespace {

SNDFILE* openOutput(base::OutputFile& out, SF_INFO info)
{
    static SF_VIRTUAL_IO io{outLength, outSeek, outRead, outWrite, outTell};
    info.frames = 0;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &out);
    if (!file) {
        out.throwIfFailed();
        throw audio::AudioError("cannot write " + out.targetPath() + ": " + sf_strerror(nullptr));
    }
    if (isFloat(info.format & SF_FORMAT_SUBMASK))
        sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    return file;
}

} // namespace

void PcmSource::copyInto(SNDFILE* to, int64_t start, int64_t end)
{
    if (m_reader) {
        copyFromReader(to, start, end);
        return;
    }
    if (sf_seek(m_file->handle, start, SEEK_SET) < 0)
        throw audio::AudioError("cannot seek in " + m_path);
    const sf_count_t frames = std::max<int64_t>(0, end - start);
    const int channels = m_file->info.channels;
    if (isFloat(m_file->info.format & SF_FORMAT_SUBMASK)) {
        // Floats are written as read: no normalisation either way.
        sf_command(m_file->handle, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
        copyFrames<double>(m_file->handle, to, channels, frames, sf_readf_double, sf_writef_double);
    } else {
        copyFrames<int>(m_file->handle, to, channels, frames, sf_readf_int, sf_writef_int);
    }
}

// The reader gives a b-bit sample as s / 2^(b-1); libsndfile takes integers
// as s * 2^(32-b) whatever the file's bits: both are s * 2^31 of the float.
void PcmSource::copyFromReader(SNDFILE* to, int64_t start, int64_t end)
{
    m_reader->Seek(start);
    std::vector<int> samples;
    for (int64_t left = std::max<int64_t>(0, end - start); left > 0;) {
        const audio::SampleBlock block =
            m_reader->ReadFrames(std::min<int64_t>(left, kChunkFrames));
        if (block.empty())
            break;
        samples.resize(block.samples().size());
        std::transform(
            block.samples().begin(), block.samples().end(), samples.begin(),
            [](float value) { return static_cast<int>(std::lround(value * 2147483648.0)); });
        if (sf_writef_int(to, samples.data(), block.frameCount()) != block.frameCount())
            break; // the output file keeps the failure; the caller reports it
        left -= block.frameCount();
    }
}

void PcmSource::writePiece(int64_t start, int64_t end, base::OutputFile& out)
{
    SNDFILE* piece = openOutput(out, m_file->info);
    try {
        copyInto(piece, start, end);
    } catch (...) {
        sf_close(piece);
        throw;
    }
    sf_close(piece);
    out.throwIfFailed();
}

bool PcmSource::sameLayout(const PcmSource& other) const
{
    return m_file->info.format == other.m_file->info.format &&
           m_file->info.samplerate == other.m_file->info.samplerate &&
           m_file->info.channels == other.m_file->info.channels;
}

PcmJoin::PcmJoin(const std::string& path, const PcmSource& layout) : m_out(path)
{
    m_file = openOutput(m_out, layout.m_file->info);
}

PcmJoin::~PcmJoin()
{
    if (m_file)
        sf_close(m_file);
}

void PcmJoin::append(PcmSource& source, int64_t start, int64_t end)
{
    source.copyInto(m_file, start, end);
    m_out.throwIfFailed();
}

void PcmJoin::commit()
{
    sf_close(m_file);
    m_file = nullptr;
    m_out.commit();
}

} // namespace brisklet::lossless
