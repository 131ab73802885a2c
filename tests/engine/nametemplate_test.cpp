// Output names from templates: the default template names every case exactly
// as the program always has; fields, widths and collisions in other templates.
#include "engine/nametemplate.h"

#include <gtest/gtest.h>
#include <set>

using namespace brisklet::engine;

namespace {

PathExists existing(std::set<std::string> paths)
{
    return [paths = std::move(paths)](const std::string& p) { return paths.count(p) > 0; };
}

std::string defaultName(const std::string& folder, const std::string& displayName,
                        const std::string& extension, const PathExists& exists)
{
    NameFields fields;
    fields.displayName = displayName;
    fields.number = 7; // the default names ignore the piece's number
    return templatedOutputPath(folder, defaultNameTemplate, fields, extension, exists);
}

} // namespace

TEST(NameTemplate, DefaultGivesTodaysNames)
{
    std::string longName;
    for (int i = 0; i < 200; ++i)
        longName += "\xc3\xa9";
    std::set<std::string> hundredTaken;
    for (int n = 1; n <= 100; ++n)
        hundredTaken.insert("/out/a_" + std::to_string(n) + ".mp3");
    const struct {
        std::string folder, name, extension;
        std::set<std::string> taken;
    } cases[] = {
        {"/out/", "a.b.c", ".mp3", {}},
        {"/out/", "a.b.c", ".mp3", {"/out/a_1.mp3"}},
        {"/out/", ".x.wav", ".wav", {"/out/.x.wav"}},
        {"/out/", "x:y", ".wav", {"/out/xy_1.wav"}},
        {"/out/", "a*b?c|d:e/f\\g<h>i\"j**//", ".ogg", {}},
        {"/out/", "tab\there\nnul\x7f", ".wma", {}},
        {"/out/", "../../etc/passwd", ".mp3", {}},
        {"/out/", "..", ".mp3", {}},
        {"/out/", ".", ".mp3", {}},
        {"/out/", "/abs/path", ".mp3", {}},
        {"/out/", "..\\..\\x", ".mp3", {}},
        {"/out/", "", ".mp3", {}},
        {"/out", "a", ".mp3", {}},
        {"/out/", longName, ".mp3", {}},
        {"/out/", longName + ".mp3", ".mp3", {}},
        {"/out/", "a", ".mp3", hundredTaken},
        {"/out/", "song", "", {}},
    };
    for (const auto& c : cases) {
        const PathExists exists = existing(c.taken);
        EXPECT_EQ(defaultName(c.folder, c.name, c.extension, exists),
                  pieceOutputPath(c.folder, c.name, c.extension, exists))
            << c.name;
    }
    EXPECT_EQ(defaultName("/out/", "a.b.c", ".mp3", existing({"/out/a_1.mp3"})), "/out/a_2.mp3");
}

TEST(NameTemplate, FieldsWidthsAndCollisions)
{
    NameFields fields;
    fields.displayName = "Mr. Brown feat. X";
    fields.number = 3;
    fields.count = 12;
    fields.title = "Who/What?";
    fields.artist = "AC/DC";
    fields.album = "Live";
    fields.startMs = 3725250;
    const auto none = existing({});
    EXPECT_EQ(templatedOutputPath("/o/", "{n:02} - {title}", fields, ".mp3", none),
              "/o/03 - WhoWhat.mp3");
    EXPECT_EQ(
        templatedOutputPath("/o/", "{artist} {album} {n}of{count:3} {start}", fields, ".ogg", none),
        "/o/ACDC Live 3of012 01-02-05.250.ogg");
    EXPECT_EQ(templatedOutputPath("/o/", "{name}{{x}}", fields, ".wav", none), "/o/Mr{x}.wav");
    // A taken name is numbered, never replaced; an empty one is "untitled".
    EXPECT_EQ(templatedOutputPath("/o/", "{title}", fields, ".mp3",
                                  existing({"/o/WhoWhat.mp3", "/o/WhoWhat_2.mp3"})),
              "/o/WhoWhat_3.mp3");
    fields.title.clear();
    EXPECT_EQ(templatedOutputPath("/o/", "{title}", fields, ".mp3", none), "/o/untitled.mp3");
    // A long title gives way; the number and the extension stay.
    fields.title = std::string(300, 't');
    const std::string path = templatedOutputPath("/o/", "{n:02} {title}", fields, ".mp3", none);
    EXPECT_EQ(path.size(), 3 + maxOutputNameBytes);
    EXPECT_EQ(path.substr(0, 7), "/o/03 t");
    EXPECT_EQ(path.substr(path.size() - 5), "t.mp3");
}

TEST(NameTemplate, BadTemplatesAreRefused)
{
    EXPECT_EQ(checkNameTemplate(defaultNameTemplate), "");
    EXPECT_EQ(checkNameTemplate("{n:02} {title} {{}}"), "");
    EXPECT_EQ(checkNameTemplate("{year}"), "unknown field {year}");
    EXPECT_EQ(checkNameTemplate("{title:02}"), "bad width in {title:02}");
    EXPECT_EQ(checkNameTemplate("{n"), "unclosed {");
    EXPECT_EQ(checkNameTemplate("n}"), "unopened }");
    // Used anyway, a refused template names as the default one does.
    EXPECT_EQ(
        templatedOutputPath("/o/", "{year}", {"a.b", 1, 1, "", "", "", 0}, ".mp3", existing({})),
        "/o/a_1.mp3");
}
