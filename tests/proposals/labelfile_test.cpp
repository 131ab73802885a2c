// Label files: Audacity's tab-separated labels in and out.
#include "proposal_print.h"
#include "proposals/labelfile.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace brisklet::proposals;
using brisklet::test::TempDir;
using brisklet::test::writeFileBytes;

TEST(LabelFile, ExportThenImportGivesTheSamePieces)
{
    TempDir dir;
    const std::vector<Proposal> pieces = {{0, 1500, "Intro", "", 1},
                                          {2250, 65001, "Caf\xc3\xa9\tpart", "", 2},
                                          {70000, 70000, "", "", 3}};
    writeLabelFile(dir.file("labels.txt"), pieces);
    EXPECT_EQ(brisklet::test::readFileBytes(dir.file("labels.txt")).substr(0, 24),
              "0.000000\t1.500000\tIntro\n");
    auto back = labelPieces(readLabelFile(dir.file("labels.txt")), "labels.txt", 80000);
    std::vector<Proposal> expected = pieces;
    expected[1].title = "Caf\xc3\xa9 part";
    EXPECT_EQ(back, expected);
}

TEST(LabelFile, PointLabelsAreCutPoints)
{
    TempDir dir;
    // Spectral frequency lines and comma decimals, as some locales write them.
    writeFileBytes(dir.file("points.txt"), "30,5\t30,5\tB\n\\\t100\t2000\n0\t0\tA\n\n");
    const auto pieces = labelPieces(readLabelFile(dir.file("points.txt")), "points.txt", 60000);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (Proposal{0, 30500, "A", "", 1}));
    EXPECT_EQ(pieces[1], (Proposal{30500, 60000, "B", "", 2}));
}

TEST(LabelFile, BadLabelsNameTheFileAndTheLine)
{
    TempDir dir;
    const std::string path = dir.file("bad.txt");
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"1\t2\ta\n5\t4\tb\n", path + ", line 2: the label ends before it starts"},
        {"1\t2\ta\nx\t4\tb\n", path + ", line 2: a label needs a start and an end time in seconds"},
        {"-1\t2\n", path + ", line 1: a label needs a start and an end time in seconds"},
        {"1\t2\t\xff\n", path + ", line 1: invalid UTF-8 text"},
        {"\n\n", path + ": the label file has no labels"},
        {"1\t2\ta\n\n90\t95\tlate\n",
         path + ", line 3: the label starts past the end of the source"},
        {"1\t62\ta\n", path + ", line 1: the label ends past the end of the source"},
    };
    for (const auto& c : cases) {
        writeFileBytes(path, c.text);
        std::string message = "no error";
        try {
            labelPieces(readLabelFile(path), path, 60000);
        } catch (const ProposalError& error) {
            message = error.what();
        }
        EXPECT_EQ(message, c.message) << c.text;
    }
    // An end just past the end of the source is the end.
    writeFileBytes(path, "1\t60.4\ta\n");
    EXPECT_EQ(labelPieces(readLabelFile(path), path, 60000)[0].endMs, 60000);
}
