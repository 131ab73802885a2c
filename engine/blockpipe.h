#pragma once
// Encoding beside decoding: blocks handed to the pipe are written to the
// writer on a thread of its own, with at most `capacity` blocks waiting, so a
// join decodes, resamples and fades its next blocks while the last ones are
// encoded. The writer belongs to the pipe's thread from its start to drain()
// or its end; the job's thread touches it only outside that span.

#include "audio/audiofile.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace brisklet::engine {

class BlockPipe {
public:
    BlockPipe(audio::IAudioFile2& writer, size_t capacity);
    // Drops the blocks not yet written and ends the thread.
    ~BlockPipe();
    BlockPipe(const BlockPipe&) = delete;
    BlockPipe& operator=(const BlockPipe&) = delete;

    // Waits while `capacity` blocks wait. An error of the writer is thrown
    // here (or by drain()), on the job's thread.
    void push(audio::SampleBlock block);
    // Waits until every block is written; the writer is the caller's again.
    void drain();

private:
    void loop();
    void throwIfFailed();

    audio::IAudioFile2& m_writer;
    const size_t m_capacity;
    std::mutex m_mutex; // guards everything below
    std::condition_variable m_changed;
    std::deque<audio::SampleBlock> m_blocks;
    bool m_writing = false; // a block taken off the queue is being written
    bool m_quit = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: starts once everything above is set up
};

} // namespace brisklet::engine
