#include "audio/samplestorage.h"

#include <algorithm>

namespace brisklet::audio::samplestorage {

namespace {

// Only block-sized storage is kept, and only a few per thread: enough for a
// reader and the blocks in flight between it and a writer.
constexpr size_t kSmallest = size_t(1) << 14;
constexpr size_t kLargest = size_t(1) << 24;
constexpr size_t kKept = 4;

struct Pool {
    std::vector<std::vector<float>> kept;
    ~Pool();
};

// Trivially destructible, so still readable by blocks that end after the pool
// (static objects at exit).
thread_local bool poolAlive = true;

Pool::~Pool()
{
    poolAlive = false;
}

Pool& pool()
{
    thread_local Pool instance;
    return instance;
}

} // namespace

std::vector<float> take(size_t samples)
{
    if (poolAlive && samples >= kSmallest) {
        std::vector<std::vector<float>>& kept = pool().kept;
        // The one already holding the most values needs the least clearing.
        auto best = std::max_element(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return a.size() < b.size();
        });
        if (best != kept.end() && best->capacity() >= samples) {
            std::vector<float> storage = std::move(*best);
            kept.erase(best);
            storage.resize(samples); // clears only what it did not hold before
            return storage;
        }
    }
    return std::vector<float>(samples);
}

void giveBack(std::vector<float>&& storage) noexcept
{
    if (!poolAlive || storage.capacity() < kSmallest || storage.capacity() > kLargest)
        return;
    try {
        std::vector<std::vector<float>>& kept = pool().kept;
        if (kept.size() < kKept)
            kept.push_back(std::move(storage));
    } catch (...) {
        // Not kept: it is freed as usual.
    }
}

} // namespace brisklet::audio::samplestorage
