#include "engine/parallelsplit.h"

#include "engine/outputnaming.h"
#include "engine/pieceplan.h"
#include "engine/progress.h"
#include "engine/splitpiece.h"
#include "engine/splitworker.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace brisklet::engine {

namespace {

// How long the job's thread waits for a worker before it lets the window's
// events run (Stop among them) and redraws the progress.
constexpr std::chrono::milliseconds eventInterval{25};

class ParallelSplitRun : public JobRun {
public:
    ParallelSplitRun(JobModel& model, JobParts& parts, audio::OutputFormat format, Mode mode)
        : JobRun(model, parts), m_format(format), m_mode(mode)
    {
    }

    std::vector<std::string> run()
    {
        plan();
        if (m_mode == Mode::Unification)
            trimSegmentList(0);
        const size_t count =
            std::min(m_plan.size(), static_cast<size_t>(std::max(1, parts().options.workers)));
        for (size_t w = 0; w < count; ++w)
            m_workers.push_back(std::make_unique<SplitWorker>(m_board));
        while (handOutAndCollect()) {
        }
        m_workers.clear();
        if (m_error)
            std::rethrow_exception(m_error);
        finish();
        state().converting = false;
        if (stopped())
            model().view().showJobStopped(splitStoppedLine(m_outputs.size()));
        return m_outputs;
    }

private:
    // Every source's pieces as the lists stand before the job trims them.
    void plan()
    {
        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            const std::vector<Piece> pieces =
                piecesOf(m_mode, entries()[i], entries().front(), state());
            for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
                m_plan.push_back({i, k, static_cast<int>(pieces.size()), pieces[k]});
                m_weightTotal += weightOf(m_plan.back());
            }
        }
    }

    static int64_t weightOf(const PieceOfSource& of)
    {
        return std::max<int64_t>(1, of.piece.end - of.piece.begin);
    }

    bool stopping() const { return stopped() || m_error || m_failed; }

    // One round: idle workers get the next pieces, results are taken in, the
    // window's events run. False once every worker is idle and nothing is left.
    bool handOutAndCollect()
    {
        for (SplitWorker* worker : idleWorkers()) {
            if (stopping() || m_next >= m_plan.size() || (m_solo && m_next > *m_solo))
                break;
            handOut(*worker);
        }
        std::deque<PieceResult> results;
        bool allIdle = false;
        {
            std::unique_lock<std::mutex> lock(m_board.mutex);
            allIdle = std::none_of(m_workers.begin(), m_workers.end(),
                                   [](const auto& worker) { return worker->busy(); }) &&
                      m_board.results.empty();
            if (!allIdle)
                m_board.changed.wait_for(lock, eventInterval,
                                         [this] { return !m_board.results.empty(); });
            results.swap(m_board.results);
        }
        if (allIdle)
            return retryAlone();
        for (PieceResult& result : results)
            take(result);
        showJobProgress();
        if (!keepGoing())
            cancelFrom(0);
        return true;
    }

    std::vector<SplitWorker*> idleWorkers()
    {
        const std::lock_guard<std::mutex> lock(m_board.mutex);
        std::vector<SplitWorker*> idle;
        for (auto& worker : m_workers) {
            if (!worker->busy())
                idle.push_back(worker.get());
        }
        return idle;
    }

    // The next piece to an idle worker, whose writer is the job's until then.
    // Stop is looked for before each piece, as a one-worker run does.
    void handOut(SplitWorker& worker)
    {
        const size_t index = m_next;
        const PieceOfSource& of = m_plan[index];
        show(of.source);
        setStatus(of, segmentstatus::Converting);
        if (m_shownProgress < 0)
            showJobProgress();
        if (!keepGoing()) {
            setStatus(of, segmentstatus::Unconvert);
            cancelFrom(0);
            return;
        }
        ++m_next;
        parts().configureWorkerWriter(m_format, worker.writer(), worker.encoder());
        PieceOrder order;
        order.index = index;
        order.sourcePath = entries()[of.source].path;
        order.piece = of.piece;
        order.fades = fadesFor(entries()[of.source]);
        order.folder = state().OutputDirectory;
        order.extension = audio::extensionOf(m_format);
        order.outputPath = claimedOutputPath(
            [&](const PathExists& exists) {
                return pieceOutputPathFor(model(), of, order.extension, exists);
            },
            order.claim);
        m_inFlight[index] = &worker;
        {
            const std::lock_guard<std::mutex> lock(m_board.mutex);
            worker.give(std::move(order));
        }
        m_board.changed.notify_all();
    }

    // The segment list follows the source of the piece handed out last.
    void show(int source)
    {
        if (source == m_shown)
            return;
        m_shown = source;
        selectSource(source, m_mode != Mode::Unification);
        if (m_mode == Mode::Custom)
            trimSegmentList(source);
    }

    // A piece's row is seen only while its source's list is shown.
    void setStatus(const PieceOfSource& of, const std::string& status)
    {
        if (of.source == m_shown)
            model().setSegmentStatus(of.k, status);
    }

    // A failure stops the pieces after it at once; rows, tags and checks
    // follow the job's order, so they come as a one-worker run gives them,
    // and nothing after a failed piece is reported before it is settled.
    void take(PieceResult& result)
    {
        m_inFlight.erase(result.index);
        if (m_solo == result.index && result.kind != PieceResult::Kind::Failed)
            m_solo.reset();
        if (result.kind == PieceResult::Kind::Failed) {
            if (!m_failed || result.index < *m_failed) {
                m_failed = result.index;
                m_failure = result.error;
            }
            cancelFrom(result.index + 1);
            return;
        }
        if (result.kind != PieceResult::Kind::Stopped)
            m_weightDone += weightOf(m_plan[result.index]);
        const size_t index = result.index;
        m_waiting.emplace(index, std::move(result));
        for (auto next = m_waiting.find(m_taken); next != m_waiting.end();
             next = m_waiting.find(m_taken)) {
            finishInOrder(next->second);
            m_waiting.erase(next);
            ++m_taken;
        }
    }

    // With every worker idle after a failure: the pieces after the failed one
    // are undone, as a one-worker run would never have written them, and the
    // failed piece runs once more on its own. A failure that comes of pieces
    // written side by side (a disk filling up) goes; one that comes back ends
    // the job. True while the job goes on.
    bool retryAlone()
    {
        if (!m_failed)
            return false;
        const size_t failed = *m_failed;
        m_failed.reset();
        for (auto it = m_waiting.upper_bound(failed); it != m_waiting.end();
             it = m_waiting.erase(it)) {
            if (it->second.kind != PieceResult::Kind::Written)
                continue;
            std::error_code ignored;
            std::filesystem::remove(it->second.outputPath, ignored);
            m_weightDone -= weightOf(m_plan[it->first]);
        }
        if (stopped() || !m_retried.insert(failed).second) {
            m_error = m_failure;
            return false;
        }
        m_next = failed;
        m_solo = failed;
        return true;
    }

    void finishInOrder(const PieceResult& result)
    {
        const PieceOfSource& of = m_plan[result.index];
        noteShortRead(of.source, result.lost);
        if (result.kind == PieceResult::Kind::Written) {
            m_outputs.push_back(result.outputPath);
            const std::string status = finishWrittenPiece(model(), parts(), of, result.outputPath,
                                                          result.start, result.length, false, {});
            setStatus(of, result.lost > 0 ? shortPieceStatus(result.lost) : status);
        } else if (result.kind == PieceResult::Kind::Unread) {
            setStatus(of, shortPieceStatus(result.lost));
        } else if (result.kind == PieceResult::Kind::Stopped) {
            // A piece cut short by Stop is not a piece: its output is gone.
            setStatus(of, segmentstatus::Unconvert);
        }
    }

    void cancelFrom(size_t index)
    {
        for (auto& [at, worker] : m_inFlight) {
            if (at >= index)
                worker->cancel();
        }
    }

    // The whole job's progress: finished pieces and the parts of those in hand,
    // each weighed by its length.
    void showJobProgress()
    {
        int64_t done = m_weightDone;
        for (auto& [index, worker] : m_inFlight)
            done += weightOf(m_plan[index]) * worker->progress() / 10000;
        const int q = static_cast<int>(
            std::min<int64_t>(10000, done * 10000 / std::max<int64_t>(1, m_weightTotal)));
        if (q != m_shownProgress) {
            m_shownProgress = q;
            showProgress(q);
        }
    }

    const audio::OutputFormat m_format;
    const Mode m_mode;
    std::vector<PieceOfSource> m_plan;
    int64_t m_weightTotal = 0;
    int64_t m_weightDone = 0;
    int m_shownProgress = -1;
    size_t m_next = 0; // the next piece to hand out
    int m_shown = -1;  // the source whose segment list is shown
    WorkerBoard m_board;
    std::vector<std::unique_ptr<SplitWorker>> m_workers;
    std::map<size_t, SplitWorker*> m_inFlight; // piece index -> its worker
    std::map<size_t, PieceResult> m_waiting;   // results ahead of an earlier piece's
    size_t m_taken = 0;                        // the next piece to finish in order
    std::vector<std::string> m_outputs;
    std::optional<size_t> m_failed; // the first failed piece, not settled yet
    std::exception_ptr m_failure;   // its error
    std::set<size_t> m_retried;     // pieces run once more on their own
    std::optional<size_t> m_solo;   // the piece running on its own
    std::exception_ptr m_error;     // the error that ends the job
};

} // namespace

std::vector<std::string> runParallelSplit(JobModel& model, JobParts& parts,
                                          audio::OutputFormat outputFormat, Mode mode)
{
    ParallelSplitRun run(model, parts, outputFormat, mode);
    return runOrAbandon(run, [&] { return run.run(); });
}

} // namespace brisklet::engine
