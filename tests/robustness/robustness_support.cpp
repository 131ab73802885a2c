#include "robustness.h"

#include "audio/audioerror.h"
#include "audio/audiofile.h"
#include "engine/headlessview.h"
#include "engine/jobmodel.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRISKLET_HAS_ASAN 1
#endif
#endif
#ifndef BRISKLET_HAS_ASAN
#define BRISKLET_HAS_ASAN 0
#endif
#if defined(__SANITIZE_ADDRESS__) || BRISKLET_HAS_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace brisklet::test {

namespace {

// A guard against a parser that hangs, not a speed target (the benchmarks
// hold those): the sanitizers slow the parsers several times over.
// Loose enough for a loaded machine: a hang runs into it all the same.
constexpr double MaxSeconds = BRISKLET_HAS_ASAN ? 60.0 : 20.0;
// A damaged ASF header may be held once, up to the 16 MiB limit, beside what
// TagLib and FFmpeg take for it.
constexpr int64_t MaxGrowthKiB = 80 * 1024;

#if defined(__SANITIZE_ADDRESS__) || BRISKLET_HAS_ASAN
// Under AddressSanitizer freed memory stays resident in its quarantine, so
// the resident size says little: the live heap bytes are counted instead.
std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> peakBytes{0};

void countMalloc(const volatile void* pointer, size_t size)
{
    (void)pointer;
    const int64_t now = liveBytes += static_cast<int64_t>(size);
    int64_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

void countFree(const volatile void* pointer)
{
    liveBytes -= static_cast<int64_t>(__sanitizer_get_allocated_size(const_cast<void*>(pointer)));
}

const bool hooksInstalled = __sanitizer_install_malloc_and_free_hooks(countMalloc, countFree) != 0;

// Peak growth since the last call, in KiB.
int64_t peakGrowthKiB(bool restart)
{
    static int64_t start = 0;
    if (restart) {
        start = liveBytes.load();
        peakBytes = start;
        return 0;
    }
    return hooksInstalled ? (peakBytes.load() - start) / 1024 : 0;
}
#else
// A field of /proc/self/status in KiB, or -1.
int64_t statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size()));
    }
    return -1;
}

int64_t peakGrowthKiB(bool restart)
{
    static int64_t start = 0;
    static int64_t startFilePages = 0;
    if (restart) {
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak becomes the current size
        start = statusKiB("VmRSS");
        startFilePages = statusKiB("RssFile");
        return 0;
    }
    // The code of libraries loaded on first use (FFmpeg, for WMA and M4A) is
    // not memory the reading holds.
    const int64_t libraries = std::max<int64_t>(0, statusKiB("RssFile") - startFilePages);
    const int64_t peak = statusKiB("VmHWM");
    return start > 0 && peak > 0 ? peak - start - libraries : 0;
}
#endif

} // namespace

void expectHarmless(const std::vector<std::string>& untouched, const std::function<void()>& action)
{
    std::vector<uint64_t> sums;
    for (const std::string& path : untouched)
        sums.push_back(fileChecksum(path));
    peakGrowthKiB(true);
    const auto start = std::chrono::steady_clock::now();
    action();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(seconds, MaxSeconds);
    EXPECT_LE(peakGrowthKiB(false), MaxGrowthKiB) << "KiB of memory growth";
    for (size_t i = 0; i < untouched.size(); ++i)
        EXPECT_EQ(fileChecksum(untouched[i]), sums[i]) << untouched[i] << " was changed";
}

std::string addAndRead(const std::string& path)
{
    engine::HeadlessView view;
    auto reader = audio::createAudioFile();
    engine::JobModel model(view, *reader);
    const std::string refusal = model.addSource(path, engine::AddOrigin::Dialog);
    if (!refusal.empty()) {
        EXPECT_NE(refusal.find(std::filesystem::path(path).filename().string()), std::string::npos)
            << refusal;
        return refusal;
    }
    auto file = audio::createAudioFile();
    try {
        file->OpenRead(path);
        int64_t frames = 0;
        for (int turn = 0; turn < 4096 && frames < (int64_t(1) << 24); ++turn) {
            const audio::SampleBlock block = file->ReadFrames(1 << 14);
            if (block.empty())
                break;
            frames += block.frameCount();
        }
    } catch (const audio::AudioError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
    return {};
}

void putLittle(std::string& bytes, size_t offset, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.at(offset + size_t(i)) = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putBig(std::string& bytes, size_t offset, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.at(offset + size_t(i)) = static_cast<char>((value >> (8 * (width - 1 - i))) & 0xFF);
}

uint64_t getLittle(const std::string& bytes, size_t offset, int width)
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= uint64_t(static_cast<unsigned char>(bytes.at(offset + size_t(i)))) << (8 * i);
    return value;
}

std::vector<OggPage> oggPages(const std::string& bytes)
{
    std::vector<OggPage> pages;
    size_t pos = 0;
    while (pos + 27 <= bytes.size() && bytes.compare(pos, 4, "OggS") == 0) {
        OggPage page;
        page.offset = pos;
        const size_t segments = static_cast<unsigned char>(bytes[pos + 26]);
        page.headerLength = 27 + segments;
        if (pos + page.headerLength > bytes.size())
            break;
        for (size_t i = 0; i < segments; ++i)
            page.bodyLength += static_cast<unsigned char>(bytes[pos + 27 + i]);
        pages.push_back(page);
        pos = page.end();
    }
    return pages;
}

void fixOggChecksum(std::string& bytes, const OggPage& page)
{
    auto* start = reinterpret_cast<unsigned char*>(bytes.data() + page.offset);
    ogg_page view{start, static_cast<long>(page.headerLength), start + page.headerLength,
                  static_cast<long>(page.bodyLength)};
    ogg_page_checksum_set(&view);
}

} // namespace brisklet::test
