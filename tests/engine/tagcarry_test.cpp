// The tag carry-over through the split job and the real encoders: each output
// gets its own source's record in its own format, as independent readers show
// it; a Stop-ed piece is tagged too, and joined outputs get no tags.
#include "jobfixture.h"
#include "tagtestfiles.h"

using namespace brisklet;
using namespace brisklet::test;
using engine::Mode;

namespace {

const std::string NonAscii = "Café Ünïcode — 東京";

// An Ogg source whose comments were written by vorbiscomment.
std::string oggSource(const TempDir& dir, const std::string& name,
                      const std::vector<std::string>& comments)
{
    const std::string path = makeEncodedTone(dir, name, 2.0);
    std::string command = "vorbiscomment -R -w";
    for (const std::string& comment : comments)
        command += " -t " + shellQuote(comment);
    const CommandResult result = runCommand(command + " " + shellQuote(path));
    if (result.exitCode != 0)
        ADD_FAILURE() << result.output;
    return path;
}

// An MP3 source whose ID3v2.4 tag was written by mutagen.
std::string mp3Source(const TempDir& dir, const std::string& name)
{
    const std::string path = makeEncodedTone(dir, name, 2.0);
    runMutagen(path, "t = id3.ID3()\n"
                     "t.add(id3.TIT2(encoding=3, text='" +
                         NonAscii +
                         "'))\n"
                         "t.add(id3.TPE1(encoding=1, text='Ärtist'))\n"
                         "t.add(id3.TALB(encoding=0, text='Album'))\n"
                         "t.add(id3.TCON(encoding=3, text='Jazz'))\n"
                         "t.add(id3.TRCK(encoding=0, text='7'))\n"
                         "t.add(id3.COMM(encoding=3, lang='eng', desc='', text='the comment'))\n"
                         "t.save(p, v2_version=4)");
    return path;
}

// The empty TRCK and COMM frames, byte for byte, that an MP3 output carries.
bool hasEmptyTrackAndComment(const std::string& path)
{
    const std::string bytes = readFileBytes(path);
    return bytes.find(std::string("TRCK\0\0\0\1\0\0\0", 11)) != std::string::npos &&
           bytes.find(std::string("COMM\0\0\0\5\0\0\0eng\0", 15)) != std::string::npos;
}

} // namespace

TEST(TagCarry, OggSourcesSplitToMp3GiveTheFiveFieldsOfTheirOwnRecord)
{
    JobFixture f("");
    f.addSource(oggSource(f.dir, "first.ogg",
                          {"TITLE=" + NonAscii, "ARTIST=First artist", "ALBUM=First album",
                           "GENRE=Rock", "COMMENT=not carried", "TRACKNUMBER=3", "DATE=1999"}));
    f.addSource(oggSource(f.dir, "second.ogg",
                          {"TITLE=Other", "ARTIST=Second artist", "GENRE=Pop", "COMMENT=x"}));
    // Year is never seeded; the editor gives it.
    ASSERT_EQ(f.model.sources().TagList().at(0),
              (tags::AudioFileinfo{NonAscii, "First artist", "", "First album", "not carried",
                                   "Rock", ""}));
    f.model.sources().TagList()[0].Year = "2024";

    const std::vector<std::string> outputs = f.split(audio::OutputFormat::Mp3);

    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(f.tagged, outputs);
    EXPECT_EQ(mutagenId3Fields(outputs[0]),
              "2.3.0|" + NonAscii + "|First artist|First album|2024|Rock||");
    EXPECT_EQ(mutagenId3Fields(outputs[1]), "2.3.0|Other|Second artist|||Pop||");
    EXPECT_TRUE(hasEmptyTrackAndComment(outputs[0]));
    EXPECT_TRUE(hasEmptyTrackAndComment(outputs[1]));
    EXPECT_EQ(ffprobeValue(outputs[0], "TAG:title"), NonAscii);
    EXPECT_NEAR(static_cast<double>(decodedFrames(outputs[0])), 2.0 * 44100, 1);
}

TEST(TagCarry, Mp3SourceSplitToOggAndWmaCarriesTheSameFields)
{
    JobFixture f("");
    f.addSource(mp3Source(f.dir, "tagged.mp3"));
    f.model.sources().TagList()[0].Year = "2024";

    const std::vector<std::string> ogg = f.split(audio::OutputFormat::Ogg);
    ASSERT_EQ(ogg.size(), 1u);
    EXPECT_EQ(vorbisCommentList(ogg[0]),
              "Title=" + NonAscii + "\nArtist=Ärtist\nAlbum=Album\nDate=2024\nGenre=Jazz");
    const CommandResult check = runCommand("ogginfo " + shellQuote(ogg[0]));
    EXPECT_EQ(check.exitCode, 0) << check.output;

    const std::vector<std::string> wma = f.split(audio::OutputFormat::Wma);
    ASSERT_EQ(wma.size(), 1u);
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:title"), NonAscii);
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:artist"), "Ärtist");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:album"), "Album");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:genre"), "Jazz");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:WM/Year"), "2024");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:comment"), "");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:track"), "0");
    EXPECT_EQ(f.tagged, (std::vector<std::string>{ogg[0], wma[0]}));
}

TEST(TagCarry, AStoppedPieceIsClosedAndTagged)
{
    JobFixture f("");
    f.addTone("long.wav", 20, 44100, 1);
    f.model.sources().TagList()[0] = {"Stopped", "Artist", "2001", "Album", "", "Genre", ""};
    // Pumps: source, piece, then one per second of audio: stop in the third.
    f.view.onPump = [&](int pump) {
        if (pump == 5)
            f.model.stopJob();
    };

    const std::vector<std::string> outputs = f.split(audio::OutputFormat::Mp3);

    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(f.tagged, outputs);
    EXPECT_EQ(mutagenId3Fields(outputs[0]), "2.3.0|Stopped|Artist|Album|2001|Genre||");
    EXPECT_NEAR(static_cast<double>(decodedFrames(outputs[0])), 2.0 * 44100, 1);
}

TEST(TagCarry, JoinedOutputsGetNoTags)
{
    JobFixture f("");
    f.addSource(mp3Source(f.dir, "a.mp3"));
    f.addSource(oggSource(f.dir, "b.ogg", {"TITLE=b", "ARTIST=b"}));
    for (audio::OutputFormat format :
         {audio::OutputFormat::Mp3, audio::OutputFormat::Wma, audio::OutputFormat::Ogg}) {
        const std::string output =
            engine::runJoinJob(f.model, f.parts, {f.outFile("joined"), format});
        f.state().converting = false;
        SCOPED_TRACE(output);
        EXPECT_NE(readFileBytes(output).substr(0, 3), "ID3");
        EXPECT_EQ(ffprobeValue(output, "TAG:title"), "");
        EXPECT_EQ(ffprobeValue(output, "TAG:artist"), "");
    }
    EXPECT_EQ(vorbisCommentList(f.outFile("joined.ogg")), "");
    EXPECT_TRUE(f.tagged.empty());
}
