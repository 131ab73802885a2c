#pragma once
// Peaks of one source made on a worker thread: read from the cache when it
// holds them, else decoded and then stored there. The window polls progress
// and the buckets made so far; it is never blocked by the decoding.

#include "waveform/peakcache.h"
#include "waveform/peaks.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace brisklet::waveform {

class PeakJob {
public:
    enum class Phase { Opening, Reading, Done, Failed, Stopped };

    // Starts at once. `cache` may be null (no cache); it must outlive the job.
    PeakJob(std::string path, const PeakCache* cache);
    // Stops the worker and waits for it.
    ~PeakJob();
    PeakJob(const PeakJob&) = delete;
    PeakJob& operator=(const PeakJob&) = delete;

    // Asks the worker to stop; it notices within one block.
    void stop();
    // Waits until the worker has ended (tests and benchmarks).
    void wait();

    Phase phase() const { return m_phase.load(std::memory_order_acquire); }
    // Hundredths of a percent, 0 to 10000.
    int progress() const;
    // From Reading on: the format and the buckets, of which the first
    // readyBuckets() are complete. The values are not changed after that.
    const PeakData& peaks() const { return m_peaks; }
    int64_t readyBuckets() const { return m_ready.load(std::memory_order_acquire); }
    // Why it failed (names the file and the reason).
    std::string error() const;
    bool fromCache() const { return m_fromCache.load(std::memory_order_acquire); }

private:
    void run();
    void decode();

    std::string m_path;
    const PeakCache* m_cache;
    PeakData m_peaks;
    std::atomic<Phase> m_phase{Phase::Opening};
    std::atomic<int64_t> m_ready{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_fromCache{false};
    mutable std::mutex m_errorLock;
    std::string m_error;
    std::thread m_worker; // last: starts when everything above exists
};

} // namespace brisklet::waveform
