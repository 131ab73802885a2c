// Proposed pieces reaching a source's segment list: from pauses (as a job,
// with progress and Stop), from a label file and back out to one.
#include "engine/proposalcommands.h"
#include "engine/proposedsegments.h"
#include "jobfixture.h"

#include <cmath>

using namespace brisklet;
using brisklet::test::JobFixture;

namespace {

// 8 kHz mono: a tone for each length in `tones` (seconds), one second of
// quiet between them.
std::string writeTalk(JobFixture& f, const std::string& name, const std::vector<int>& tones)
{
    std::vector<float> samples;
    for (size_t t = 0; t < tones.size(); ++t) {
        if (t > 0)
            samples.insert(samples.end(), 8000, 0.0f);
        for (int i = 0; i < tones[t] * 8000; ++i)
            samples.push_back(0.5f * static_cast<float>(std::sin(i * 2 * M_PI * 440 / 8000)));
    }
    const std::string path = f.dir.file(name);
    test::writePcmFile(path, samples, 8000, 1);
    f.addSource(path);
    return path;
}

} // namespace

TEST(ProposalCommands, PausesBecomeSegmentsOfTheSelectedSource)
{
    JobFixture f;
    writeTalk(f, "a.wav", {6, 6, 6});
    writeTalk(f, "b.wav", {20});
    f.view.selectSourceRow(0);
    EXPECT_EQ(engine::proposeFromSilence(f.model, {}, engine::ProposalScope::Selected), "");
    EXPECT_FALSE(f.state().converting);
    // Cut mid-pause at 6.5 s and 13.5 s, within the search's 5 ms windows.
    const std::vector<int64_t> begins{0, 6500, 13500, 0}, ends{6500, 13500, 20000, 20000};
    ASSERT_EQ(f.entry(0).begins.size(), begins.size());
    for (size_t k = 0; k < begins.size(); ++k) {
        EXPECT_NEAR(static_cast<double>(f.entry(0).begins[k]), static_cast<double>(begins[k]), 10);
        EXPECT_NEAR(static_cast<double>(f.entry(0).ends[k]), static_cast<double>(ends[k]), 10);
    }
    EXPECT_EQ(f.entry(0).segmentCount, 4);
    EXPECT_EQ(f.entry(1).segmentCount, 1);
    EXPECT_EQ(f.model.segmentRows().size(), 4u);
    EXPECT_EQ(f.view.percentTexts.back(), "");

    // Modes by time and by count have no segments to fill.
    f.state().FunctionChoice = 1;
    EXPECT_EQ(engine::proposeFromSilence(f.model, {}, engine::ProposalScope::Every),
              engine::onlyCustomMessage);
}

TEST(ProposalCommands, StopEndsTheSearchWithTheSegmentsUntouched)
{
    JobFixture f;
    writeTalk(f, "a.wav", {6, 6});
    f.view.onPump = [&](int) { f.model.stopJob(); };
    EXPECT_EQ(engine::proposeFromSilence(f.model, {}, engine::ProposalScope::Every), "");
    EXPECT_EQ(f.entry(0).segmentCount, 1);
    EXPECT_FALSE(f.state().converting);
}

TEST(ProposalCommands, LabelsExportedThenImportedGiveTheSameSegments)
{
    JobFixture f;
    f.addTone("a.wav", 60);
    f.view.selectSourceRow(0);
    const std::string labels = f.dir.file("labels.txt");
    test::writeFileBytes(labels, "1.2\t10.4\tIntro\n12\t30\tTalk\n");
    EXPECT_EQ(engine::proposeFromLabels(f.model, labels, engine::ProposalScope::Selected), "");
    const engine::listrecord imported = f.entry(0);
    EXPECT_EQ(imported.begins, (std::vector<int64_t>{1200, 12000, 0}));
    EXPECT_EQ(imported.ends, (std::vector<int64_t>{10400, 30000, 60000}));
    EXPECT_EQ(engine::exportLabels(f.model, f.dir.file("out.txt")), "");
    f.model.resetSegments();
    EXPECT_EQ(
        engine::proposeFromLabels(f.model, f.dir.file("out.txt"), engine::ProposalScope::Selected),
        "");
    EXPECT_EQ(f.entry(0).begins, imported.begins);
    EXPECT_EQ(f.entry(0).ends, imported.ends);
    ASSERT_NE(engine::proposedInfo(f.entry(0), 12000, 30000), nullptr);
    EXPECT_EQ(engine::proposedInfo(f.entry(0), 12000, 30000)->title, "Talk");

    // A bad file names itself and the line; the segments stay.
    test::writeFileBytes(labels, "1\t2\tx\n5\t4\ty\n");
    EXPECT_EQ(engine::proposeFromLabels(f.model, labels, engine::ProposalScope::Selected),
              labels + ", line 2: the label ends before it starts");
    EXPECT_EQ(f.entry(0).begins, imported.begins);
}
