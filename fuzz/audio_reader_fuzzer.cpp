// The audio component's reader on one source format (the file extension is
// set at build time): any bytes are refused with a message naming the file or
// read up to the damage. Frames read and loop turns are capped, so that a
// stream that decodes forever still ends an iteration.
#include "audio/audioerror.h"
#include "audio/audiofile.h"
#include "fuzzsupport.h"

using namespace brisklet;

namespace {

constexpr int64_t MaxFrames = 1 << 20;
constexpr int MaxReads = 512;
constexpr int64_t ReadSize = 4096;

int64_t readSome(audio::IAudioFile2& file, int channels)
{
    int64_t frames = 0;
    for (int turn = 0; turn < MaxReads && frames < MaxFrames; ++turn) {
        const audio::SampleBlock block = file.ReadFrames(ReadSize);
        if (block.empty())
            break;
        fuzz::require(block.frameCount() <= ReadSize, "more frames than asked for");
        fuzz::require(block.channels() == channels && block.sampleCount() % channels == 0,
                      "a block of another channel count");
        frames += block.frameCount();
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("input" BRISKLET_FUZZ_EXTENSION, input);
    auto file = audio::createAudioFile();
    try {
        file->OpenRead(path);
    } catch (const audio::AudioError& error) {
        fuzz::require(std::string(error.what()).find(path) != std::string::npos,
                      "a refusal that does not name the file: " + std::string(error.what()));
        return 0;
    }
    const int channels = file->Channels();
    fuzz::require(channels >= 1 && channels <= 1024 && file->SampleRate() > 0, // libsndfile's most
                  "an open source without channels or rate");
    const int64_t total = file->TotalFrames();
    fuzz::require(total >= 0, "a negative length");
    try {
        readSome(*file, channels);
        file->Seek(total / 2);
        readSome(*file, channels);
        file->SetBlockFormat(44100, 2);
        file->Seek(0, audio::SeekMode::Fast);
        readSome(*file, 2);
    } catch (const audio::AudioError& error) {
        fuzz::require(std::string(error.what()).find(path) != std::string::npos,
                      "a read error that does not name the file: " + std::string(error.what()));
    }
    file->Close();
    fuzz::require(fuzz::readWholeFile(path) == input, "reading changed the source");
    return 0;
}
