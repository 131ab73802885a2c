// Ogg Vorbis pieces copied packet by packet: oggdec decodes each to exactly
// the source's samples over the same frames, ffmpeg reports the same length,
// and ogginfo finds nothing wrong.
#include "audio/audiofile.h"
#include "lossless/vorbis_piece.h"
#include "lossless_helpers.h"

#include <gtest/gtest.h>

namespace brisklet::lossless {
namespace {

TEST(VorbisPieces, DecodeExactlyAsTheSourceOverTheSameFrames)
{
    test::TempDir dir;
    const std::string source = dir.file("source.ogg");
    test::encodeWithFfmpeg(source, 5 * 44100, 44100, 2, "-c:a libvorbis -q:a 3");
    auto reader = audio::createAudioFile();
    reader->OpenRead(source);
    VorbisStream stream(source);
    ASSERT_EQ(stream.refusal(), "");
    ASSERT_EQ(stream.readerLength(), reader->TotalFrames());
    const std::vector<int16_t> whole = test::decodeWithOggdec(source);
    ASSERT_EQ(static_cast<int64_t>(whole.size()), 2 * reader->TotalFrames());

    // In order, then one before the last (the walk starts again), cut inside
    // packets, the first at the very start and one at the very end.
    const int64_t total = reader->TotalFrames();
    const std::vector<std::pair<int64_t, int64_t>> pieces = {
        {0, 1001}, {1001, 44877}, {total - 5001, total}, {88205, 132303}};
    for (size_t k = 0; k < pieces.size(); ++k) {
        const auto [start, end] = pieces[k];
        SCOPED_TRACE("piece " + std::to_string(start) + "-" + std::to_string(end));
        const std::string path = dir.file("piece" + std::to_string(k) + ".ogg");
        {
            base::OutputFile out(path);
            ASSERT_EQ(stream.writePiece(start, end, out), "");
            out.commit();
        }
        const std::vector<int16_t> piece = test::decodeWithOggdec(path);
        EXPECT_EQ(piece, std::vector<int16_t>(whole.begin() + 2 * start, whole.begin() + 2 * end));
        if (k % 2 == 1) { // ffmpeg starts slowly: two pieces tell enough
            // ffmpeg reads the length from the granule positions as well, but
            // its decoding hands out the dropped start with negative times.
            EXPECT_EQ(test::ffprobeValue(path, "duration_ts"), std::to_string(end - start));
        }
        const test::CommandResult check = test::runCommand("ogginfo " + test::shellQuote(path));
        EXPECT_EQ(check.exitCode, 0) << check.output;
        EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
    }
}

TEST(VorbisPieces, APieceInsideOnePacketIsRefusedBeforeAnythingIsWritten)
{
    test::TempDir dir;
    const std::string source = dir.file("source.ogg");
    test::encodeWithFfmpeg(source, 44100, 44100, 1, "-c:a libvorbis -q:a 3");
    VorbisStream stream(source);
    base::OutputFile out(dir.file("piece.ogg"));
    EXPECT_EQ(stream.writePiece(20000, 20010, out), "a piece within one Vorbis packet");
    EXPECT_EQ(out.size(), 0);
}

} // namespace
} // namespace brisklet::lossless
