// ID3: the written tag byte for byte, its placement in front of the audio,
// what mutagen and ffprobe read from it, and reading of v2.2-2.4 and damaged tags.
#include "tags/id3.h"
#include "tags/tagerror.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

using namespace brisklet::tags;
using namespace brisklet::test;

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

std::string frame(const std::string& id, const std::string& data, int version = 3)
{
    const auto size = static_cast<uint32_t>(data.size());
    std::string header = id;
    if (version == 2)
        return header + bytes({int(size >> 16 & 0xFF), int(size >> 8 & 0xFF), int(size & 0xFF)}) +
               data;
    if (version == 4)
        header += bytes({int(size >> 21 & 0x7F), int(size >> 14 & 0x7F), int(size >> 7 & 0x7F),
                         int(size & 0x7F)});
    else
        header += bytes(
            {int(size >> 24), int(size >> 16 & 0xFF), int(size >> 8 & 0xFF), int(size & 0xFF)});
    return header + std::string(2, '\0') + data;
}

std::string tagOf(const std::string& frames, int version = 3, uint32_t declaredSize = 0)
{
    const uint32_t size = declaredSize ? declaredSize : static_cast<uint32_t>(frames.size());
    return "ID3" +
           bytes({version, 0, 0, int(size >> 21 & 0x7F), int(size >> 14 & 0x7F),
                  int(size >> 7 & 0x7F), int(size & 0x7F)}) +
           frames;
}

std::string text0(const std::string& value)
{
    return std::string(1, '\0') + value;
}

} // namespace

TEST(Id3Write, EmptyRecordIsTheHundredAndOneByteTag)
{
    std::string expected = "ID3" + bytes({3, 0, 0, 0, 0, 0, 0x5B});
    for (const char* id : {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON"})
        expected += std::string(id) + bytes({0, 0, 0, 1, 0, 0, 0});
    expected += "COMM" + bytes({0, 0, 0, 5, 0, 0, 0}) + "eng" + bytes({0});
    expected += std::string(10, '\0');
    EXPECT_EQ(renderID3v2({}), expected);
    EXPECT_EQ(expected.size(), 101u);
}

TEST(Id3Write, TitleSizesMatchTheLayout)
{
    ID3StructV2 abc;
    abc.Title = "abc";
    const std::string tag = renderID3v2(abc);
    EXPECT_EQ(tag.substr(6, 4), bytes({0, 0, 0, 0x5E}));
    EXPECT_EQ(tag.substr(10, 14), "TIT2" + bytes({0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c'}));

    ID3StructV2 longTitle;
    longTitle.Title = std::string(110, 'x');
    EXPECT_EQ(renderID3v2(longTitle).substr(6, 4), bytes({0, 0, 1, 0x49}));
}

TEST(Id3Write, EncodingFollowsTheText)
{
    ID3StructV2 latin;
    latin.Title = "Café";
    EXPECT_EQ(renderID3v2(latin).substr(10, 15), "TIT2" + bytes({0, 0, 0, 5, 0, 0, 0}) + "Caf\xE9");

    ID3StructV2 wide;
    wide.Title = "東京";
    // encoding 1, byte order mark, UTF-16LE, no terminator
    EXPECT_EQ(renderID3v2(wide).substr(10, 17),
              "TIT2" + bytes({0, 0, 0, 7, 0, 0, 1, 0xFF, 0xFE, 0x71, 0x67, 0xAC, 0x4E}));
    wide.Comment = "東";
    EXPECT_EQ(parseID3v2(renderID3v2(wide)), wide);
}

TEST(Id3Write, LongValuesAreCutToTheFrameAreaAtACharacterBoundary)
{
    // At most 255 bytes of text after the encoding byte, in the encoding written.
    auto frameData = [](const std::string& rendered, const std::string& id) {
        const size_t at = rendered.find(id);
        const size_t size = static_cast<unsigned char>(rendered[at + 6]) << 8 |
                            static_cast<unsigned char>(rendered[at + 7]);
        return rendered.substr(at + 10, size);
    };
    ID3StructV2 tag;
    tag.Title = std::string(300, 'a');
    tag.Artist = std::string(254, 'b') + "éé"; // one byte each in ISO-8859-1
    for (int i = 0; i < 130; ++i)
        tag.Album += "東";
    tag.Genre = std::string(125, 'g') + "😀"; // its surrogate pair would straddle the end
    tag.Comment = std::string(300, 'c');
    const std::string rendered = renderID3v2(tag);
    EXPECT_EQ(rendered.substr(10, 8), "TIT2" + bytes({0, 0, 1, 0}));
    EXPECT_EQ(frameData(rendered, "TIT2"), text0(std::string(255, 'a')));
    EXPECT_EQ(frameData(rendered, "TPE1"), text0(std::string(254, 'b') + "\xE9"));
    const std::string album = frameData(rendered, "TALB");
    EXPECT_EQ(album.size(), 1u + 2 + 126 * 2);
    EXPECT_EQ(album.substr(0, 5), bytes({1, 0xFF, 0xFE, 0x71, 0x67}));
    EXPECT_EQ(frameData(rendered, "TCON").size(), 1u + 2 + 125 * 2);
    EXPECT_EQ(frameData(rendered, "COMM"), bytes({0, 'e', 'n', 'g', 0}) + std::string(255, 'c'));

    // The reader keeps 250 bytes of a frame, byte order mark included.
    const ID3StructV2 read = parseID3v2(rendered);
    EXPECT_EQ(read.Title, std::string(249, 'a'));
    EXPECT_EQ(read.Artist, std::string(249, 'b'));
    EXPECT_EQ(read.Album, tag.Album.substr(0, 123 * 3));
    EXPECT_EQ(read.Genre, std::string(123, 'g'));
}

TEST(Id3File, TagGoesInFrontOfTheAudioAndReplacesTheOldOne)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "tone.mp3");
    const std::string original = readFileBytes(path);
    const size_t oldTag = leadingID3v2Length(original, original.size());
    ASSERT_GT(oldTag, 0u) << "the encoder writes its own tag";
    const DecodedAudio before = decodeWithFfmpeg(path);

    ID3StructV2 tag;
    tag.Title = "Café Ünïcode — 東京";
    tag.Artist = "Artist";
    tag.Album = "Album";
    tag.Year = "2024";
    tag.Genre = "Rock";
    tag.Comment = "東京 note"; // COMM in UTF-16: its empty description has a byte order mark too
    WriteID3v2(path, tag);
    WriteID3v2(path, tag); // a second write replaces, never stacks

    const std::string written = readFileBytes(path);
    const std::string rendered = renderID3v2(tag);
    EXPECT_EQ(written.substr(0, rendered.size()), rendered);
    EXPECT_EQ(written.substr(rendered.size()), original.substr(oldTag));
    EXPECT_EQ(ReadID3v2(path), tag);
    EXPECT_FALSE(std::filesystem::exists(dir.file("tone.temp")));

    EXPECT_EQ(runMutagen(path, "t = id3.ID3(p)\n"
                               "print('|'.join(str(t.get(k, '')) for k in "
                               "['TIT2','TPE1','TALB','TDRC','TCON','TRCK','COMM::eng']))\n"
                               "print(t.version)"),
              "Café Ünïcode — 東京|Artist|Album|2024|Rock||東京 note\n(2, 3, 0)");
    EXPECT_EQ(ffprobeValue(path, "TAG:title"), "Café Ünïcode — 東京");
    EXPECT_EQ(ffprobeValue(path, "TAG:album"), "Album");
    EXPECT_EQ(decodeWithFfmpeg(path).samples, before.samples);
}

TEST(Id3File, UntaggedFileGetsTheTagPrepended)
{
    TempDir dir;
    const std::string path = dir.file("plain.mp3");
    const std::string audio = "\xFF\xFB\x90\x64" + std::string(400, '\x55');
    writeFileBytes(path, audio);
    ID3StructV2 tag;
    tag.Title = "abc";
    WriteID3v2(path, tag);
    EXPECT_EQ(readFileBytes(path), renderID3v2(tag) + audio);
}

TEST(Id3File, PermissionsSurviveAndReadsChangeNothing)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "ro.mp3");
    makeReadOnly(path);
    const FileState before = fileState(path);
    ReadID3v1(path);
    ReadID3v2(path);
    EXPECT_EQ(fileState(path), before);

    ID3StructV2 tag;
    tag.Title = "kept read-only";
    WriteID3v2(path, tag);
    EXPECT_EQ(fileState(path).permissions, before.permissions);
    EXPECT_EQ(ReadID3v2(path).Title, "kept read-only");
}

TEST(Id3File, WriteToAMissingFileNamesIt)
{
    TempDir dir;
    try {
        WriteID3v2(dir.file("missing.mp3"), {});
        FAIL() << "no error";
    } catch (const TagError& error) {
        EXPECT_NE(std::string(error.what()).find("missing.mp3"), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Id3Read, FrameRules)
{
    // The last of two TIT2 wins; frames after an oversized one are still read.
    const std::string big = text0(std::string(299, 'z'));
    ID3StructV2 read = parseID3v2(tagOf(frame("TIT2", text0("first")) +
                                        frame("TIT2", text0("second")) + frame("TXXX", big) +
                                        frame("TALB", big) + frame("TPE1", text0("  padded \t"))));
    EXPECT_EQ(read.Title, "second");
    EXPECT_EQ(read.Album, std::string(249, 'z'));
    EXPECT_EQ(read.Artist, "padded");

    // COMM: encoding, language, empty description, text.
    EXPECT_EQ(parseID3v2(tagOf(frame("COMM", bytes({0, 'e', 'n', 'g', 0, 'H', 'i'})))).Comment,
              "Hi");
    EXPECT_EQ(
        parseID3v2(tagOf(frame("COMM", bytes({0, 'e', 'n', 'g'}) + "desc" + bytes({0}) + "text")))
            .Comment,
        "text");
}

TEST(Id3Read, EncodingsAndVersions)
{
    // encoding 1 with either byte order, 2 (UTF-16BE), 3 (UTF-8), Latin-1
    const std::string utf16le = bytes({1, 0xFF, 0xFE, 0x71, 0x67, 0xAC, 0x4E, 0, 0});
    const std::string utf16be = bytes({2, 0x67, 0x71, 0x4E, 0xAC});
    const std::string utf16bom = bytes({1, 0xFE, 0xFF, 0x00, 'A', 0x00, 0xE9});
    ID3StructV2 read =
        parseID3v2(tagOf(frame("TIT2", utf16le) + frame("TPE1", utf16be) + frame("TALB", utf16bom) +
                         frame("TCON", "\x03"
                                       "Caf\xC3\xA9") +
                         frame("TYER", text0("Caf\xE9"))));
    EXPECT_EQ(read.Title, "東京");
    EXPECT_EQ(read.Artist, "東京");
    EXPECT_EQ(read.Album, "Aé");
    EXPECT_EQ(read.Genre, "Café");
    EXPECT_EQ(read.Year, "Café");

    // 2.4: synchsafe frame sizes (a 200-byte frame would misread as plain)
    const std::string v24 =
        tagOf(frame("TALB", text0(std::string(199, 'q')), 4) + frame("TIT2", text0("after"), 4) +
                  frame("TDRC", text0("2001"), 4),
              4);
    read = parseID3v2(v24);
    EXPECT_EQ(read.Album, std::string(199, 'q'));
    EXPECT_EQ(read.Title, "after");
    EXPECT_EQ(read.Year, "2001");

    // 2.4 frame sizes that their writer stored plain, as in 2.3
    // (0xC8 is no synchsafe byte; 00 00 01 2C read synchsafe ends inside the text)
    for (const size_t length : {200u, 300u}) {
        read = parseID3v2(tagOf(
            frame("TALB", text0(std::string(length - 1, 'q'))) + frame("TIT2", text0("after")), 4));
        EXPECT_EQ(read.Album, std::string(std::min<size_t>(length - 1, 249), 'q')) << length;
        EXPECT_EQ(read.Title, "after") << length;
    }

    // 2.2: three-character identifiers, six-byte frame headers
    read = parseID3v2(tagOf(frame("TT2", text0("old"), 2) + frame("TP1", text0("timer"), 2), 2));
    EXPECT_EQ(read.Title, "old");
    EXPECT_EQ(read.Artist, "timer");
}

TEST(Id3Read, TagsWrittenByMutagen)
{
    TempDir dir;
    for (const char* version : {"3", "4"}) {
        const std::string path = makeEncodedTone(dir, std::string("m") + version + ".mp3");
        runMutagen(path, "t = id3.ID3()\n"
                         "t.add(id3.TIT2(encoding=3, text='Café Ünïcode — 東京'))\n"
                         "t.add(id3.TPE1(encoding=1, text='Ärtist'))\n"
                         "t.add(id3.TALB(encoding=0, text='Albüm'))\n"
                         "t.add(id3.TCON(encoding=3, text='Jazz'))\n"
                         "t.add(id3.COMM(encoding=1, lang='eng', desc='', text='note'))\n"
                         "t.add(id3.TDRC(encoding=0, text='1999'))\n"
                         "t.save(p, v2_version=" +
                             std::string(version) + ")");
        const ID3StructV2 read = ReadID3v2(path);
        EXPECT_EQ(read.Title, "Café Ünïcode — 東京");
        EXPECT_EQ(read.Artist, "Ärtist");
        EXPECT_EQ(read.Album, "Albüm");
        EXPECT_EQ(read.Genre, "Jazz");
        EXPECT_EQ(read.Comment, "note");
        EXPECT_EQ(read.Year, "1999") << "v2." << version;
    }
}

TEST(Id3Read, DamagedTagsGiveEmptyFields)
{
    const std::string good = frame("TIT2", text0("ok"));
    // declared tag size beyond the data
    EXPECT_EQ(parseID3v2(tagOf(good, 3, 5000)), ID3StructV2{});
    // a frame whose size reaches beyond the tag: it and what follows are dropped
    std::string overlong = frame("TPE1", text0("artist"));
    overlong[7] = 0x7F;
    ID3StructV2 read = parseID3v2(tagOf(good + overlong));
    EXPECT_EQ(read.Title, "ok");
    EXPECT_EQ(read.Artist, "");
    // zero-size frames are passed over
    read = parseID3v2(tagOf(frame("TALB", "") + frame("COMM", "") + good));
    EXPECT_EQ(read.Title, "ok");
    EXPECT_EQ(read.Album, "");

    // every truncation and single-byte damage of a full tag stays inside it
    ID3StructV2 full;
    full.Title = "東京 title";
    full.Comment = "comment";
    const std::string tag = renderID3v2(full);
    for (size_t length = 0; length <= tag.size(); ++length)
        parseID3v2(tag.substr(0, length));
    for (size_t i = 0; i < tag.size(); ++i) {
        for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::string damaged = tag;
            damaged[i] = static_cast<char>(value);
            parseID3v2(damaged);
        }
    }
}

TEST(Id3Read, FilesWithoutAUsableTag)
{
    TempDir dir;
    writeFileBytes(dir.file("short.mp3"), "ID3\x03");
    EXPECT_EQ(ReadID3v2(dir.file("short.mp3")), ID3StructV2{});
    EXPECT_EQ(ReadID3v2(dir.file("missing.mp3")), ID3StructV2{});
    // the tag claims more bytes than the file has
    writeFileBytes(dir.file("cut.mp3"), tagOf(frame("TIT2", text0("ok"))).substr(0, 20));
    EXPECT_EQ(ReadID3v2(dir.file("cut.mp3")), ID3StructV2{});
    EXPECT_EQ(ReadID3v1(dir.file("cut.mp3")).Title, "");
}

TEST(Id3Read, Version1Block)
{
    TempDir dir;
    std::string block = "TAG" + std::string(125, '\0');
    block.replace(3, 6,
                  "Ti\xE9"
                  "tle");
    block.replace(33, 2, "Ar");
    block[127] = 17;
    writeFileBytes(dir.file("v1.mp3"), std::string(500, '\x55') + block);
    const ID3StructV1 tag = ReadID3v1(dir.file("v1.mp3"));
    EXPECT_EQ(tag.Title, "Tiétle");
    EXPECT_EQ(tag.Artist, "Ar");
    EXPECT_EQ(tag.Genre, 17);
    writeFileBytes(dir.file("none.mp3"), std::string(500, '\x55'));
    EXPECT_EQ(ReadID3v1(dir.file("none.mp3")).Title, "");
}
