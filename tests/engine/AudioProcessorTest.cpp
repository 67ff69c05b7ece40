#include "engine/AudioProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// A minimal engine: doubles the wet signal and records what it was given.
class DoublingEngine final : public AudioProcessor
{
public:
    std::vector<int> wetFrameCounts;
    int configureCalls = 0;

    void LimitTo(int frames) { LimitWetFrames(frames); }

protected:
    void ProcessWet(double* const* wet, int frames) noexcept override
    {
        wetFrameCounts.push_back(frames);
        for (int c = 0; c < 2; ++c)
        {
            for (int j = 0; j < frames; ++j)
            {
                wet[c][j] *= 2.0;
            }
        }
    }
    void Configure() override { ++configureCalls; }
};

struct Block
{
    std::vector<double> left;
    std::vector<double> right;
    explicit Block(int frames)
        : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames))
    {
        for (int j = 0; j < frames; ++j)
        {
            left[j] = std::sin(0.01 * j) * 0.5;
            right[j] = std::cos(0.013 * j) * 0.25;
        }
    }
    double* channels[2] = {nullptr, nullptr};
    double* const* Channels()
    {
        channels[0] = left.data();
        channels[1] = right.data();
        return channels;
    }
};

TEST(AudioProcessor, EmptyBlockStillCallsProcessWetAndWritesNothing)
{
    DoublingEngine engine;
    double left = 7.0;
    double right = -7.0;
    double* channels[2] = {&left, &right};
    engine.Process(channels, 0);
    ASSERT_EQ(engine.wetFrameCounts, std::vector<int>{0});
    EXPECT_EQ(left, 7.0);
    EXPECT_EQ(right, -7.0);
}

TEST(AudioProcessor, UnitSettingsGiveProcessWetOutputBitForBit)
{
    DoublingEngine engine;
    Block block(300);
    const Block original(300);
    engine.Process(block.Channels(), 300);
    for (int j = 0; j < 300; ++j)
    {
        ASSERT_EQ(block.left[j], original.left[j] * 2.0);
        ASSERT_EQ(block.right[j], original.right[j] * 2.0);
    }
}

TEST(AudioProcessor, DryMixGivesInputTimesBothGains)
{
    DoublingEngine engine;
    engine.SetMix(0.0);
    engine.SetInputGain(6.0);
    engine.SetOutputGain(-3.0);
    Block block(64);
    const Block original(64);
    engine.Process(block.Channels(), 64);
    const double gain = std::exp(6.0 * kDbToLinear) * std::exp(-3.0 * kDbToLinear);
    EXPECT_EQ(engine.wetFrameCounts.size(), 1u);
    for (int j = 0; j < 64; ++j)
    {
        EXPECT_NEAR(block.left[j], original.left[j] * gain, 1e-15);
        EXPECT_NEAR(block.right[j], original.right[j] * gain, 1e-15);
    }
}

TEST(AudioProcessor, OversamplingFactorBelowOneMeansOne)
{
    for (int factor : {0, -1, -40})
    {
        DoublingEngine engine;
        engine.SetOversampling(factor);
        EXPECT_EQ(engine.OversamplingFactor(), 1);
        EXPECT_EQ(engine.configureCalls, 1);
    }
}

TEST(AudioProcessor, DoubleRateSteadyStateOfConstantInputIsUnity)
{
    // Mix 0 passes only the dry copy, so the result is the resampling chain alone.
    DoublingEngine engine;
    engine.SetSampleRate(48000);
    engine.SetBlockSize(256);
    engine.SetOversampling(2);
    engine.SetMix(0.0);
    std::vector<double> left(256, 1.0);
    std::vector<double> right(256, 1.0);
    double* channels[2] = {left.data(), right.data()};
    for (int block = 0; block < 20; ++block)
    {
        std::fill(left.begin(), left.end(), 1.0);
        std::fill(right.begin(), right.end(), 1.0);
        engine.Process(channels, 256);
    }
    EXPECT_EQ(engine.wetFrameCounts.back(), 512);
    EXPECT_NEAR(left[255], 1.0, 1e-9);
    EXPECT_NEAR(right[128], 1.0, 1e-9);
}

TEST(AudioProcessor, LongBlockIsProcessedInPiecesThatFit)
{
    struct Case
    {
        int blockSize;
        int wetLimit;
        int frames;
        int expectedPiece;
    };
    for (const Case& c :
         {Case{512, 1 << 20, 5000, 512}, Case{4096, 1000, 2500, 1000}, Case{0, 1 << 20, 3, 1}})
    {
        DoublingEngine engine;
        engine.SetBlockSize(c.blockSize);
        engine.SetOversampling(1);
        engine.LimitTo(c.wetLimit);
        Block block(c.frames);
        const Block original(c.frames);
        engine.Process(block.Channels(), c.frames);
        int total = 0;
        for (int n : engine.wetFrameCounts)
        {
            EXPECT_LE(n, c.expectedPiece);
            total += n;
        }
        EXPECT_EQ(total, c.frames);
        EXPECT_EQ(engine.wetFrameCounts.front(), std::min(c.expectedPiece, c.frames));
        for (int j = 0; j < c.frames; ++j)
        {
            ASSERT_EQ(block.left[j], original.left[j] * 2.0) << j;
        }
    }
}

TEST(AudioProcessor, NonFiniteInputAndGainsAreKeptOut)
{
    DoublingEngine engine;
    engine.SetInputGain(NAN);
    engine.SetOutputGain(INFINITY);
    engine.SetMix(NAN);
    EXPECT_EQ(engine.InputGain(), 1.0);
    EXPECT_EQ(engine.OutputGain(), 1.0);
    EXPECT_EQ(engine.Mix(), 1.0);
    std::vector<double> left = {NAN, INFINITY, 0.5};
    std::vector<double> right = {-INFINITY, 0.25, NAN};
    double* channels[2] = {left.data(), right.data()};
    engine.Process(channels, 3);
    EXPECT_EQ(left, (std::vector<double>{0.0, 0.0, 1.0}));
    EXPECT_EQ(right, (std::vector<double>{0.0, 0.5, 0.0}));
}

} // namespace
