#include "framework/IPlugBase.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/TestPlug.h"

namespace
{

std::vector<float> Ramp(int frames, float start)
{
    std::vector<float> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
    {
        samples[static_cast<std::size_t>(i)] = start + static_cast<float>(i);
    }
    return samples;
}

// Records the buffers ProcessBlock receives, and adds 1000 to every sample it copies.
class ProbePlug : public TestPlug
{
public:
    using TestPlug::TestPlug;
    void ProcessBlock(double** inputs, double** outputs, int frames) noexcept override
    {
        lastFrames = frames;
        for (int c = 0; c < 2; ++c)
        {
            for (int i = 0; i < frames; ++i)
            {
                outputs[c][i] = inputs[c][i] + 1000.0;
            }
        }
    }
    int lastFrames = -1;
};

TEST(ChannelPlumbing, HeadlessAdapterStartsConnectedWithBlockSize1024)
{
    TestPlug plug(0);
    EXPECT_EQ(plug.BlockSize(), 1024);
    EXPECT_TRUE(plug.IsInputConnected(0));
    EXPECT_TRUE(plug.IsInputConnected(1));
    EXPECT_TRUE(plug.IsOutputConnected(1));
    EXPECT_TRUE(plug.HasLatencyDelayLine());
    EXPECT_EQ(plug.HostId(), kHostUnknown);
}

TEST(ChannelPlumbing, MonoBlockProcessesSecondChannelFromSilence)
{
    ProbePlug plug(0);
    std::vector<float> in = Ramp(64, 1.0f);
    std::vector<float> out(64, -1.0f);
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    plug.RenderBlock(inputs, 1, outputs, 1, 64, false);
    EXPECT_EQ(plug.BlockSize(), 64);
    EXPECT_EQ(plug.lastFrames, 64);
    EXPECT_TRUE(plug.IsInputConnected(0));
    EXPECT_FALSE(plug.IsInputConnected(1));
    EXPECT_FALSE(plug.IsOutputConnected(1));
    for (int i = 0; i < 64; ++i)
    {
        EXPECT_EQ(out[i], 1001.0f + i);
    }
}

TEST(ChannelPlumbing, InputEntriesAreConsumedOnlyByConnectedChannels)
{
    ProbePlug plug(0);
    plug.SetHostBlockSize(4);
    std::vector<float> first = Ramp(4, 10.0f);
    std::vector<float> outLeft(4, 0.0f);
    std::vector<float> outRight(4, 0.0f);
    float* inputs[] = {first.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    plug.ClearChannelBuffers();
    plug.ConnectInputs(0, 2, true);
    plug.ConnectInputs(0, 1, false);
    plug.TakeInputs(0, 2, inputs, 4);
    plug.ConnectOutputs(0, 2, true);
    plug.TakeOutputs(0, 2, outputs);
    plug.RunBlock(4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(outLeft[i], 1000.0f) << "channel 0 runs on its cleared scratch buffer";
        EXPECT_EQ(outRight[i], 1010.0f + i) << "channel 1 took the first entry";
    }
}

TEST(ChannelPlumbing, SameBlockSizeLeavesBuffersAlone)
{
    ProbePlug plug(0);
    plug.SetHostBlockSize(8);
    std::vector<float> in = Ramp(8, 1.0f);
    std::vector<float> out(8, 0.0f);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data()};
    plug.TakeInputs(0, 2, inputs, 8);
    plug.TakeOutputs(0, 1, outputs);
    plug.SetHostBlockSize(8);
    plug.RunBlock(8);
    EXPECT_EQ(out[7], 1008.0f);

    plug.SetHostBlockSize(16); // new buffers, zeroed, pointers follow them
    plug.TakeOutputs(0, 1, outputs);
    plug.RunBlock(8);
    EXPECT_EQ(out[7], 1000.0f);
}

TEST(ChannelPlumbing, FramesBeyondTheBlockSizeAreNotTouched)
{
    ProbePlug plug(0);
    plug.SetHostBlockSize(16);
    std::vector<float> in = Ramp(64, 0.0f);
    std::vector<float> out(64, -1.0f);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data(), out.data()};
    plug.TakeInputs(0, 2, inputs, 64);
    plug.TakeOutputs(0, 1, outputs);
    plug.RunBlock(64);
    EXPECT_EQ(plug.lastFrames, 16);
    EXPECT_EQ(out[15], 1015.0f);
    EXPECT_EQ(out[16], -1.0f);
}

TEST(ChannelPlumbing, BypassCopiesInputsAndZeroesExtraOutputs)
{
    TestPlug plug(0, "1-2");
    std::vector<float> in = Ramp(32, 1.0f);
    std::vector<float> left(32, -1.0f);
    std::vector<float> right(32, -1.0f);
    float* inputs[] = {in.data()};
    float* outputs[] = {left.data(), right.data()};
    plug.RenderBlock(inputs, 1, outputs, 2, 32, true);
    for (int i = 0; i < 32; ++i)
    {
        EXPECT_EQ(left[i], in[i]);
        EXPECT_EQ(right[i], 0.0f);
    }
}

TEST(ChannelPlumbing, BypassWithLatencyDelaysEveryInputAcrossBlocks)
{
    TestPlug plug(0, "2-2", 0, 3);
    std::vector<float> collectedLeft;
    std::vector<float> collectedRight;
    for (int block = 0; block < 3; ++block)
    {
        std::vector<float> left = Ramp(5, 1.0f + 5.0f * block);
        std::vector<float> right = Ramp(5, 101.0f + 5.0f * block);
        std::vector<float> outLeft(5);
        std::vector<float> outRight(5);
        float* inputs[] = {left.data(), right.data()};
        float* outputs[] = {outLeft.data(), outRight.data()};
        plug.RenderBlock(inputs, 2, outputs, 2, 5, true);
        collectedLeft.insert(collectedLeft.end(), outLeft.begin(), outLeft.end());
        collectedRight.insert(collectedRight.end(), outRight.begin(), outRight.end());
    }
    for (int i = 0; i < 15; ++i)
    {
        EXPECT_EQ(collectedLeft[i], i < 3 ? 0.0f : static_cast<float>(i - 2)) << i;
        EXPECT_EQ(collectedRight[i], i < 3 ? 0.0f : static_cast<float>(i + 98)) << i;
    }
}

TEST(ChannelPlumbing, SetLatencySamplesResetsTheDelayLine)
{
    TestPlug plug(0, "1-1", 0, 2);
    std::vector<float> in = Ramp(4, 1.0f);
    std::vector<float> out(4);
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    plug.RenderBlock(inputs, 1, outputs, 1, 4, true);
    plug.SetLatencySamples(1);
    EXPECT_EQ(plug.Latency(), 1);
    plug.RenderBlock(inputs, 1, outputs, 1, 4, true);
    EXPECT_EQ(out, (std::vector<float>{0.0f, 1.0f, 2.0f, 3.0f}));
    plug.SetLatencySamples(0);
    plug.RenderBlock(inputs, 1, outputs, 1, 4, true);
    EXPECT_EQ(out, in);
}

TEST(ChannelPlumbing, DefaultProcessBlockCopiesAndZeroes)
{
    IPlugHeadless plug({}, {.channelIOs = "1-2",
                            .presetCount = 0,
                            .effectName = "e",
                            .makerName = "m",
                            .version = 1,
                            .savesChunks = false});
    std::vector<float> in = Ramp(8, 3.0f);
    std::vector<float> left(8, -1.0f);
    std::vector<float> right(8, -1.0f);
    float* inputs[] = {in.data()};
    float* outputs[] = {left.data(), right.data()};
    plug.RenderBlock(inputs, 1, outputs, 2, 8, false);
    EXPECT_EQ(left, in);
    EXPECT_EQ(right, std::vector<float>(8, 0.0f));
}

TEST(ChannelPlumbing, NullHostBuffersAreSafe)
{
    ProbePlug plug(0);
    plug.RenderBlock(nullptr, 2, nullptr, 2, 16, false);
    float* nullEntries[] = {nullptr, nullptr};
    plug.RenderBlock(nullEntries, 2, nullEntries, 2, 16, false);
    EXPECT_EQ(plug.lastFrames, 16);
}

} // namespace
