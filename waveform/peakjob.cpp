#include "waveform/peakjob.h"

#include "audio/audiofile.h"

#include <exception>

namespace brisklet::waveform {

namespace {

// Frames asked from the reader at a time: a multiple of the bucket size, big
// enough that the decoder, not the loop, sets the pace.
constexpr int64_t readFrames = framesPerBucket * 256;

} // namespace

PeakJob::PeakJob(std::string path, const PeakCache* cache)
    : m_path(std::move(path)), m_cache(cache), m_worker([this] { run(); })
{
}

PeakJob::~PeakJob()
{
    stop();
    wait();
}

void PeakJob::stop()
{
    m_stop.store(true, std::memory_order_release);
}

void PeakJob::wait()
{
    if (m_worker.joinable())
        m_worker.join();
}

int PeakJob::progress() const
{
    const Phase now = phase();
    if (now == Phase::Done)
        return 10000;
    if (now != Phase::Reading || m_peaks.bucketCount() == 0)
        return 0;
    return static_cast<int>(readyBuckets() * 10000 / m_peaks.bucketCount());
}

std::string PeakJob::error() const
{
    std::lock_guard lock(m_errorLock);
    return m_error;
}

void PeakJob::run()
{
    try {
        if (m_cache) {
            if (std::optional<PeakData> cached = m_cache->load(m_path)) {
                m_peaks = std::move(*cached);
                m_fromCache.store(true, std::memory_order_release);
                m_ready.store(m_peaks.bucketCount(), std::memory_order_release);
                m_phase.store(Phase::Done, std::memory_order_release);
                return;
            }
        }
        decode();
    } catch (const std::exception& failure) {
        {
            std::lock_guard lock(m_errorLock);
            m_error = failure.what();
        }
        m_phase.store(Phase::Failed, std::memory_order_release);
    }
}

void PeakJob::decode()
{
    // Taken before reading, so that a change while reading leaves a stale entry.
    const std::optional<SourceStamp> stamp = stampOf(m_path);
    const std::unique_ptr<audio::IAudioFile2> reader = audio::createAudioFile();
    reader->OpenRead(m_path);
    m_peaks.channels = reader->Channels();
    m_peaks.sampleRate = reader->SampleRate();
    m_peaks.totalFrames = reader->TotalFrames();
    m_peaks.allocate();
    m_phase.store(Phase::Reading, std::memory_order_release);

    int64_t frame = 0;
    while (frame < m_peaks.totalFrames) {
        if (m_stop.load(std::memory_order_acquire)) {
            m_phase.store(Phase::Stopped, std::memory_order_release);
            return;
        }
        const audio::SampleBlock block = reader->ReadFrames(readFrames);
        if (block.empty())
            break; // the file ends early: the rest stays silent
        addFrames(m_peaks, frame, block.data(), block.frameCount());
        frame += block.frameCount();
        m_ready.store(std::min(frame / framesPerBucket, m_peaks.bucketCount()),
                      std::memory_order_release);
    }
    reader->Close();
    m_ready.store(m_peaks.bucketCount(), std::memory_order_release);
    if (m_cache && stamp)
        m_cache->store(*stamp, m_peaks);
    m_phase.store(Phase::Done, std::memory_order_release);
}

} // namespace brisklet::waveform
