// Cover pictures: read from what an independent tag writer (mutagen) put into
// each source format, written so that mutagen reads them back byte for byte,
// and refused by their stated size before they are read.
#include "tags/coverart.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagcarryover.h"
#include "tags/tagerror.h"
#include "tags/wmatag.h"
#include "tags/xiphtags.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

// Tags are written with designated initializers; the fields left out are
// meant to be empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace brisklet::tags;
using namespace brisklet::test;

namespace {

// Every byte value, twelve times over: what a real image's bytes may hold.
const char* const kPythonData = "d = bytes(range(256)) * 12\n";

Picture testPicture()
{
    Picture picture;
    picture.mimeType = "image/png";
    for (int round = 0; round < 12; ++round) {
        for (int b = 0; b < 256; ++b)
            picture.data.push_back(static_cast<char>(b));
    }
    return picture;
}

// mutagen snippets that add a back cover, then the front cover, to the file p.
const char* pictureWriter(const std::string& extension)
{
    if (extension == ".mp3")
        return "t = id3.ID3(p)\n"
               "t.add(id3.APIC(encoding=3, mime='image/jpeg', type=4, desc='back', data=b'xx'))\n"
               "t.add(id3.APIC(encoding=1, mime='image/png', type=3, desc='fr\u00f6nt', data=d))\n"
               "t.save(p)\n";
    if (extension == ".flac")
        return "from mutagen.flac import FLAC, Picture\n"
               "f = FLAC(p)\n"
               "for kind, mime, data in ((4, 'image/jpeg', b'xx'), (3, 'image/png', d)):\n"
               "    pic = Picture(); pic.type = kind; pic.mime = mime; pic.data = data\n"
               "    f.add_picture(pic)\n"
               "f.save()\n";
    if (extension == ".ogg" || extension == ".opus")
        return "import base64, mutagen\nfrom mutagen.flac import Picture\n"
               "f = mutagen.File(p)\nblocks = []\n"
               "for kind, mime, data in ((4, 'image/jpeg', b'xx'), (3, 'image/png', d)):\n"
               "    pic = Picture(); pic.type = kind; pic.mime = mime; pic.data = data\n"
               "    blocks.append(base64.b64encode(pic.write()).decode())\n"
               "f['metadata_block_picture'] = blocks\nf.save()\n";
    if (extension == ".m4a")
        return "from mutagen.mp4 import MP4, MP4Cover\n"
               "f = MP4(p)\nf['covr'] = [MP4Cover(d, imageformat=MP4Cover.FORMAT_PNG)]\nf.save()\n";
    // WM/Picture: type, length, MIME type and description in UTF-16, data.
    return "import struct\nfrom mutagen.asf import ASF, ASFByteArrayAttribute\n"
           "def pic(kind, mime, data):\n"
           "    return ASFByteArrayAttribute(struct.pack('<bI', kind, len(data)) + "
           "(mime + '\\0').encode('utf-16-le') + '\\0'.encode('utf-16-le') + data)\n"
           "f = ASF(p)\nf['WM/Picture'] = [pic(4, 'image/jpeg', b'xx'), pic(3, 'image/png', d)]\n"
           "f.save()\n";
}

// What mutagen reads as the file's front cover: "<mime> <same bytes as d>".
std::string mutagenFrontCover(const std::string& path)
{
    return runMutagen(
        path, std::string(kPythonData) +
                  "import base64, mutagen, struct\nfrom mutagen.flac import Picture\n"
                  "f = mutagen.File(p)\npics = []\n"
                  "if hasattr(f, 'pictures'): pics = [(x.mime, x.data) for x in f.pictures]\n"
                  "elif p.endswith('.mp3'): pics = [(x.mime, x.data) for x in "
                  "f.tags.getall('APIC')]\n"
                  "elif p.endswith('.wma'):\n"
                  "    v = f['WM/Picture'][0].value; n = struct.unpack('<I', v[1:5])[0]\n"
                  "    pics = [('?', v[-n:])]\n"
                  "else:\n"
                  "    for b in f.get('metadata_block_picture', []):\n"
                  "        x = Picture(base64.b64decode(b)); pics.append((x.mime, x.data))\n"
                  "print(len(pics), pics[0][0] if pics else '', bool(pics) and pics[0][1] == d)");
}

} // namespace

TEST(CoverArt, TheFrontCoverIsReadFromEverySourceFormat)
{
    TempDir dir;
    const Picture expected = testPicture();
    for (const char* name : {"a.mp3", "b.flac", "c.ogg", "d.opus", "e.m4a", "f.wma"}) {
        SCOPED_TRACE(name);
        const std::string path = makeEncodedTone(dir, name, 0.2);
        const std::string extension = std::string(name).substr(1);
        ASSERT_EQ(runMutagen(path, std::string("import struct\n") + kPythonData +
                                       pictureWriter(extension) + "print('ok')"),
                  "ok");
        const std::string before = readFileBytes(path);
        const Picture read = ReadCoverPicture(path);
        EXPECT_EQ(read.data, expected.data);
        EXPECT_EQ(read.mimeType, "image/png");
        EXPECT_EQ(readFileBytes(path), before);
    }
}

TEST(CoverArt, WrittenPicturesReadBackByteForByte)
{
    TempDir dir;
    const Picture picture = testPicture();
    const std::string mp3 = makeEncodedTone(dir, "a.mp3", 0.2);
    WriteID3v2(mp3, ID3StructV2{.Title = "t"}, renderApicFrame(picture));
    const std::string ogg = makeEncodedTone(dir, "b.ogg", 0.2);
    WriteOggComments(ogg, OGGTag{.Title = "t"}, {oggPictureComment(picture)});
    const std::string wma = makeEncodedTone(dir, "c.wma", 0.2);
    WriteWmaTag(wma, WMATagStruct{.Title = "t"}, &picture);
    const std::string flac = makeEncodedTone(dir, "d.flac", 0.2);
    WriteFlacTag(flac, OGGTag{.Title = "t", .Date = "1999"}, picture);
    const std::string opus = makeEncodedTone(dir, "e.opus", 0.2);
    WriteOpusTag(opus, OGGTag{.Title = "t", .TrackNumber = "4"}, picture);
    for (const std::string& path : {mp3, ogg, wma, flac, opus}) {
        SCOPED_TRACE(path);
        const std::string mime = path.ends_with(".wma") ? "?" : "image/png";
        EXPECT_EQ(mutagenFrontCover(path), "1 " + mime + " True");
        EXPECT_EQ(ReadCoverPicture(path), picture);
    }
    EXPECT_EQ(runCommand("metaflac --show-tag=TITLE --show-tag=DATE " + shellQuote(flac)).output,
              "TITLE=t\nDATE=1999\n");
    EXPECT_NE(runCommand("opusinfo " + shellQuote(opus)).output.find("TRACKNUMBER=4"),
              std::string::npos);

    // An empty picture removes the old one.
    WriteFlacTag(flac, OGGTag{}, Picture{});
    EXPECT_EQ(mutagenFrontCover(flac), "0  False");
}

TEST(CoverArt, APictureStatedLargerThanTheLimitIsRefusedUnread)
{
    TempDir dir;
    // An ID3 tag whose APIC frame claims 17 MiB the file does not even hold.
    const uint32_t claimed = 17 * 1024 * 1024;
    std::string tag = "ID3\x03";
    tag += std::string(2, '\0');
    for (int shift = 21; shift >= 0; shift -= 7)
        tag.push_back(static_cast<char>(((claimed + 10) >> shift) & 0x7F));
    tag += "APIC";
    for (int shift = 24; shift >= 0; shift -= 8)
        tag.push_back(static_cast<char>((claimed >> shift) & 0xFF));
    tag += std::string(2, '\0') + std::string(100, 'x');
    writeFileBytes(dir.file("big.mp3"), tag);
    try {
        ReadCoverPicture(dir.file("big.mp3"));
        ADD_FAILURE() << "accepted";
    } catch (const TagError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The cover picture of " + dir.file("big.mp3") + " is larger than 16 MiB");
    }
}

TEST(CoverArt, TheCarryOverPutsYearTrackAndCoverIntoEveryFormatThatHoldsThem)
{
    TempDir dir;
    AudioFileinfo record{.Title = "t", .Year = "2001", .Track = "7/12"};
    record.Cover = testPicture();
    for (const char* name : {"a.mp3", "b.ogg", "c.wma", "d.flac", "e.opus"}) {
        SCOPED_TRACE(name);
        const std::string path = makeEncodedTone(dir, name, 0.2);
        WriteOutputTags(path, record);
        const std::string mime = std::string(name).ends_with(".wma") ? "?" : "image/png";
        EXPECT_EQ(mutagenFrontCover(path), "1 " + mime + " True");
        // Year and track as mutagen reads them (WMA keeps the track's number).
        EXPECT_EQ(runMutagen(path,
                             "import mutagen\n"
                             "f = mutagen.File(p, easy=True)\n"
                             "g = lambda *k: [str(f[x][0]) for x in k if x in f]\n"
                             "print(g('date', 'WM/Year'), g('tracknumber', 'WM/TrackNumber'))"),
                  std::string(name).ends_with(".wma") ? "['2001'] ['7']" : "['2001'] ['7/12']");
    }
    writeToneWav(dir.file("f.wav"), 100, 8000, 1);
    const std::string before = readFileBytes(dir.file("f.wav"));
    WriteOutputTags(dir.file("f.wav"), record);
    EXPECT_EQ(readFileBytes(dir.file("f.wav")), before);
}
