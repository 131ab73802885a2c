// Rate and channel conversion: the BlockConverter itself, a reader with a block
// format, and a writer whose blocks differ from its output format.
#include "audio/converter.h"
#include "audio/wavheader.h"
#include "read_helpers.h"
#include "testsupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

std::vector<float> convertAll(const std::vector<float>& in, int inRate, int inChannels, int outRate,
                              int outChannels)
{
    audio::BlockConverter converter(inRate, inChannels, outRate, outChannels);
    std::vector<float> out;
    // In uneven pieces, as a reader or writer would feed it.
    const int64_t frames = static_cast<int64_t>(in.size()) / inChannels;
    for (int64_t done = 0; done < frames;) {
        int64_t piece = std::min<int64_t>(frames - done, 1000 + done % 777);
        converter.process(in.data() + done * inChannels, piece, out);
        done += piece;
    }
    converter.flush(out);
    return out;
}

double rms(const std::vector<float>& s, int channels, int channel, size_t skipFrames)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = skipFrames * channels + channel; i + skipFrames * channels < s.size();
         i += channels, ++n)
        sum += s[i] * s[i];
    return std::sqrt(sum / static_cast<double>(n));
}

} // namespace

TEST(Converter, RateChangeGivesTheRatioOfFramesAndKeepsTheLevel)
{
    struct Case {
        int inRate, outRate;
    };
    for (Case c : {Case{44100, 22050}, Case{22050, 44100}, Case{44100, 8000}, Case{8000, 48000}}) {
        SCOPED_TRACE(std::to_string(c.inRate) + " -> " + std::to_string(c.outRate));
        const int64_t inFrames = c.inRate * 2;
        std::vector<float> in = makeSignal(inFrames, c.inRate, 2, 300.0);
        std::vector<float> out = convertAll(in, c.inRate, 2, c.outRate, 2);
        const double expected = static_cast<double>(inFrames) * c.outRate / c.inRate;
        EXPECT_NEAR(static_cast<double>(out.size() / 2), expected, 4.0);
        EXPECT_NEAR(rms(out, 2, 0, 200), rms(in, 2, 0, 200), 0.01);
        EXPECT_NEAR(rms(out, 2, 1, 200), rms(in, 2, 1, 200), 0.01);
    }
}

TEST(Converter, MonoToStereoCopiesAtTheSameLevelAndStereoToMonoAverages)
{
    std::vector<float> mono = {0.5f, -0.25f, 1.0f};
    EXPECT_EQ(convertAll(mono, 44100, 1, 44100, 2),
              (std::vector<float>{0.5f, 0.5f, -0.25f, -0.25f, 1.0f, 1.0f}));
    std::vector<float> stereo = {0.5f, 0.25f, -1.0f, 1.0f, 0.2f, 0.2f};
    EXPECT_EQ(convertAll(stereo, 44100, 2, 44100, 1), (std::vector<float>{0.375f, 0.0f, 0.2f}));
}

TEST(Converter, RateAndChannelsTogether)
{
    std::vector<float> mono = makeSignal(22050, 22050, 1, 300.0);
    std::vector<float> stereo = convertAll(mono, 22050, 1, 44100, 2);
    EXPECT_NEAR(static_cast<double>(stereo.size() / 2), 44100.0, 4.0);
    for (size_t i = 0; i < stereo.size(); i += 2)
        ASSERT_EQ(stereo[i], stereo[i + 1]);
    EXPECT_NEAR(rms(stereo, 2, 0, 200), rms(mono, 1, 0, 100), 0.01);
}

TEST(ReaderBlockFormat, BlocksComeConvertedInTheAskedSizes)
{
    TempDir dir;
    const int64_t frames = 44100 * 2 + 31;
    writeToneWav(dir.file("a.wav"), frames, 44100, 2);
    auto reader = audio::createAudioFile();
    reader->OpenRead(dir.file("a.wav"));
    reader->SetBlockFormat(22050, 1);
    // The file's own format is still reported.
    EXPECT_EQ(reader->SampleRate(), 44100);
    EXPECT_EQ(reader->Channels(), 2);
    EXPECT_EQ(reader->ReadFrames(0).frameCount(), 0);
    audio::SampleBlock first = reader->ReadFrames(10000);
    EXPECT_EQ(first.channels(), 1);
    EXPECT_EQ(first.frameCount(), 10000);
    std::vector<float> rest = readAll(*reader, 777);
    EXPECT_NEAR(static_cast<double>(10000 + rest.size()), frames / 2.0, 4.0);

    // The block size does not change what is read.
    reader->Seek(0, audio::SeekMode::Exact);
    std::vector<float> inSmallBlocks = readAll(*reader, 500);
    reader->Seek(0, audio::SeekMode::Exact);
    std::vector<float> inLargeBlocks = readAll(*reader, 441000);
    EXPECT_EQ(inSmallBlocks, inLargeBlocks);
}

TEST(WriterBlockFormat, StereoBlocksAt44100BecomeAn8000HzMonoWav)
{
    TempDir dir;
    const int64_t frames = 44100;
    auto writer = audio::createAudioFile();
    writer->SetPcmFormat(8000, 1, 16);
    writer->SetBlockFormat(44100, 2);
    writer->OpenWrite(dir.file("out.wav"));
    std::vector<float> signal = makeSignal(frames, 44100, 2, 200.0);
    for (int64_t done = 0; done < frames; done += 4410) {
        std::vector<float> part(signal.begin() + done * 2, signal.begin() + (done + 4410) * 2);
        writer->WriteFrames(audio::SampleBlock(2, part));
    }
    writer->Close();
    int rate = 0, channels = 0;
    std::vector<float> written = readPcmFile(dir.file("out.wav"), &rate, &channels);
    EXPECT_EQ(rate, 8000);
    EXPECT_EQ(channels, 1);
    EXPECT_NEAR(static_cast<double>(written.size()), 8000.0, 4.0);
}

TEST(WriterBlockFormat, WavToWavWithoutDeclaredFormatIsBitExact)
{
    TempDir dir;
    std::vector<float> signal = makeSignal(20000, 22050, 1);
    signal[0] = -1.0f;
    signal[1] = 32767.0f / 32768.0f;
    writePcmFile(dir.file("in.wav"), signal, 22050, 1);
    std::vector<float> read = decodeWhole(dir.file("in.wav"));

    auto writer = audio::createAudioFile();
    writer->SetPcmFormat(22050, 1, 16); // no SetBlockFormat: blocks are in the output's format
    writer->OpenWrite(dir.file("out.wav"));
    writer->WriteFrames(audio::SampleBlock(1, read));
    writer->Close();
    // The same samples behind a header with room for 64-bit sizes.
    EXPECT_EQ(readFileBytes(dir.file("out.wav")).size() - audio::kWavHeaderBytes,
              readFileBytes(dir.file("in.wav")).size() - 44);
    EXPECT_EQ(decodeWhole(dir.file("out.wav")), read);
}
