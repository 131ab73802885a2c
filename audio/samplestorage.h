#pragma once
// Internal: sample vectors kept for reuse. A block that is destroyed gives its
// storage back, and the next block read takes it again: reading then costs no
// allocation and no clearing of memory, which is a real part of the time of
// reading the quickest formats (WAV) in one-second blocks.

#include <cstddef>
#include <vector>

namespace brisklet::audio::samplestorage {

// A vector of exactly `samples` samples whose values are unspecified (the
// caller overwrites them).
std::vector<float> take(size_t samples);

// Keeps the storage of a block that ends, if it is worth keeping. Never throws.
void giveBack(std::vector<float>&& storage) noexcept;

} // namespace brisklet::audio::samplestorage
