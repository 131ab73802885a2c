// Reading every source format: sample values, exact lengths, and agreement
// with an independent decoder (the ffmpeg and sox programs).
#include "audio/sourceprobe.h"
#include "read_helpers.h"
#include "testsupport.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = 2 * kRate + 123; // not a whole number of codec frames

// What a 16-bit file holds for the signal, as the reader should return it.
std::vector<float> quantized16(const std::vector<float>& samples)
{
    std::vector<float> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] =
            std::fmax(-32768.0f, std::fmin(32767.0f, std::round(samples[i] * 32768.0f))) / 32768.0f;
    return out;
}

// A signal that also reaches both ends of the 16-bit range.
std::vector<float> fullScaleSignal(int channels)
{
    std::vector<float> s = makeSignal(kFrames, kRate, channels);
    s[0] = -1.0f;
    s[1] = 32767.0f / 32768.0f;
    s[2] = 1.5f; // clamps to 32767
    return s;
}

struct Opened {
    std::unique_ptr<audio::IAudioFile2> reader = audio::createAudioFile();
    std::vector<float> samples;
    explicit Opened(const std::string& path)
    {
        reader->OpenRead(path);
        samples = readAll(*reader);
    }
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / reader->Channels(); }
};

} // namespace

TEST(DecodePcm, WavFlacAndRawGiveTheStoredSamplesBitForBit)
{
    TempDir dir;
    for (const char* name : {"a.wav", "a.flac", "a.raw"}) {
        SCOPED_TRACE(name);
        std::vector<float> signal = fullScaleSignal(2);
        writePcmFile(dir.file(name), signal, kRate, 2);
        Opened opened(dir.file(name));
        EXPECT_EQ(opened.reader->SampleRate(), kRate);
        EXPECT_EQ(opened.reader->Channels(), 2);
        EXPECT_EQ(opened.reader->TotalFrames(), kFrames);
        EXPECT_EQ(opened.samples, quantized16(signal));
    }
}

TEST(DecodePcm, DurationIsDerivedFromFramesAndRate)
{
    TempDir dir;
    writeToneWav(dir.file("mono.wav"), 22050 * 3 + 11025, 22050, 1); // 3.5 s
    Opened opened(dir.file("mono.wav"));
    EXPECT_EQ(opened.reader->Channels(), 1);
    EXPECT_EQ(opened.reader->DurationMs(), 3500);
}

TEST(DecodePcm, RawIsHeaderless16BitLittleEndianStereoAt44100)
{
    TempDir dir;
    // Bytes 0x01 0x80 = -32767, 0xFF 0x7F = 32767 (left, right of frame 0).
    writeFileBytes(dir.file("b.raw"), std::string("\x01\x80\xFF\x7F\x00\x00\x00\x40", 8));
    Opened opened(dir.file("b.raw"));
    EXPECT_EQ(opened.reader->SampleRate(), 44100);
    EXPECT_EQ(opened.reader->Channels(), 2);
    ASSERT_EQ(opened.samples.size(), 4u);
    EXPECT_EQ(opened.samples[0], -32767.0f / 32768.0f);
    EXPECT_EQ(opened.samples[1], 32767.0f / 32768.0f);
    EXPECT_EQ(opened.samples[3], 0.5f);
}

TEST(DecodePcm, VoxIsDialogicAdpcmAt8000Mono)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 16000, 8000, 1);
    runOrFail("sox " + shellQuote(dir.file("in.wav")) + " -r 8000 -c 1 -e oki-adpcm " +
              shellQuote(dir.file("v.vox")));
    Opened opened(dir.file("v.vox"));
    EXPECT_EQ(opened.reader->SampleRate(), 8000);
    EXPECT_EQ(opened.reader->Channels(), 1);
    EXPECT_EQ(opened.reader->TotalFrames(), 16000);
    EXPECT_EQ(opened.frames(), 16000);
    // ADPCM is lossy: the tone must still be there (SNR of about 28 dB).
    std::vector<float> original = readPcmFile(dir.file("in.wav"));
    double signal = 0, noise = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        signal += original[i] * original[i];
        noise += (original[i] - opened.samples[i]) * (original[i] - opened.samples[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20.0);
}

TEST(DecodeMpeg, Mp3WithLameTagReadsExactlyTheEncodedLength)
{
    TempDir dir;
    const std::string path = makeSource(dir, Source::Mp3, kFrames);
    Opened opened(path);
    EXPECT_EQ(opened.reader->SampleRate(), kRate);
    EXPECT_EQ(opened.reader->Channels(), 2);
    EXPECT_EQ(opened.reader->TotalFrames(), kFrames); // delay and padding removed
    EXPECT_EQ(opened.frames(), kFrames);
    DecodedAudio ffmpeg = decodeWithFfmpeg(path);
    EXPECT_NEAR(static_cast<double>(ffmpeg.frames()), static_cast<double>(kFrames), 1152);
}

TEST(DecodeMpeg, VbrWithoutXingHeaderHasTheLengthOfAFullDecode)
{
    TempDir dir;
    Opened opened(makeSource(dir, Source::Mp3VbrNoXing, kFrames));
    EXPECT_EQ(opened.reader->TotalFrames(), opened.frames());
    // No gapless information: whole MPEG frames, the encoder delay included.
    EXPECT_EQ(opened.frames() % 1152, 0);
    EXPECT_GE(opened.frames(), kFrames);
    EXPECT_LE(opened.frames(), kFrames + 3 * 1152);
}

TEST(DecodeMpeg, TheXingHeaderIsTrustedOnlyForAWholeStream)
{
    TempDir dir;
    writeMp3(dir.file("stereo.mp3"), makeSignal(kFrames, kRate, 2), kRate, 2);
    writeMp3(dir.file("mono.mp3"), makeSignal(22050, 22050, 1), 22050, 1, 64);
    EXPECT_EQ(audio::MpegHeaderLength::Whole, audio::mpegHeaderLength(dir.file("stereo.mp3")));
    EXPECT_EQ(audio::MpegHeaderLength::Whole, audio::mpegHeaderLength(dir.file("mono.mp3")));
    const std::string whole = readFileBytes(dir.file("stereo.mp3"));
    writeFileBytes(dir.file("tagged.mp3"), whole + "TAG" + std::string(125, ' '));
    EXPECT_EQ(audio::MpegHeaderLength::Whole, audio::mpegHeaderLength(dir.file("tagged.mp3")));
    // A cut file, whole frames or not, is as long at open as its decode.
    for (size_t cut : {size_t{100}, whole.size() / 3, whole.size() / 2 + 77}) {
        SCOPED_TRACE(cut);
        writeFileBytes(dir.file("cut.mp3"), whole.substr(0, whole.size() - cut));
        EXPECT_EQ(audio::MpegHeaderLength::CutShort, audio::mpegHeaderLength(dir.file("cut.mp3")));
        auto reader = audio::createAudioFile();
        reader->OpenRead(dir.file("cut.mp3"));
        const int64_t atOpen = reader->TotalFrames();
        EXPECT_EQ(atOpen, static_cast<int64_t>(readAll(*reader).size()) / 2);
        EXPECT_GT(atOpen, kFrames / 3);
    }
    // A second stream at another rate joined behind: decoded at the first
    // stream's rate, and as long at open as its decode.
    writeMp3(dir.file("slow.mp3"), makeSignal(32000, 32000, 2), 32000, 2);
    writeFileBytes(dir.file("joined.mp3"), whole + readFileBytes(dir.file("slow.mp3")));
    EXPECT_EQ(audio::MpegHeaderLength::Continued, audio::mpegHeaderLength(dir.file("joined.mp3")));
    auto reader = audio::createAudioFile();
    reader->OpenRead(dir.file("joined.mp3"));
    const int64_t atOpen = reader->TotalFrames();
    EXPECT_EQ(atOpen, static_cast<int64_t>(readAll(*reader).size()) / 2);
    EXPECT_GT(atOpen, kFrames + kRate * 9 / 10);
}

TEST(DecodeMpeg, JunkBetweenFramesIsSkipped)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), kRate, kRate, 1);
    runOrFail("ffmpeg -v error -i " + shellQuote(dir.file("in.wav")) +
              " -c:a libmp3lame -b:a 64k -write_xing 0 " + shellQuote(dir.file("a.mp3")));
    const std::string second = readFileBytes(dir.file("a.mp3"));
    writeFileBytes(dir.file("junk.mp3"), second + std::string(100000, '\0') + second);
    Opened one(dir.file("a.mp3"));
    Opened two(dir.file("junk.mp3"));
    EXPECT_EQ(two.frames(), 2 * one.frames());
    EXPECT_EQ(two.reader->TotalFrames(), two.frames());
}

TEST(DecodeMpeg, Mp2MonoReadsAtItsOwnRate)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), 32000, 32000, 1);
    runOrFail("ffmpeg -v error -i " + shellQuote(dir.file("in.wav")) + " -c:a mp2 -b:a 64k " +
              shellQuote(dir.file("a.mp2")));
    Opened opened(dir.file("a.mp2"));
    EXPECT_EQ(opened.reader->SampleRate(), 32000);
    EXPECT_EQ(opened.reader->Channels(), 1);
    EXPECT_EQ(opened.reader->TotalFrames(), opened.frames());
    EXPECT_EQ(opened.frames() % 1152, 0);
    EXPECT_NEAR(static_cast<double>(opened.frames()), 32000.0, 2 * 1152);
}

TEST(DecodeVorbis, OggReadsExactlyTheEncodedLengthAndMatchesFfmpeg)
{
    TempDir dir;
    const std::string path = makeSource(dir, Source::Ogg, kFrames);
    Opened opened(path);
    EXPECT_EQ(opened.reader->TotalFrames(), kFrames);
    EXPECT_EQ(opened.frames(), kFrames);
    DecodedAudio ffmpeg = decodeWithFfmpeg(path);
    ASSERT_EQ(ffmpeg.frames(), kFrames);
    EXPECT_LT(maxDifference(ffmpeg.samples.data(), opened.samples.data(), opened.samples.size()),
              1e-4f);
}

TEST(DecodeWma, WmaLengthIsThatOfAFullDecodeAndMatchesFfmpeg)
{
    TempDir dir;
    const std::string path = makeSource(dir, Source::Wma, kFrames);
    Opened opened(path);
    EXPECT_EQ(opened.reader->SampleRate(), kRate);
    EXPECT_EQ(opened.reader->Channels(), 2);
    EXPECT_EQ(opened.reader->TotalFrames(), opened.frames());
    DecodedAudio ffmpeg = decodeWithFfmpeg(path);
    ASSERT_EQ(ffmpeg.frames(), opened.frames());
    EXPECT_LT(maxDifference(ffmpeg.samples.data(), opened.samples.data(), opened.samples.size()),
              1e-4f);
}

TEST(DecodeWma, LengthKnownAtOpenIsThatOfAFullDecode)
{
    TempDir dir;
    writeToneWav(dir.file("in.wav"), kFrames, kRate, 2);
    struct Case {
        const char* codec;
        int rate, channels;
    };
    for (Case c : {Case{"wmav2", 44100, 2}, Case{"wmav1", 32000, 1}, Case{"wmav2", 22050, 2},
                   Case{"wmav2", 8000, 1}}) {
        SCOPED_TRACE(std::string(c.codec) + " " + std::to_string(c.rate));
        const std::string path = dir.file("a.wma");
        runOrFail("ffmpeg -v error -y -i " + shellQuote(dir.file("in.wav")) + " -c:a " + c.codec +
                  " -ar " + std::to_string(c.rate) + " -ac " + std::to_string(c.channels) +
                  " -b:a 64k " + shellQuote(path));
        auto reader = audio::createAudioFile();
        reader->OpenRead(path);
        const int64_t atOpen = reader->TotalFrames();
        const int64_t decoded = static_cast<int64_t>(readAll(*reader).size()) / c.channels;
        EXPECT_EQ(atOpen, decoded);
        EXPECT_EQ(decodeWithFfmpeg(path).frames(), decoded);
        EXPECT_NEAR(static_cast<double>(decoded) / c.rate, static_cast<double>(kFrames) / kRate,
                    2 * 2048.0 / c.rate);
    }
}

namespace {

void putLittleEndian(std::string& bytes, size_t pos, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[pos + i] = static_cast<char>(value >> (8 * i));
}

uint64_t getLittleEndian(const std::string& bytes, size_t pos, int width)
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= uint64_t(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
    return value;
}

// The WMA file with its audio format given as WAVEFORMATEXTENSIBLE (stereo
// channel mask): FFmpeg then knows the channel order, as it does for every WMA
// Pro and WMA Lossless file, which no encoder at hand can make.
std::string withChannelMask(std::string asf)
{
    const std::string streamProperties(
        "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
    const size_t object = asf.find(streamProperties);
    EXPECT_NE(object, std::string::npos);
    const size_t format = object + 78; // WAVEFORMATEX
    const std::string codecTag = asf.substr(format, 2);
    std::string extensible(22, '\0');
    putLittleEndian(extensible, 0, 16, 2); // valid bits
    putLittleEndian(extensible, 2, 3, 4);  // front left and right
    extensible.replace(6, 2, codecTag);    // subformat: the codec's tag in the base GUID
    extensible.replace(10, 12, std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12));
    asf.insert(format + 18, extensible);
    putLittleEndian(asf, format, 0xFFFE, 2);
    putLittleEndian(asf, format + 16, getLittleEndian(asf, format + 16, 2) + 22, 2);
    putLittleEndian(asf, object + 64, getLittleEndian(asf, object + 64, 4) + 22, 4);
    putLittleEndian(asf, object + 16, getLittleEndian(asf, object + 16, 8) + 22, 8);
    putLittleEndian(asf, 16, getLittleEndian(asf, 16, 8) + 22, 8); // the header object
    return asf;
}

} // namespace

TEST(DecodeWma, AKnownChannelOrderReadsAsTheSameAudio)
{
    TempDir dir;
    writeWma(dir.file("plain.wma"), makeSignal(kFrames, kRate, 2), kRate, 2);
    writeFileBytes(dir.file("mask.wma"), withChannelMask(readFileBytes(dir.file("plain.wma"))));
    Opened plain(dir.file("plain.wma"));
    Opened mask(dir.file("mask.wma"));
    EXPECT_EQ(mask.reader->Channels(), 2);
    EXPECT_EQ(mask.reader->TotalFrames(), plain.reader->TotalFrames());
    EXPECT_EQ(mask.samples, plain.samples);
}

TEST(DecodeDetection, ContentDecidesOverTheExtension)
{
    TempDir dir;
    std::vector<float> signal = makeSignal(kFrames, kRate, 2);
    writeMp3(dir.file("real.mp3"), signal, kRate, 2);
    writePcmFile(dir.file("real.wav"), signal, kRate, 2);
    writeFileBytes(dir.file("mp3.wav"), readFileBytes(dir.file("real.mp3")));
    writeFileBytes(dir.file("wav.mp3"), readFileBytes(dir.file("real.wav")));
    writeFileBytes(dir.file("mp3.noext"), readFileBytes(dir.file("real.mp3")));
    EXPECT_EQ(Opened(dir.file("mp3.wav")).samples, Opened(dir.file("real.mp3")).samples);
    EXPECT_EQ(Opened(dir.file("mp3.noext")).samples, Opened(dir.file("real.mp3")).samples);
    EXPECT_EQ(Opened(dir.file("wav.mp3")).samples, quantized16(signal));
}
