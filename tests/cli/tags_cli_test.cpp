// brisklet-cli tags and the tags that brisklet-cli split carries into its
// outputs, on files tagged by independent writers and read back by them.
#include "tagtestfiles.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using namespace brisklet::test;

namespace {

const std::string NonAscii = "Café Ünïcode — 東京";

std::string cli()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

struct TagsCli : ::testing::Test {
    TempDir dir;
    std::string settings = dir.file("Brisklet.ini"); // every format at its defaults

    void SetUp() override { writeFileBytes(settings, ""); }

    // stdout alone; stderr goes to errors().
    CommandResult run(const std::string& arguments)
    {
        return runCommand("(" + cli() + " " + arguments + " 2>" + shellQuote(dir.file("stderr")) +
                          ")");
    }
    std::string errors() { return readFileBytes(dir.file("stderr")); }

    std::vector<std::string> split(const std::string& format, const std::string& source)
    {
        const CommandResult r =
            run("split --format " + format + " --settings " + shellQuote(settings) + " --out " +
                shellQuote(dir.file(format)) + " " + shellQuote(source));
        EXPECT_EQ(r.exitCode, 0) << errors();
        std::vector<std::string> outputs;
        std::istringstream in(r.output);
        for (std::string line; std::getline(in, line);)
            outputs.push_back(line);
        return outputs;
    }

    std::string taggedOgg()
    {
        const std::string path = makeEncodedTone(dir, "in.ogg");
        EXPECT_EQ(runCommand("vorbiscomment -R -w -t " + shellQuote("TITLE=" + NonAscii + "?") +
                             " -t ARTIST=Artist -t ALBUM=Album -t GENRE=Rock -t DATE=1999"
                             " -t TRACKNUMBER=4 -t 'COMMENT=two\nlines' " +
                             shellQuote(path))
                      .exitCode,
                  0);
        return path;
    }

    std::string taggedMp3()
    {
        const std::string path = makeEncodedTone(dir, "in.mp3");
        runMutagen(path,
                   "t = id3.ID3()\n"
                   "t.add(id3.TIT2(encoding=1, text=' " +
                       NonAscii +
                       " '))\n"
                       "t.add(id3.TPE1(encoding=0, text='Ärtist'))\n"
                       "t.add(id3.TALB(encoding=3, text='Album'))\n"
                       "t.add(id3.TCON(encoding=0, text='Jazz'))\n"
                       "t.add(id3.TRCK(encoding=0, text='2'))\n"
                       "t.add(id3.COMM(encoding=0, lang='eng', desc='', text='back\\\\slash'))\n"
                       "t.save(p, v2_version=3)");
        return path;
    }
};

} // namespace

TEST_F(TagsCli, TagsPrintsTheSeededRecord)
{
    // Titles of MP3 and Ogg files are cleaned and trimmed.
    CommandResult r = run("tags " + shellQuote(taggedOgg()));
    EXPECT_EQ(r.exitCode, 0) << errors();
    EXPECT_EQ(r.output,
              "Title=" + NonAscii +
                  "\nArtist=Artist\nAlbum=Album\nYear=1999\nGenre=Rock\nComment=two\\nlines"
                  "\nTrack=4\nPicture=\n");

    r = run("tags " + shellQuote(taggedMp3()));
    EXPECT_EQ(r.exitCode, 0) << errors();
    EXPECT_EQ(r.output, "Title=" + NonAscii +
                            "\nArtist=Ärtist\nAlbum=Album\nYear=\nGenre=Jazz\nComment=back\\\\slash"
                            "\nTrack=2\nPicture=\n");

    // WMA values as read, not cleaned.
    const std::string wma = makeEncodedTone(dir, "in.wma");
    ASSERT_EQ(runCommand("ffmpeg -v error -y -i " + shellQuote(wma) +
                         " -c copy -metadata 'title= a: b' -metadata author=Artist"
                         " -metadata WM/AlbumTitle=Album -metadata WM/Genre=Pop " +
                         shellQuote(dir.file("tagged.wma")))
                  .exitCode,
              0);
    r = run("tags " + shellQuote(dir.file("tagged.wma")));
    EXPECT_EQ(r.output, "Title= a: b\nArtist=Artist\nAlbum=Album\nYear=\nGenre=Pop\nComment=\n"
                        "Track=\nPicture=\n");

    writeToneWav(dir.file("plain.wav"), 800, 8000, 1);
    r = run("tags " + shellQuote(dir.file("plain.wav")));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "Title=\nArtist=\nAlbum=\nYear=\nGenre=\nComment=\nTrack=\nPicture=\n");
}

TEST_F(TagsCli, TagsNamesTheFileItCannotRead)
{
    CommandResult r = run("tags " + shellQuote(dir.file("missing.mp3")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "");
    EXPECT_NE(errors().find("cannot open " + dir.file("missing.mp3")), std::string::npos);

    writeFileBytes(dir.file("bad.ogg"), std::string(2000, 'x'));
    r = run("tags " + shellQuote(dir.file("bad.ogg")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(errors().find("Cannot open " + dir.file("bad.ogg") + ": not an Ogg file"),
              std::string::npos)
        << errors();

    EXPECT_EQ(run("tags").exitCode, 2);
    EXPECT_EQ(run("tags a b").exitCode, 2);
}

TEST_F(TagsCli, AFifoOrALinkLoopIsRefusedAtOnceWithTheReason)
{
    const std::string fifo = dir.file("pipe.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string loop = dir.file("loop.ogg");
    std::filesystem::create_symlink(loop, loop);
    const std::string both = " " + shellQuote(fifo) + " " + shellQuote(loop);
    // Nobody writes the FIFO: opening it would wait for ever.
    CommandResult r = run("info" + both);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(errors().find("cannot open " + fifo + ": it is not a regular file"),
              std::string::npos)
        << errors();
    EXPECT_NE(errors().find("cannot open " + loop + ": " + std::strerror(ELOOP)), std::string::npos)
        << errors();
    EXPECT_EQ(run("split --out " + shellQuote(dir.file("out")) + both).exitCode, 1);
    for (const std::string& path : {fifo, loop}) {
        EXPECT_EQ(run("tags " + shellQuote(path)).exitCode, 1);
        EXPECT_NE(errors().find("cannot open " + path + ": "), std::string::npos) << errors();
    }
}

TEST_F(TagsCli, SplitCarriesTheRecordIntoEachFormat)
{
    const std::string ogg = taggedOgg();
    const std::vector<std::string> mp3 = split("mp3", ogg);
    ASSERT_EQ(mp3.size(), 1u);
    // Year and track travel too.
    EXPECT_EQ(mutagenId3Fields(mp3[0]), "2.3.0|" + NonAscii + "|Artist|Album|1999|Rock|4|");

    const std::string source = taggedMp3();
    const std::vector<std::string> vorbis = split("ogg", source);
    ASSERT_EQ(vorbis.size(), 1u);
    EXPECT_EQ(vorbisCommentList(vorbis[0]),
              "Title=" + NonAscii + "\nArtist=Ärtist\nAlbum=Album\nTrackNumber=2\nGenre=Jazz");

    const std::vector<std::string> wma = split("wma", source);
    ASSERT_EQ(wma.size(), 1u);
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:title"), NonAscii);
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:artist"), "Ärtist");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:genre"), "Jazz");
    EXPECT_EQ(ffprobeValue(wma[0], "TAG:comment"), "");

    const std::vector<std::string> wav = split("wav", source);
    ASSERT_EQ(wav.size(), 1u);
    EXPECT_EQ(readFileBytes(wav[0]).substr(0, 4), "RIFF");
}

TEST_F(TagsCli, JoinCarriesNoTags)
{
    const CommandResult r =
        run("join --format mp3 --settings " + shellQuote(settings) + " --output " +
            shellQuote(dir.file("joined")) + " " + shellQuote(taggedOgg()));
    ASSERT_EQ(r.exitCode, 0) << errors();
    EXPECT_NE(readFileBytes(dir.file("joined.mp3")).substr(0, 3), "ID3");
    EXPECT_EQ(ffprobeValue(dir.file("joined.mp3"), "TAG:title"), "");
}
