#include "engine/splitworker.h"

#include "audio/audioerror.h"
#include "base/units.h"
#include "engine/jobrun.h"
#include "engine/outputnaming.h"
#include "engine/splitpiece.h"

#include <algorithm>

namespace brisklet::engine {

SplitWorker::SplitWorker(WorkerBoard& board) : m_board(board), m_thread([this] { loop(); })
{
}

SplitWorker::~SplitWorker()
{
    m_cancelled = true;
    {
        const std::lock_guard<std::mutex> lock(m_board.mutex);
        m_quit = true;
    }
    m_board.changed.notify_all();
    m_thread.join();
}

void SplitWorker::give(PieceOrder order)
{
    m_order = std::move(order);
    m_cancelled = false;
    m_progress = 0;
    m_busy = true;
}

void SplitWorker::loop()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_board.mutex);
            m_board.changed.wait(lock, [this] { return m_quit || m_busy; });
            if (!m_busy)
                return;
        }
        // While busy the order is this thread's.
        PieceResult result = write(m_order);
        {
            const std::lock_guard<std::mutex> lock(m_board.mutex);
            m_order.claim = NameReservation();
            m_busy = false;
            m_board.results.push_back(std::move(result));
        }
        m_board.changed.notify_all();
    }
}

void SplitWorker::openSource(const std::string& path)
{
    if (m_reader->IsOpen() && m_openSource == path)
        return;
    closeIfOpen(*m_reader);
    m_openSource.clear();
    m_reader->OpenRead(path);
    m_openSource = path;
    // Blocks in the source's own format.
    m_reader->SetBlockFormat(m_reader->SampleRate(), m_reader->Channels());
}

PieceResult SplitWorker::write(PieceOrder& order)
{
    PieceResult result;
    result.index = order.index;
    try {
        openSource(order.sourcePath);
        audio::IAudioFile2& reader = *m_reader;
        const int rate = reader.SampleRate();
        const int64_t total = reader.TotalFrames();
        const int64_t start = std::max<int64_t>(0, frameOfMs(order.piece.begin, rate, total));
        const int64_t length =
            std::max<int64_t>(0, frameOfMs(order.piece.end, rate, total) - start);
        reader.Seek(start, audio::SeekMode::Exact);

        m_writer->SetBlockFormat(rate, reader.Channels());
        try {
            m_writer->OpenWrite(order.outputPath);
        } catch (const audio::AudioError&) {
            closeIfOpen(*m_writer);
            order.outputPath = claimedOutputPath(
                [&](const PathExists& exists) {
                    return fallbackOutputPath(order.folder, order.sourcePath, order.extension,
                                              exists);
                },
                order.claim);
            m_writer->OpenWrite(order.outputPath);
        }
        m_writer->SetBlockFormat(rate, reader.Channels());
        const int64_t damagedBefore = reader.DamagedFrames();
        const int64_t written =
            copyPiece(reader, *m_writer, *m_transform, length, order.fades, *this);
        result.outputPath = order.outputPath;
        if (written < length && m_cancelled) {
            m_writer->Discard();
            result.kind = PieceResult::Kind::Stopped;
            return result;
        }
        // The source gave less than the piece asks: what was read is kept.
        result.lost = lostFrames(reader, damagedBefore, length, written);
        if (written == 0 && length > 0) {
            m_writer->Discard();
            result.kind = PieceResult::Kind::Unread;
            return result;
        }
        m_writer->Close();
        result.start = start;
        result.length = written;
    } catch (...) {
        result.kind = PieceResult::Kind::Failed;
        result.error = std::current_exception();
        for (audio::IAudioFile2* file : {m_writer.get(), m_reader.get()}) {
            try {
                file->Discard();
            } catch (...) {
                // The piece already failed; its first error is the one to show.
            }
        }
        m_openSource.clear();
    }
    return result;
}

} // namespace brisklet::engine
