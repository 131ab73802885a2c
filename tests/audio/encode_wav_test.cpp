// WAV output: exact lengths and sample values at 8, 16 and 32 bits.

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "audio/wavheader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sndfile.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

// Every value an n-bit sample can hold, as the float the reader gives for it.
std::vector<float> everyValue(int bits)
{
    const double scale = std::ldexp(1.0, bits - 1);
    std::vector<float> samples;
    const int64_t step = bits > 16 ? (int64_t{1} << (bits - 16)) - 1 : 1; // not every 32-bit one
    for (int64_t v = -static_cast<int64_t>(scale); v < static_cast<int64_t>(scale); v += step)
        samples.push_back(static_cast<float>(static_cast<double>(v) / scale));
    samples.push_back(static_cast<float>((scale - 1) / scale));
    return samples;
}

std::vector<int> readInts(const std::string& path, SF_INFO& info)
{
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<int> out(static_cast<size_t>(info.frames * info.channels));
    if (f) {
        sf_read_int(f, out.data(), static_cast<sf_count_t>(out.size()));
        sf_close(f);
    }
    return out;
}

} // namespace

TEST(EncodeWav, EverySampleValueSurvivesAtEachSampleSize)
{
    TempDir dir;
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        std::vector<float> samples = everyValue(bits);
        std::string path = dir.file("values.wav");
        encodeSamples(wavFormat(44100, 1, bits), path, samples, 44100, 1);
        SF_INFO info{};
        std::vector<int> ints = readInts(path, info);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | (bits == 8    ? SF_FORMAT_PCM_U8
                                                : bits == 16 ? SF_FORMAT_PCM_16
                                                : bits == 24 ? SF_FORMAT_PCM_24
                                                             : SF_FORMAT_PCM_32));
        ASSERT_EQ(ints.size(), samples.size());
        const double scale = std::ldexp(1.0, bits - 1);
        size_t wrong = 0;
        for (size_t i = 0; i < samples.size(); ++i) {
            // libsndfile gives every size as the top bits of a 32-bit int; a
            // float that rounds up to 1.0 becomes the largest value.
            int64_t v =
                std::min(std::llround(samples[i] * scale), static_cast<long long>(scale - 1));
            int64_t expected = v * (int64_t{1} << (32 - bits));
            wrong += ints[i] != expected;
        }
        EXPECT_EQ(wrong, 0u);
        // And through the component's reader: the same floats back.
        std::vector<float> back = decodeWhole(path);
        ASSERT_EQ(back.size(), samples.size());
        EXPECT_LE(maxDifference(back.data(), samples.data(), samples.size()),
                  bits == 32 ? 1e-9f : 0.0f);
    }
}

TEST(EncodeWav, OutOfRangeSamplesAreClamped)
{
    TempDir dir;
    std::string path = dir.file("clamp.wav");
    std::vector<float> samples{2.0f, -2.0f, 1.0f, -1.0f, std::nanf("")};
    encodeSamples(wavFormat(8000, 1, 16), path, samples, 8000, 1);
    SF_INFO info{};
    std::vector<int> ints = readInts(path, info);
    EXPECT_EQ(ints,
              (std::vector<int>{32767 << 16, -32768 * 65536, 32767 << 16, -32768 * 65536, 0}));
}

TEST(EncodeWav, LengthRateAndChannelsAreExact)
{
    TempDir dir;
    struct Case {
        int rate, channels, bits;
        int64_t frames;
    };
    for (Case c : {Case{8000, 1, 8, 8001}, Case{96000, 2, 32, 1}, Case{48000, 2, 16, 0}}) {
        SCOPED_TRACE(c.rate);
        std::string path = dir.file("tone.wav");
        Encoded in =
            encodeTone(wavFormat(c.rate, c.channels, c.bits), path, c.frames, 44100, 2, 1000);
        EXPECT_EQ(in.rate, c.rate);
        EXPECT_EQ(in.channels, c.channels);
        DecodedAudio out = decodeWithFfmpeg(path);
        EXPECT_EQ(out.sampleRate, c.rate);
        EXPECT_EQ(out.channels, c.channels);
        EXPECT_EQ(out.frames(), c.frames);
        int rate = 0, channels = 0;
        EXPECT_EQ(decodeWhole(path, &rate, &channels).size(), in.samples.size());
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(channels, c.channels);
    }
}

TEST(EncodeWav, UnsupportedFormatsAreRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    std::string path = dir.file("bad.wav");
    EXPECT_THROW(audio::openEncoder(wavFormat(44100, 2, 12), path, 44100, 2), audio::AudioError);
    EXPECT_THROW(audio::openEncoder(wavFormat(44100, 3, 16), path, 44100, 2), audio::AudioError);
    EXPECT_TRUE(folderEntries(dir.path()).empty());
    // Rate 0 keeps the rate of the blocks.
    EXPECT_EQ(audio::openEncoder(wavFormat(0, 2, 16), path, 32000, 2)->sampleRate(), 32000);
}

TEST(EncodeWav, AnOutputPast4GiBHasAnRf64Header)
{
    TempDir dir;
    const audio::WavLayout stereo16{44100, 2, 16};
    // The largest data a RIFF size holds, one byte more, and 5 GiB.
    const uint64_t largestRiff = 0xFFFFFFFFull - (audio::kWavHeaderBytes - 8) - 1;
    EXPECT_EQ(audio::wavHeader(stereo16, largestRiff).substr(0, 4), "RIFF");
    EXPECT_EQ(audio::wavHeader(stereo16, largestRiff + 1).substr(0, 4), "RF64");
    for (uint64_t dataBytes : {uint64_t{4096}, uint64_t{5} << 30}) {
        SCOPED_TRACE(dataBytes);
        const std::string header = audio::wavHeader(stereo16, dataBytes);
        ASSERT_EQ(header.size(), audio::kWavHeaderBytes);
        // Only the header and a little data: what ffprobe takes from the sizes.
        const std::string path = dir.file("big.wav");
        writeFileBytes(path, header + std::string(4096, '\0'));
        CommandResult probe =
            runCommand("ffprobe -v error -show_entries stream=duration_ts -of default=nw=1:nk=1 " +
                       shellQuote(path));
        EXPECT_EQ(probe.output, std::to_string(dataBytes / 4) + "\n");
    }
}
