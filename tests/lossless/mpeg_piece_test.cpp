// MP3 pieces copied frame by frame: decoded with mpg123 (gapless) and ffmpeg,
// each piece is exactly as long as asked and equal to the source's decode
// over the same frames.
#include "audio/audiofile.h"
#include "lossless/mpeg_piece.h"
#include "lossless_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace brisklet::lossless {
namespace {

using test::DecodedAudio;

struct MpegCase {
    const char* name;
    int rate;
    int channels;
    const char* options; // ffmpeg's
    bool expectSelfContained;
    // mpg123's vectorised synthesis rounds by the position in its ring buffer,
    // which a piece of MPEG-2 half-frames need not share with the source.
    float mpg123Tolerance = 0;
};

void expectSamples(const std::vector<float>& got, const std::vector<float>& expected,
                   float tolerance)
{
    ASSERT_EQ(got.size(), expected.size());
    if (tolerance == 0) {
        EXPECT_EQ(got, expected);
        return;
    }
    float worst = 0;
    for (size_t i = 0; i < got.size(); ++i)
        worst = std::max(worst, std::abs(got[i] - expected[i]));
    EXPECT_LE(worst, tolerance);
}

class MpegPieces : public testing::TestWithParam<MpegCase> {};

std::string writePiece(MpegStream& stream, int64_t start, int64_t end, const std::string& path,
                       MpegPiecePlan* planOut = nullptr)
{
    MpegPiecePlan plan = planMpegPiece(stream, start, end);
    if (planOut)
        *planOut = plan;
    if (!plan.refusal.empty())
        return plan.refusal;
    base::OutputFile out(path);
    writeMpegPiece(stream, plan, out);
    out.commit();
    return {};
}

TEST_P(MpegPieces, DecodeExactlyAsTheSourceOverTheSameFrames)
{
    const MpegCase& c = GetParam();
    test::TempDir dir;
    const std::string source = dir.file("source.mp3");
    test::encodeWithFfmpeg(source, 5 * c.rate, c.rate, c.channels, c.options);

    auto reader = audio::createAudioFile();
    reader->OpenRead(source);
    MpegStream stream(source);
    ASSERT_EQ(stream.refusal(), "");
    ASSERT_EQ(stream.readerLength(), reader->TotalFrames());
    const DecodedAudio whole = test::decodeWithMpg123(source, c.channels);
    const DecodedAudio wholeByFfmpeg = test::decodeWithFfmpeg(source);
    ASSERT_EQ(whole.frames(), reader->TotalFrames());

    // Cut points inside frames, one at the very start and one at the very end.
    const int64_t total = reader->TotalFrames();
    const std::vector<std::pair<int64_t, int64_t>> pieces = {
        {0, 1001}, {1001, c.rate + 777}, {2 * c.rate + 5, 3 * c.rate + 3}, {total - 999, total}};
    bool selfContained = false;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const auto [start, end] = pieces[k];
        SCOPED_TRACE("piece " + std::to_string(start) + "-" + std::to_string(end));
        const std::string path = dir.file("piece" + std::to_string(k) + ".mp3");
        MpegPiecePlan plan;
        ASSERT_EQ(writePiece(stream, start, end, path, &plan), "");
        selfContained = selfContained || plan.selfContained;
        const DecodedAudio piece = test::decodeWithMpg123(path, c.channels);
        ASSERT_EQ(piece.frames(), end - start);
        const std::vector<float> expected(whole.samples.begin() + start * c.channels,
                                          whole.samples.begin() + end * c.channels);
        expectSamples(piece.samples, expected, c.mpg123Tolerance);
        if (k % 2 == 1) { // ffmpeg starts slowly: two pieces tell enough
            const DecodedAudio other = test::decodeWithFfmpeg(path);
            ASSERT_EQ(other.frames(), end - start);
            if (stream.sourceTag().hasLameTag) { // then ffmpeg counts positions as mpg123 does
                EXPECT_EQ(other.samples,
                          std::vector<float>(wholeByFfmpeg.samples.begin() + start * c.channels,
                                             wholeByFfmpeg.samples.begin() + end * c.channels));
            }
        }
        EXPECT_EQ(test::mp3valProblems(path), "");
    }
    EXPECT_EQ(selfContained, c.expectSelfContained);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, MpegPieces,
    testing::Values(MpegCase{"Cbr128", 44100, 2, "-c:a libmp3lame -b:a 128k", false},
                    MpegCase{"Vbr", 44100, 2, "-c:a libmp3lame -q:a 4", false},
                    MpegCase{"VbrWithoutXing", 44100, 2, "-c:a libmp3lame -q:a 4 -write_xing 0",
                             false},
                    MpegCase{"LowBitrateReservoir", 44100, 1, "-c:a libmp3lame -b:a 32k", true},
                    MpegCase{"Mpeg2", 22050, 2, "-c:a libmp3lame -b:a 24k", true, 1e-6f}),
    [](const testing::TestParamInfo<MpegCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace brisklet::lossless
