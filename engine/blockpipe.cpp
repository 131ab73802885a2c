#include "engine/blockpipe.h"

#include <algorithm>

namespace brisklet::engine {

BlockPipe::BlockPipe(audio::IAudioFile2& writer, size_t capacity)
    : m_writer(writer), m_capacity(std::max<size_t>(1, capacity)), m_thread([this] { loop(); })
{
}

BlockPipe::~BlockPipe()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_blocks.clear();
    }
    m_changed.notify_all();
    m_thread.join();
}

void BlockPipe::push(audio::SampleBlock block)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_error || m_blocks.size() < m_capacity; });
    throwIfFailed();
    m_blocks.push_back(std::move(block));
    lock.unlock();
    m_changed.notify_all();
}

void BlockPipe::drain()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_error || (m_blocks.empty() && !m_writing); });
    throwIfFailed();
}

void BlockPipe::throwIfFailed()
{
    if (m_error)
        std::rethrow_exception(m_error);
}

void BlockPipe::loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || !m_blocks.empty(); });
        if (m_quit)
            return;
        audio::SampleBlock block = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_writing = true;
        lock.unlock();
        m_changed.notify_all();
        std::exception_ptr error;
        try {
            m_writer.WriteFrames(block);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        m_writing = false;
        if (error) {
            // Nothing more is written after a failure; the job's thread
            // finds the error at its next block.
            m_error = error;
            m_blocks.clear();
        }
        m_changed.notify_all();
    }
}

} // namespace brisklet::engine
