// FLAC and Opus pieces through the split job and the real encoders, decoded
// by ffmpeg: FLAC pieces put back together are the source, sample for sample;
// Opus pieces of odd lengths decode to exactly their length at 48 kHz; the
// source's year, track and cover picture reach both, as mutagen reads them.
#include "jobfixture.h"
#include "tagtestfiles.h"

using namespace brisklet;
using namespace brisklet::test;
using engine::Mode;

namespace {

// 16-bit values of a decoded file, as integers (exact comparisons).
std::vector<int> decodedPcm16(const std::string& path)
{
    std::vector<int> out;
    for (float v : decodeWithFfmpeg(path).samples)
        out.push_back(static_cast<int>(std::lround(v * 32768.0f)));
    return out;
}

} // namespace

TEST(NewFormats, FlacPiecesAreTheSourceSampleForSample)
{
    JobFixture f("");
    // Pieces by time keep to the source's whole seconds: the 77 frames past
    // the fifth second are in no piece.
    const std::string source = f.addTone("a.wav", 5, 44100, 2, 77);
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 2000;
    const std::vector<std::string> outputs = f.split(audio::OutputFormat::Flac);
    ASSERT_EQ(outputs, (std::vector<std::string>{f.outFile("a_1.flac"), f.outFile("a_2.flac"),
                                                 f.outFile("a_3.flac")}));
    std::vector<int> joined;
    for (const std::string& piece : outputs) {
        const std::vector<int> part = decodedPcm16(piece);
        joined.insert(joined.end(), part.begin(), part.end());
    }
    std::vector<int> whole = decodedPcm16(source);
    whole.resize(5 * 44100 * 2);
    EXPECT_TRUE(joined == whole);
    EXPECT_EQ(runCommand("metaflac --show-sample-rate --show-bps " + shellQuote(outputs[0])).output,
              "44100\n16\n");
}

TEST(NewFormats, OpusPiecesDecodeToExactlyTheirLength)
{
    JobFixture f("[opus]\nbitrate=64\ncomplexity=3\n");
    f.addTone("a.wav", 5, 44100, 2);
    // Cuts inside 44.1 kHz frames and inside Opus frames.
    f.commitSegmentMs(0, 0, 1001);
    f.commitSegmentMs(0, 1001, 2347);
    f.commitSegmentMs(0, 2347, 5000);
    const std::vector<std::string> outputs = f.split(audio::OutputFormat::Opus);
    ASSERT_EQ(outputs.size(), 3u);
    // 44144, 59359 and 116997 frames at 44.1 kHz, at 48 kHz.
    const double expected[] = {48048.0, 64608.4, 127343.7};
    for (size_t i = 0; i < outputs.size(); ++i)
        EXPECT_NEAR(static_cast<double>(decodedFrames(outputs[i])), expected[i], 0.7) << i;
}

TEST(NewFormats, YearTrackAndCoverReachFlacAndOpusPieces)
{
    JobFixture f("");
    const std::string source = makeEncodedTone(f.dir, "tagged.mp3", 1.5);
    runMutagen(source, "t = id3.ID3(p)\n"
                       "t.add(id3.TIT2(encoding=3, text='Song'))\n"
                       "t.add(id3.TDRC(encoding=3, text='1999'))\n"
                       "t.add(id3.TRCK(encoding=3, text='7/12'))\n"
                       "t.add(id3.APIC(encoding=3, mime='image/png', type=3, desc='',"
                       " data=bytes(range(256)) * 40))\n"
                       "t.save(p, v2_version=4)");
    f.addSource(source);
    ASSERT_EQ(f.model.sources().TagList().at(0).Year, "1999");
    for (audio::OutputFormat format : {audio::OutputFormat::Flac, audio::OutputFormat::Opus}) {
        const std::vector<std::string> outputs = f.split(format);
        f.state().converting = false;
        ASSERT_EQ(outputs.size(), 1u);
        SCOPED_TRACE(outputs[0]);
        EXPECT_EQ(runMutagen(outputs[0],
                             "import mutagen\nfrom mutagen.flac import Picture\nimport base64\n"
                             "f = mutagen.File(p)\n"
                             "pics = f.pictures if hasattr(f, 'pictures') else [Picture("
                             "base64.b64decode(b)) for b in f['metadata_block_picture']]\n"
                             "print(f['title'][0], f['date'][0], f['tracknumber'][0], len(pics),"
                             " pics[0].data == bytes(range(256)) * 40)"),
                  "Song 1999 7/12 1 True");
    }
}
