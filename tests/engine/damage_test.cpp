// A source damaged in the middle: every piece is still written, the audio
// after the damage keeps its place, and the loss is told once for the source.
#include "jobfixture.h"

#include <algorithm>

namespace brisklet::test {
namespace {

using engine::Mode;

constexpr int kRate = 8000;

// The last `frames` samples (mono).
std::vector<float> tail(const std::vector<float>& samples, size_t frames)
{
    return {samples.end() - static_cast<std::ptrdiff_t>(frames), samples.end()};
}

TEST(DamagedSource, PiecesKeepTheirPlaceAndTheLossIsTold)
{
    TempDir dir;
    const std::string whole = dir.file("whole.flac");
    writePcmFile(whole, makeSignal(6 * kRate, kRate, 1), kRate, 1);
    const std::vector<float> original = decodeWithFfmpeg(whole).samples;
    for (const std::string run :
         {"split", "split on two workers", "lossless split", "join", "lossless join"}) {
        SCOPED_TRACE(run);
        JobFixture f;
        f.parts.options.lossless = run.starts_with("lossless");
        const std::string damaged = f.dir.file("damaged.flac");
        writeDamagedFlac(damaged, 6);
        f.addSource(damaged);
        std::vector<std::string> losses;
        f.parts.noteLoss = [&](const std::string& path, const std::string& text) {
            losses.push_back(path + ": " + text);
        };
        f.state().FunctionChoice = static_cast<int>(Mode::ByCount);
        f.state().splitCount = 3;

        std::string last; // an output that ends with the source's last 2 s
        if (run.ends_with("join")) {
            f.state().FunctionChoice = static_cast<int>(Mode::Custom);
            RecordingDialogs dialogs;
            dialogs.answer = engine::SaveChoice{f.outFile("joined"), audio::OutputFormat::Wav};
            audio::OutputFormat format = audio::OutputFormat::Wav;
            last = engine::runJoin(f.model, f.parts, dialogs, format);
            EXPECT_EQ(readPcmFile(last).size(), 6u * kRate);
        } else {
            f.parts.options.workers = run == "split on two workers" ? 2 : 1;
            f.parts.configureWorkerWriter = [&f](audio::OutputFormat format,
                                                 audio::IAudioFile2& writer,
                                                 audio::IAudioFile2LameEnc& encoder) {
                settings::EncoderConfiguration(*f.profile, writer, encoder).configure(format);
            };
            const std::vector<std::string> pieces = f.split();
            ASSERT_EQ(pieces.size(), 3u);
            for (const std::string& piece : pieces)
                EXPECT_EQ(readPcmFile(piece).size(), 2u * kRate) << piece;
            last = pieces.back();
        }
        ASSERT_EQ(losses.size(), 1u);
        EXPECT_EQ(losses[0].rfind(damaged + ": ", 0), 0u) << losses[0];
        EXPECT_NE(losses[0].find(" of 48000 frames could not be decoded"), std::string::npos)
            << losses[0];
        const std::vector<engine::SegmentRow>& rows = f.model.segmentRows();
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const engine::SegmentRow& row) {
            return row.status.rfind("Incomplete: ", 0) == 0;
        }));
        // Past the damage the samples are the source's own, in their place.
        EXPECT_EQ(tail(readPcmFile(last), 2 * kRate), tail(original, 2 * kRate));
    }
}

} // namespace
} // namespace brisklet::test
