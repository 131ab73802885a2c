// Cue sheets: tracks with pregaps under a header of several lines become
// pieces with titles and performers; bad sheets name the file and the line.
#include "proposal_print.h"
#include "proposals/cuesheet.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace brisklet::proposals;
using brisklet::test::TempDir;
using brisklet::test::writeFileBytes;

namespace {

const char* kAlbum = "REM GENRE Rock\r\n"
                     "REM COMMENT \"ripped\"\r\n"
                     "CATALOG 0000000000000\r\n"
                     "PERFORMER \"The Band\"\r\n"
                     "TITLE \"Live at Home\"\r\n"
                     "FILE \"album.wav\" WAVE\r\n"
                     "  TRACK 01 AUDIO\r\n"
                     "    TITLE \"One\"\r\n"
                     "    PERFORMER \"Singer A\"\r\n"
                     "    INDEX 01 00:00:00\r\n"
                     "  TRACK 02 AUDIO\r\n"
                     "    TITLE \"Two: the \"best\"\"\r\n"
                     "    FLAGS DCP\r\n"
                     "    INDEX 00 00:10:00\r\n"
                     "    INDEX 01 00:12:00\r\n"
                     "  TRACK 03 AUDIO\r\n"
                     "    TITLE Three\r\n"
                     "    PREGAP 00:02:00\r\n"
                     "    INDEX 01 00:20:37\r\n";

std::string errorOf(const std::string& path, int64_t durationMs = 60000)
{
    try {
        cuePieces(readCueSheet(path), "/music/album.mp3", durationMs);
    } catch (const ProposalError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(CueSheet, TracksWithPregapsBecomePiecesWithTitles)
{
    TempDir dir;
    writeFileBytes(dir.file("album.cue"), kAlbum);
    const CueSheet sheet = readCueSheet(dir.file("album.cue"));
    EXPECT_EQ(sheet.title, "Live at Home");
    EXPECT_EQ(sheet.performer, "The Band");
    // Another extension than the FILE's: the same recording, converted.
    const auto pieces = cuePieces(sheet, dir.file("album.mp3"), 30000);
    ASSERT_EQ(pieces.size(), 3u);
    // A pregap (INDEX 00) stays with the piece before it.
    EXPECT_EQ(pieces[0], (Proposal{0, 12000, "One", "Singer A", 1}));
    EXPECT_EQ(pieces[1], (Proposal{12000, 20493, "Two: the 'best'", "The Band", 2}));
    EXPECT_EQ(pieces[2], (Proposal{20493, 30000, "Three", "The Band", 3}));
    EXPECT_EQ(cueSheetBeside(dir.file("album.mp3")), dir.file("album.cue"));
    EXPECT_EQ(cueSheetBeside(dir.file("other.mp3")), "");
}

TEST(CueSheet, BadSheetsNameTheFileAndTheLine)
{
    TempDir dir;
    const std::string path = dir.file("bad.cue");
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"TITLE \"x\"\nREM only a header\n", path + ": the cue sheet has no tracks"},
        {"FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 02:00:00\n",
         path + ", line 2: the track starts past the end of album.mp3"},
        {"FILE \"other.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         path + ", line 1: FILE \"other.wav\" is not album.mp3"},
        {"FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n",
         path + ", line 3: INDEX needs a number and a time mm:ss:ff"},
        {"FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nTITLE \"x\"\n",
         path + ", line 2: the track has no INDEX 01"},
        {"FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nFROB 1\n",
         path + ", line 3: unknown command FROB"},
        {"TITLE \"caf\xe9\"\nFILE \"album.wav\" WAVE\n", path + ", line 1: invalid UTF-8 text"},
        {"FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:10:00\nTRACK 02 AUDIO\n"
         "INDEX 01 00:05:00\n",
         path + ", line 4: the track starts before the one above it"},
    };
    for (const auto& c : cases) {
        writeFileBytes(path, c.text);
        EXPECT_EQ(errorOf(path), c.message) << c.text;
    }
    EXPECT_EQ(errorOf(dir.file("missing.cue")), dir.file("missing.cue") + ": cannot be read");
}

TEST(CueSheet, WrittenSheetReadsBack)
{
    TempDir dir;
    const std::vector<Proposal> pieces = {{0, 61010, "First \"one\"", "A", 1},
                                          {61010, 125520, "", "", 2}};
    writeCueSheet(dir.file("mix.cue"), dir.file("mix.mp3"), "Mix", pieces);
    const CueSheet sheet = readCueSheet(dir.file("mix.cue"));
    EXPECT_EQ(sheet.title, "Mix");
    const auto back = cuePieces(sheet, dir.file("mix.mp3"), 130000);
    // Times come back to the nearest 1/75 s.
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], (Proposal{0, 61013, "First 'one'", "A", 1}));
    EXPECT_EQ(back[1], (Proposal{61013, 130000, "", "", 2}));
    EXPECT_NE(brisklet::test::readFileBytes(dir.file("mix.cue")).find("FILE \"mix.mp3\" MP3"),
              std::string::npos);
}
