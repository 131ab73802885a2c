// Peaks against a hand-made signal, and the peak cache's reuse and invalidation.
#include "waveform/peakjob.h"
#include "waveform/samplewindow.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brisklet::waveform {
namespace {

constexpr int rate = 44100;
constexpr int64_t frames = 2 * rate + 123; // not a whole number of buckets
constexpr int64_t clickFrame = 54321;      // on the right channel only
constexpr int64_t dipFrame = 70001;        // a negative click on the left channel

std::string clickWav(const test::TempDir& dir, const std::string& name = "click.wav")
{
    std::vector<float> samples(frames * 2, 0.0f);
    samples[clickFrame * 2 + 1] = 0.75f;
    samples[dipFrame * 2] = -0.5f;
    const std::string path = dir.file(name);
    test::writePcmFile(path, samples, rate, 2);
    return path;
}

const PeakData& finished(PeakJob& job)
{
    job.wait();
    EXPECT_EQ(job.phase(), PeakJob::Phase::Done) << job.error();
    return job.peaks();
}

// Every column but the click's is silent, at every zoom from single samples
// to the whole file, from the buckets and from decoded samples alike.
void expectClickColumns(const std::vector<PeakRange>& right, const std::vector<PeakRange>& left,
                        int64_t framesPerColumn, const std::string& what)
{
    const size_t clickColumn = clickFrame / framesPerColumn;
    const size_t dipColumn = dipFrame / framesPerColumn;
    for (size_t k = 0; k < right.size(); ++k) {
        SCOPED_TRACE(what + " at " + std::to_string(framesPerColumn) + " frames a column, column " +
                     std::to_string(k));
        EXPECT_NEAR(right[k].max, k == clickColumn ? 0.75f : 0.0f, 1e-3);
        // A column of one frame is the sample itself.
        const bool single = framesPerColumn == 1;
        EXPECT_NEAR(right[k].min, single && k == clickColumn ? 0.75f : 0.0f, 1e-3);
        EXPECT_NEAR(left[k].min, k == dipColumn ? -0.5f : 0.0f, 1e-3);
        EXPECT_NEAR(left[k].max, single && k == dipColumn ? -0.5f : 0.0f, 1e-3);
    }
}

TEST(Peaks, ClickShowsInItsColumnAtEveryZoom)
{
    test::TempDir dir;
    const std::string path = clickWav(dir);
    PeakJob job(path, nullptr);
    const PeakData& peaks = finished(job);
    ASSERT_EQ(peaks.channels, 2);
    ASSERT_EQ(peaks.totalFrames, frames);
    SampleWindow window(path);
    window.cover(0, frames);
    ASSERT_EQ(window.frameCount(), frames);

    for (int64_t perColumn = 1; perColumn < frames * 2; perColumn *= 2) {
        const int count = static_cast<int>((frames + perColumn - 1) / perColumn);
        const float* samples = window.samples().data();
        expectClickColumns(sampleColumns(samples, 2, frames, 1, perColumn, count),
                           sampleColumns(samples, 2, frames, 0, perColumn, count), perColumn,
                           "samples");
        if (perColumn >= framesPerBucket)
            expectClickColumns(bucketColumns(peaks, 1, 0, perColumn, count, job.readyBuckets()),
                               bucketColumns(peaks, 0, 0, perColumn, count, job.readyBuckets()),
                               perColumn, "buckets");
    }
    // Columns past the end hold nothing.
    EXPECT_TRUE(bucketColumns(peaks, 0, frames, framesPerBucket, 3, job.readyBuckets())[0].empty);
}

TEST(Peaks, CacheIsReusedAndInvalidatedWhenTheFileChanges)
{
    test::TempDir dir;
    const std::string path = clickWav(dir);
    const PeakCache cache(dir.file("cache"));
    PeakValues first;
    {
        PeakJob job(path, &cache);
        first = finished(job).values;
        EXPECT_FALSE(job.fromCache());
    }
    {
        PeakJob job(path, &cache);
        EXPECT_EQ(finished(job).values, first);
        EXPECT_TRUE(job.fromCache());
    }
    // Same path, new content (and size and time): decoded again.
    test::writeToneWav(path, frames / 2, rate, 1);
    {
        PeakJob job(path, &cache);
        EXPECT_EQ(finished(job).channels, 1);
        EXPECT_FALSE(job.fromCache());
    }
    // A damaged entry is not trusted.
    std::filesystem::resize_file(cache.entryPath(path), 100);
    {
        PeakJob job(path, &cache);
        EXPECT_EQ(finished(job).totalFrames, frames / 2);
        EXPECT_FALSE(job.fromCache());
    }
    // Only the entries are left in the cache folder: no temporary files.
    int entries = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.file("cache")))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Peaks, UnreadableSourceFailsNamingTheFile)
{
    test::TempDir dir;
    const std::string path = dir.file("notes.mp3");
    test::writeFileBytes(path, "not audio at all");
    PeakJob job(path, nullptr);
    job.wait();
    EXPECT_EQ(job.phase(), PeakJob::Phase::Failed);
    EXPECT_NE(job.error().find("notes.mp3"), std::string::npos) << job.error();
}

} // namespace
} // namespace brisklet::waveform
