#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

namespace
{

using namespace DspTest;
using Dsp::BiquadCoefficients;
using Dsp::FilterParams;
using Dsp::RBJ::Design::BandShelf;

// Straightforward model of the smoothed band shelf: every ramp sample designs the section from
// scratch from the ramped parameters.
class ReferenceShelf
{
public:
    void SetParams(const FilterParams& params)
    {
        m_target = params;
        if (m_remaining < 0)
        {
            m_remaining = 0;
            m_transition = params;
        }
        else
        {
            m_remaining = 128;
        }
        m_main = Design(params);
    }

    void Process(int count, double* left, double* right)
    {
        double* channels[2] = {left, right};
        const int ramp = std::min(count, m_remaining);
        int i = 0;
        if (ramp > 0)
        {
            const int start = m_remaining;
            const FilterParams from = m_transition;
            for (; i < ramp; ++i)
            {
                for (int k = 0; k < 4; ++k)
                {
                    m_transition[k] += (m_target[k] - from[k]) / start;
                }
                const BiquadCoefficients section = Design(m_transition);
                for (int c = 0; c < 2; ++c)
                {
                    channels[c][i] = Step(c, channels[c][i], section);
                }
            }
            m_remaining -= ramp;
            if (ramp == start)
            {
                m_transition = m_target;
            }
        }
        for (; i < count; ++i)
        {
            for (int c = 0; c < 2; ++c)
            {
                channels[c][i] = Step(c, channels[c][i], m_main);
            }
        }
    }

private:
    static BiquadCoefficients Design(const FilterParams& p)
    {
        return BandShelf::DesignSection(p[0], p[1], p[2], p[3]);
    }

    double Step(int channel, double x, const BiquadCoefficients& section)
    {
        m_offset[channel] = -m_offset[channel];
        return m_state[channel].Step(x, section, m_offset[channel]);
    }

    FilterParams m_target{};
    FilterParams m_transition{};
    BiquadCoefficients m_main{};
    Dsp::DirectFormII m_state[2]{};
    double m_offset[2] = {1e-8, 1e-8};
    int m_remaining = -1;
};

struct Change
{
    int atFrame;
    FilterParams params;
};

struct RampCase
{
    const char* name;
    std::vector<Change> changes;
    std::vector<int> blockSizes;
};

// Runs the filter and the model over the same input with parameter changes at block starts,
// and requires bit-identical output.
void ExpectIdenticalToReference(const RampCase& c, int totalFrames)
{
    Shelf shelf;
    ReferenceShelf reference;
    std::vector<double> left = RandomSignal(totalFrames, 17);
    std::vector<double> right = RandomSignal(totalFrames, 18);
    std::vector<double> refLeft = left;
    std::vector<double> refRight = right;

    int frame = 0;
    std::size_t nextChange = 0;
    std::size_t nextBlock = 0;
    while (frame < totalFrames)
    {
        while (nextChange < c.changes.size() && c.changes[nextChange].atFrame <= frame)
        {
            shelf.SetParams(c.changes[nextChange].params);
            reference.SetParams(c.changes[nextChange].params);
            ++nextChange;
        }
        int size = c.blockSizes[nextBlock++ % c.blockSizes.size()];
        size = std::min(size, totalFrames - frame);
        if (nextChange < c.changes.size())
        {
            size = std::min(size, c.changes[nextChange].atFrame - frame);
        }
        double* channels[2] = {left.data() + frame, right.data() + frame};
        shelf.Process(size, channels);
        reference.Process(size, refLeft.data() + frame, refRight.data() + frame);
        frame += size;
    }
    for (int i = 0; i < totalFrames; ++i)
    {
        ASSERT_EQ(left[i], refLeft[i]) << c.name << " frame " << i;
        ASSERT_EQ(right[i], refRight[i]) << c.name << " frame " << i;
    }
}

const FilterParams kFlat{48000, 1000, 0, 1.0 / 3.0};
const FilterParams kBoost{48000, 1000, 12, 1.0 / 3.0};
const FilterParams kCut{48000, 1000, -15, 1.0 / 3.0};
const FilterParams kMoved{44100, 250, -6, 0.5};

TEST(SmoothedShelf, RampsAreBitIdenticalToAFullRedesignEverySample)
{
    const RampCase cases[] = {
        {"gain ramp in one block", {{0, kFlat}, {256, kBoost}}, {128}},
        {"gain ramp split 100 + 28", {{0, kFlat}, {256, kBoost}}, {256, 100, 28, 128}},
        {"gain ramp in single samples", {{0, kFlat}, {10, kCut}}, {1}},
        {"odd blocks", {{0, kFlat}, {129, kBoost}, {300, kCut}}, {1, 127, 129, 37, 0, 5}},
        {"restart after 64", {{0, kFlat}, {128, kBoost}, {192, kCut}}, {64}},
        {"every parameter ramps", {{0, kFlat}, {64, kMoved}, {100, kBoost}}, {13, 51}},
    };
    for (const RampCase& c : cases)
    {
        ExpectIdenticalToReference(c, 1024);
    }
}

TEST(SmoothedShelf, FirstSetParamsTakesEffectWithoutRamp)
{
    Shelf smoothed;
    PlainShelf plain;
    smoothed.SetParams(kBoost);
    plain.SetParams(kBoost);
    EXPECT_EQ(smoothed.RemainingTransitionSamples(), 0);
    EXPECT_EQ(smoothed.TransitionParams(), kBoost);

    std::vector<double> left = RandomSignal(129, 1);
    std::vector<double> right = RandomSignal(129, 2);
    std::vector<double> plainLeft = left, plainRight = right;
    RunInBlocks(smoothed, left, right, {129});
    RunInBlocks(plain, plainLeft, plainRight, {129});
    EXPECT_EQ(left, plainLeft);
    EXPECT_EQ(right, plainRight);
}

TEST(SmoothedShelf, RampSplitOverTwoCallsEndsExactlyAtTheTarget)
{
    Shelf shelf;
    shelf.SetParams(kFlat);
    shelf.SetParamById(Dsp::kParamGain, 12.0);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 128);

    std::vector<double> left(128, 0.0), right(128, 0.0);
    double* first[2] = {left.data(), right.data()};
    shelf.Process(100, first);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 28);
    EXPECT_NEAR(shelf.TransitionParams()[2], 12.0 * 100.0 / 128.0, 1e-12);
    EXPECT_NE(shelf.TransitionParams()[2], 12.0);

    double* second[2] = {left.data() + 100, right.data() + 100};
    shelf.Process(28, second);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 0);
    EXPECT_EQ(shelf.TransitionParams(), shelf.GetParams());
}

TEST(SmoothedShelf, ChangeDuringARampRestartsFromTheValuesReached)
{
    Shelf shelf;
    shelf.SetParams(kFlat);
    shelf.SetParamById(Dsp::kParamGain, 12.0);
    std::vector<double> left(256, 0.0), right(256, 0.0);
    double* channels[2] = {left.data(), right.data()};
    shelf.Process(64, channels);
    const double reached = shelf.TransitionParams()[2];
    EXPECT_NEAR(reached, 6.0, 1e-12);

    shelf.SetParamById(Dsp::kParamGain, -15.0);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 128);
    EXPECT_EQ(shelf.TransitionParams()[2], reached);

    double* next[2] = {left.data() + 64, right.data() + 64};
    shelf.Process(64, next);
    EXPECT_NEAR(shelf.TransitionParams()[2], (6.0 - 15.0) / 2.0, 1e-12);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 64);
    double* last[2] = {left.data() + 128, right.data() + 128};
    shelf.Process(128, last);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 0);
    EXPECT_EQ(shelf.TransitionParams()[2], -15.0);
}

TEST(SmoothedShelf, RampedShelfReachesTheTargetResponse)
{
    Shelf shelf;
    shelf.SetParams(kFlat);
    shelf.SetParams(kCut);
    // The designed (main) section is the target at once; only the audio ramps.
    EXPECT_NEAR(ResponseDb(shelf, 1000, 48000), -15.0, 1e-9);

    // A sine at the centre frequency comes out 15 dB down once the ramp and the transient are
    // over.
    const int length = 48000;
    std::vector<double> left(length), right(length, 0.0);
    for (int i = 0; i < length; ++i)
    {
        left[i] = std::sin(2.0 * kPi * 1000.0 * i / 48000.0);
    }
    RunInBlocks(shelf, left, right, {512});
    double peak = 0.0;
    for (int i = length / 2; i < length; ++i)
    {
        peak = std::max(peak, std::fabs(left[i]));
    }
    EXPECT_NEAR(20.0 * std::log10(peak), -15.0, 0.01);
}

} // namespace
