// Bad sources: empty files, random bytes under an audio extension, files cut
// off mid-stream. Each is refused with a message naming the file, or read up
// to the damage; nothing crashes or hangs, and the source is left unchanged.
#include "audio/audioerror.h"
#include "read_helpers.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

std::string randomBytes(size_t count, uint32_t seed)
{
    std::string bytes(count, '\0');
    for (char& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

void expectRefused(const std::string& path)
{
    auto reader = audio::createAudioFile();
    try {
        reader->OpenRead(path);
        ADD_FAILURE() << path << " was accepted";
    } catch (const audio::AudioError& e) {
        EXPECT_EQ(std::string(e.what()), path + " is not a supported audio file");
    }
    EXPECT_FALSE(reader->IsOpen());
}

} // namespace

TEST(MalformedRead, EmptyFilesAreRefusedWhateverTheirExtension)
{
    TempDir dir;
    for (const char* name :
         {"e.mp3", "e.mp2", "e.ogg", "e.wav", "e.wma", "e.flac", "e.raw", "e.vox"}) {
        writeFileBytes(dir.file(name), "");
        expectRefused(dir.file(name));
    }
}

TEST(MalformedRead, RandomBytesUnderAnAudioExtensionAreRefused)
{
    TempDir dir;
    uint32_t seed = 1;
    for (const char* name : {"r.mp3", "r.mp2", "r.ogg", "r.wav", "r.wma", "r.flac", "r"}) {
        for (size_t size : {size_t(3), size_t(1000), size_t(300000)}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(size));
            writeFileBytes(dir.file(name), randomBytes(size, seed++));
            expectRefused(dir.file(name));
        }
    }
}

TEST(MalformedRead, AFormatsMagicFollowedByRandomBytesIsRefused)
{
    TempDir dir;
    const std::string asf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    for (const std::string& magic :
         {std::string("RIFF"), std::string("RIFF\x10\0\0\0WAVEfmt ", 16), std::string("OggS"),
          std::string("fLaC"), std::string("ID3\x03"), asf,
          std::string("OggS") + std::string(22, '\0') + "\x01\x13OpusHead",
          std::string("\0\0\0\x20"
                      "ftypM4A ",
                      12)}) {
        SCOPED_TRACE(magic);
        writeFileBytes(dir.file("m.wav"), magic + randomBytes(20000, 7));
        expectRefused(dir.file("m.wav"));
    }
}

TEST(MalformedRead, AMissingFileNamesTheFileAndTheReason)
{
    auto reader = audio::createAudioFile();
    try {
        reader->OpenRead("/nonexistent/x.mp3");
        ADD_FAILURE() << "opened a missing file";
    } catch (const audio::AudioError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "cannot open /nonexistent/x.mp3: No such file or directory");
    }
}

TEST(MalformedRead, ReadingWithoutAnOpenSourceFailsWithAMessage)
{
    auto reader = audio::createAudioFile();
    EXPECT_THROW(reader->ReadFrames(10), audio::AudioError);
    EXPECT_THROW(reader->Seek(10, audio::SeekMode::Exact), audio::AudioError);
    EXPECT_EQ(reader->TotalFrames(), 0);
}

// A file cut off mid-stream reads up to the damage, and its length is what
// that read gives; one cut inside its header is refused.
TEST(MalformedRead, TruncatedFilesReadUpToTheDamage)
{
    TempDir dir;
    const int64_t frames = 44100 * 2;
    std::vector<float> signal = makeSignal(frames, 44100, 2);
    writePcmFile(dir.file("t.wav"), signal, 44100, 2);
    writePcmFile(dir.file("t.flac"), signal, 44100, 2);
    writeMp3(dir.file("t.mp3"), signal, 44100, 2);
    writeOgg(dir.file("t.ogg"), signal, 44100, 2);
    writeWma(dir.file("t.wma"), signal, 44100, 2);
    runOrFail("opusenc --quiet " + shellQuote(dir.file("t.wav")) + " " +
              shellQuote(dir.file("t.opus")));
    runOrFail("ffmpeg -v error -i " + shellQuote(dir.file("t.wav")) +
              " -c:a aac -movflags +faststart " + shellQuote(dir.file("t.m4a")));
    for (const char* name : {"t.wav", "t.flac", "t.mp3", "t.ogg", "t.wma", "t.opus", "t.m4a"}) {
        SCOPED_TRACE(name);
        const std::string whole = readFileBytes(dir.file(name));
        const std::string cut = dir.file(std::string("cut_") + name);
        writeFileBytes(cut, whole.substr(0, whole.size() * 6 / 10));
        const uint64_t before = fileChecksum(cut);
        auto reader = audio::createAudioFile();
        reader->OpenRead(cut);
        const int64_t total = reader->TotalFrames();
        const int64_t got = static_cast<int64_t>(readAll(*reader).size()) / 2;
        EXPECT_GT(got, frames * 4 / 10);
        EXPECT_LT(got, frames * 8 / 10);
        EXPECT_EQ(total, got); // known before reading
        EXPECT_EQ(reader->TotalFrames(), got);
        reader->Close();
        EXPECT_EQ(fileChecksum(cut), before);

        writeFileBytes(cut, whole.substr(0, 20));
        try {
            reader->OpenRead(cut);
            EXPECT_LT(readAll(*reader).size(), 2000u); // read up to the damage: next to nothing
        } catch (const audio::AudioError& e) {
            EXPECT_NE(std::string(e.what()).find(cut), std::string::npos) << e.what();
        }
    }
}
