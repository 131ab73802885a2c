// FLAC and Opus output, checked with the codecs' own tools: FLAC keeps every
// sample at the source's rate; Opus decodes to exactly the frames written.

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "audio/audiofile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

using namespace brisklet;
using namespace brisklet::test;

namespace {

// The signal rounded to `bits`-bit values, as a PCM source of that depth reads.
std::vector<float> quantised(int64_t frames, int rate, int channels, int bits)
{
    const double scale = std::ldexp(1.0, bits - 1);
    std::vector<float> samples = makeSignal(frames, rate, channels);
    for (float& s : samples)
        s = static_cast<float>(std::nearbyint(s * scale) / scale);
    return samples;
}

// The samples of a FLAC file as signed integers, decoded by the flac program.
std::vector<int32_t> flacIntegers(const std::string& path, int bits)
{
    const std::string raw = path + ".raw";
    runOrFail("flac -s -d -f --force-raw-format --endian=little --sign=signed -o " +
              shellQuote(raw) + " " + shellQuote(path));
    const std::string bytes = readFileBytes(raw);
    const size_t width = static_cast<size_t>(bits / 8);
    std::vector<int32_t> values;
    for (size_t at = 0; at + width <= bytes.size(); at += width) {
        uint32_t v = 0;
        for (size_t b = 0; b < width; ++b)
            v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + b])) << (8 * b);
        const uint32_t sign = 1u << (bits - 1);
        values.push_back(static_cast<int32_t>((v ^ sign) - sign));
    }
    return values;
}

void expectRefused(const audio::EncoderFormat& format, const std::string& path,
                   const std::string& start)
{
    try {
        audio::openEncoder(format, path, 44100, 2);
        ADD_FAILURE() << "accepted: " << path;
    } catch (const audio::AudioError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("cannot create " + path + ": " + start, 0), 0u)
            << e.what();
    }
}

} // namespace

TEST(EncodeFlac, KeepsEverySampleAtTheSourcesRate)
{
    TempDir dir;
    for (auto [rate, channels, bits, level] :
         {std::tuple{44100, 2, 16, 5}, {22050, 1, 24, 8}, {96000, 2, 24, 0}}) {
        SCOPED_TRACE(bits);
        const int64_t frames = rate + 77;
        const std::vector<float> source = quantised(frames, rate, channels, bits);
        const std::string path = dir.file("out.flac");
        encodeSamples(flacFormat(bits, level), path, source, rate, channels);

        const std::vector<int32_t> decoded = flacIntegers(path, bits);
        ASSERT_EQ(decoded.size(), source.size());
        const double scale = std::ldexp(1.0, bits - 1);
        size_t differing = 0;
        for (size_t i = 0; i < source.size(); ++i)
            differing += decoded[i] != static_cast<int32_t>(std::nearbyint(source[i] * scale));
        EXPECT_EQ(differing, 0u);
        EXPECT_EQ(runCommand("metaflac --show-sample-rate --show-channels --show-bps "
                             "--show-total-samples " +
                             shellQuote(path))
                      .output,
                  std::to_string(rate) + "\n" + std::to_string(channels) + "\n" +
                      std::to_string(bits) + "\n" + std::to_string(frames) + "\n");
        // The MD5 sum written at the end matches the audio.
        EXPECT_EQ(runCommand("flac -s -t " + shellQuote(path)).exitCode, 0);
        // ... and the component reads it back as written.
        EXPECT_EQ(decodeWhole(path), source);
    }
}

TEST(EncodeFlac, HigherLevelsCompressMore)
{
    TempDir dir;
    const std::vector<float> source = quantised(44100 * 2, 44100, 2, 16);
    encodeSamples(flacFormat(16, 0), dir.file("0.flac"), source, 44100, 2);
    encodeSamples(flacFormat(16, 8), dir.file("8.flac"), source, 44100, 2);
    EXPECT_LT(std::filesystem::file_size(dir.file("8.flac")),
              std::filesystem::file_size(dir.file("0.flac")));
}

TEST(EncodeOpus, DecodesToExactlyTheFramesWritten)
{
    TempDir dir;
    for (auto [channels, frames] : {std::tuple{2, int64_t(48000 + 77)}, {1, int64_t(1)}}) {
        SCOPED_TRACE(frames);
        const std::string path = dir.file("out.opus");
        Encoded in = encodeTone(opusFormat(96), path, frames, 44100, channels);
        EXPECT_EQ(in.rate, 48000);
        EXPECT_EQ(in.channels, channels);
        EXPECT_EQ(decodeWithFfmpeg(path).frames(), frames);
        const CommandResult info = runCommand("opusinfo " + shellQuote(path));
        EXPECT_EQ(info.exitCode, 0) << info.output;
        EXPECT_EQ(info.output.find("WARNING"), std::string::npos) << info.output;
        if (frames > 1) {
            std::vector<float> back = decodeWhole(path);
            ASSERT_EQ(back.size(), in.samples.size());
            // Lossy, but in place: no delay left at the start.
            double error = 0, signal = 0;
            for (size_t i = 0; i < back.size(); ++i) {
                error += (back[i] - in.samples[i]) * (back[i] - in.samples[i]);
                signal += in.samples[i] * in.samples[i];
            }
            EXPECT_LT(error, signal * 0.01);
        }
    }
}

TEST(EncodeOpus, APieceAt44100IsConvertedTo48000WithItsExactLength)
{
    TempDir dir;
    auto writer = audio::createAudioFile();
    writer->SetOpusFormat(64, 5);
    writer->SetBlockFormat(44100, 2);
    writer->OpenWrite(dir.file("piece.opus"));
    writer->WriteFrames(audio::SampleBlock(2, makeSignal(44100 * 3, 44100, 2)));
    writer->Close();
    EXPECT_EQ(decodeWithFfmpeg(dir.file("piece.opus")).frames(), 48000 * 3);
    const double kbps =
        static_cast<double>(std::filesystem::file_size(dir.file("piece.opus"))) * 8 / 1000 / 3;
    EXPECT_NEAR(kbps, 64, 64 * 0.25);
}

TEST(EncodeFlacOpus, UnsupportedSettingsAreRefusedWithTheFileName)
{
    TempDir dir;
    expectRefused(flacFormat(20), dir.file("a.flac"), "this FLAC format is not supported");
    expectRefused(flacFormat(16, 9), dir.file("b.flac"), "this FLAC format is not supported");
    expectRefused(opusFormat(5), dir.file("c.opus"), "this Opus format is not supported");
    expectRefused(opusFormat(64, 11), dir.file("d.opus"), "this Opus format is not supported");
    EXPECT_TRUE(folderEntries(dir.path()).empty());
}
