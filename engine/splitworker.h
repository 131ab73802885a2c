#pragma once
// One worker of a split that encodes several pieces at once: a thread with its
// own reader, writer, MP3 settings and transform, which decodes and encodes
// one piece at a time. The job's thread hands it a piece (PieceOrder) and
// collects what came of it (PieceResult) from the board all workers share.

#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/transform.h"
#include "engine/chunkloop.h"
#include "engine/namereservation.h"
#include "engine/pieces.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace brisklet::engine {

// A piece as the job's thread hands it over, its name already claimed.
struct PieceOrder {
    size_t index = 0; // the piece's place in the job
    std::string sourcePath;
    Piece piece;
    Fades fades;
    std::string outputPath;
    NameReservation claim;
    // Where the source's own name goes when the piece's name cannot be created.
    std::string folder;
    std::string extension;
};

struct PieceResult {
    // Unread: the source gave none of the piece's frames; nothing was written.
    enum class Kind { Written, Stopped, Failed, Unread };
    size_t index = 0;
    Kind kind = Kind::Written;
    std::string outputPath;
    int64_t start = 0; // frames of the source
    int64_t length = 0;
    int64_t lost = 0;         // frames asked of the source and not given
    std::exception_ptr error; // of a failed piece
};

// What the workers and the job's thread share. `mutex` guards `results` and
// every worker's order; a worker's writer belongs to the job's thread while
// the worker is idle and to the worker while it holds an order.
struct WorkerBoard {
    std::mutex mutex;
    std::condition_variable changed; // an order given, a result posted, or quit
    std::deque<PieceResult> results;
};

class SplitWorker : private JobControl {
public:
    explicit SplitWorker(WorkerBoard& board);
    // Stops the piece in hand (its output is dropped) and ends the thread.
    ~SplitWorker() override;
    SplitWorker(const SplitWorker&) = delete;
    SplitWorker& operator=(const SplitWorker&) = delete;

    // Job's thread, worker idle: the writer to configure before give().
    audio::IAudioFile2& writer() { return *m_writer; }
    audio::IAudioFile2LameEnc& encoder() { return m_encoder; }

    // Job's thread, with the board locked.
    bool busy() const { return m_busy; }
    void give(PieceOrder order);

    // Any thread: the piece in hand stops at its next block.
    void cancel() { m_cancelled = true; }
    // Progress of the piece in hand, 0-10000.
    int progress() const { return m_progress; }

private:
    bool keepGoing() override { return !m_cancelled; }
    void showProgress(int q) override { m_progress = q; }

    void loop();
    PieceResult write(PieceOrder& order);
    void openSource(const std::string& path);

    WorkerBoard& m_board;
    std::unique_ptr<audio::IAudioFile2> m_reader = audio::createAudioFile();
    std::unique_ptr<audio::IAudioFile2> m_writer = audio::createAudioFile();
    std::unique_ptr<audio::IAudioTransform2> m_transform = audio::createAudioTransform();
    audio::LameEncoderSettings m_encoder;
    std::string m_openSource; // the reader's source, kept open for its next piece

    PieceOrder m_order; // guarded by the board's mutex
    bool m_busy = false;
    bool m_quit = false;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_progress{0};
    std::thread m_thread; // last: starts once everything above is set up
};

} // namespace brisklet::engine
