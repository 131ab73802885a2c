// Fade: a linear ramp from the start to the end level over the block's frames.
#include "audio/transform.h"

#include <gtest/gtest.h>

using namespace brisklet::audio;

namespace {

SampleBlock ones(int channels, int frames)
{
    return SampleBlock(channels, std::vector<float>(static_cast<size_t>(channels * frames), 1.0f));
}

} // namespace

TEST(Fade, RampsFromStartToEndLevelFrameByFrameOnAllChannelsAlike)
{
    auto transform = createAudioTransform();
    SampleBlock in = ones(2, 5);
    transform->Fade(in, 0.0f, 100.0f);
    EXPECT_EQ(in.samples(),
              (std::vector<float>{0, 0, 0.25f, 0.25f, 0.5f, 0.5f, 0.75f, 0.75f, 1, 1}));

    SampleBlock out = ones(1, 3);
    out[1] = -0.5f;
    transform->Fade(out, 100.0f, 0.0f);
    EXPECT_EQ(out.samples(), (std::vector<float>{1.0f, -0.25f, 0.0f}));

    SampleBlock partial = ones(1, 2);
    transform->Fade(partial, 50.0f, 25.0f);
    EXPECT_EQ(partial.samples(), (std::vector<float>{0.5f, 0.25f}));
}

TEST(Fade, TinyBlocksAreSafe)
{
    auto transform = createAudioTransform();
    SampleBlock empty;
    transform->Fade(empty, 0.0f, 100.0f);
    EXPECT_TRUE(empty.empty());
    SampleBlock single = ones(2, 1);
    transform->Fade(single, 30.0f, 100.0f); // one frame: the start level
    EXPECT_FLOAT_EQ(single[0], 0.3f);
    EXPECT_FLOAT_EQ(single[1], 0.3f);
}
