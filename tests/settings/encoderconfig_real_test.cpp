// The configuration through the real writer: what an independent decoder
// reports of the outputs matches the settings file.
#include "settings/encoderconfig.h"

#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace brisklet::settings {
namespace {

// Configures a real writer from `settings`, writes two seconds of stereo
// 44.1 kHz tone into `output`, and closes it.
void writeConfigured(const test::TempDir& dir, const std::string& settings, int format,
                     const std::string& output)
{
    const std::string settingsPath = dir.file("Brisklet.ini");
    test::writeFileBytes(settingsPath, settings);
    const auto writer = audio::createAudioFile();
    audio::LameEncoderSettings encoder;
    configureWriterFromFile(settingsPath, *audio::outputFormatAt(format), *writer, encoder);
    writer->SetBlockFormat(44100, 2);
    writer->OpenWrite(output);
    writer->WriteFrames(audio::SampleBlock(2, test::makeSignal(2 * 44100, 44100, 2)));
    writer->Close();
}

// What ffprobe reports of the output's first audio stream.
void expectStream(const std::string& path, const std::string& codec, const std::string& rate,
                  const std::string& channels, const std::string& bitrate = {})
{
    SCOPED_TRACE(path);
    EXPECT_EQ(test::ffprobeValue(path, "codec_name"), codec);
    EXPECT_EQ(test::ffprobeValue(path, "sample_rate"), rate);
    EXPECT_EQ(test::ffprobeValue(path, "channels"), channels);
    if (!bitrate.empty()) {
        EXPECT_EQ(test::ffprobeValue(path, "bit_rate"), bitrate);
    }
}

TEST(EncoderConfigEndToEnd, Mp3MonoAt64KbpsAnd22050Hz)
{
    test::TempDir dir;
    const std::string out = dir.file("out.mp3");
    writeConfigured(dir, "[mp3]\nchannel=0\nbitrate=5\nfrequency=4\n", 0, out);
    expectStream(out, "mp3", "22050", "1", "64000");
}

TEST(EncoderConfigEndToEnd, CustomWavAndConstantBitrateOgg)
{
    test::TempDir dir;
    const std::string wav = dir.file("out.wav");
    writeConfigured(dir, "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=0\n", 1, wav);
    expectStream(wav, "pcm_u8", "8000", "1");

    const std::string ogg = dir.file("out.ogg");
    writeConfigured(dir, "[ogg]\nfrequency=6\nchannel=1\nbitrate=7\n", 3, ogg);
    expectStream(ogg, "vorbis", "32000", "2", "96000"); // the nominal bitrate
}

} // namespace
} // namespace brisklet::settings
