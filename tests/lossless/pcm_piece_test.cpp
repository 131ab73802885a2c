// WAV and FLAC pieces keep every sample bit for bit, full scale included, and
// the output check catches a piece that differs from its source.
#include "lossless/piece_copier.h"
#include "lossless_helpers.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <climits>
#include <filesystem>

namespace brisklet::lossless {
namespace {

// Integer samples at full scale and at every bit, read back as integers.
std::vector<int> writeIntegers(const std::string& path, int format, int64_t frames)
{
    std::vector<int> samples(static_cast<size_t>(frames * 2));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int>((i * 2654435761u) & 0xffffff00u); // spans the whole range
    samples[0] = INT32_MAX & ~0xff;
    samples[1] = INT32_MIN;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_int(file, samples.data(), frames);
    sf_close(file);
    return samples;
}

std::vector<int> readIntegers(const std::string& path, int* format = nullptr)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path;
    std::vector<int> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_int(file, samples.data(), info.frames);
    sf_close(file);
    if (format)
        *format = info.format;
    return samples;
}

TEST(PcmPieces, KeepEverySampleAndTheSampleFormat)
{
    struct Case {
        int format;
        const char* extension;
    };
    for (const Case c : {Case{SF_FORMAT_WAV | SF_FORMAT_PCM_16, ".wav"},
                         Case{SF_FORMAT_WAV | SF_FORMAT_PCM_24, ".wav"},
                         Case{SF_FORMAT_WAV | SF_FORMAT_PCM_32, ".wav"},
                         Case{SF_FORMAT_FLAC | SF_FORMAT_PCM_24, ".flac"}}) {
        SCOPED_TRACE(c.format);
        test::TempDir dir;
        const std::string source = dir.file(std::string("source") + c.extension);
        writeIntegers(source, c.format, 30000);
        const std::vector<int> stored = readIntegers(source);
        PieceCopier copier(source, 30000);
        ASSERT_EQ(copier.refusal(), "");
        EXPECT_EQ(copier.extension(), c.extension);
        const std::string piece = dir.file(std::string("piece") + c.extension);
        ASSERT_EQ(copier.writePiece(0, 1234, piece), "");
        const std::string second = dir.file(std::string("second") + c.extension);
        ASSERT_EQ(copier.writePiece(1234, 30000, second), "");
        int format = 0;
        EXPECT_EQ(readIntegers(piece, &format),
                  std::vector<int>(stored.begin(), stored.begin() + 2 * 1234));
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(readIntegers(second), std::vector<int>(stored.begin() + 2 * 1234, stored.end()));
        EXPECT_EQ(checkOutput(second, 30000 - 1234, source, 1234), "");
        EXPECT_EQ(checkOutput(second, 30000 - 1234, source, 1233),
                  "the samples differ from the source's at frame 0");
        EXPECT_EQ(checkOutput(second, 30000, source, 0), "28766 frames instead of 30000");
    }
}

TEST(PcmPieces, SourcesThatCannotBeCopiedSayWhyAndWhatToWriteInstead)
{
    test::TempDir dir;
    const std::string mp2 = dir.file("source.mp2");
    test::encodeWithFfmpeg(mp2, 44100, 44100, 2, "-c:a mp2");
    PieceCopier copier(mp2, 44100);
    EXPECT_EQ(copier.refusal(), "MPEG layer II");
    EXPECT_EQ(copier.nearestFormat(), NearestFormat::Mp3);
    EXPECT_EQ(copier.writePiece(0, 100, dir.file("piece.mp3")), "MPEG layer II");
    EXPECT_FALSE(std::filesystem::exists(dir.file("piece.mp3")));

    const std::string raw = dir.file("source.raw");
    test::writeToneWav(raw, 1000, 44100, 2);
    EXPECT_EQ(PieceCopier(raw, 1000).nearestFormat(), NearestFormat::Wav);
}

} // namespace
} // namespace brisklet::lossless
