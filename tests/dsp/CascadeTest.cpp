#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

namespace
{

using namespace DspTest;
using Dsp::BiquadCoefficients;

// Plain reference: each section as the direct-form-I difference equation, with the alternating
// offset (-1e-8 first) added to the input of the first section.
std::vector<double> ReferenceCascade(const BiquadCoefficients* sections, int sectionCount,
                                     const std::vector<double>& input)
{
    struct History
    {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };
    std::vector<History> history(sectionCount);
    std::vector<double> output(input.size());
    double offset = Dsp::kDenormalOffset;
    for (std::size_t i = 0; i < input.size(); ++i)
    {
        offset = -offset;
        double x = input[i] + offset;
        for (int k = 0; k < sectionCount; ++k)
        {
            const BiquadCoefficients& c = sections[k];
            History& h = history[k];
            const double y = c.b0 * x + c.b1 * h.x1 + c.b2 * h.x2 - c.a1 * h.y1 - c.a2 * h.y2;
            h.x2 = h.x1;
            h.x1 = x;
            h.y2 = h.y1;
            h.y1 = y;
            x = y;
        }
        output[i] = x;
    }
    return output;
}

template <typename FilterType>
void ExpectMatchesReference(FilterType& filter, std::size_t length, std::uint32_t seed,
                            double tolerance)
{
    const auto& design = filter.GetDesign();
    const std::vector<double> left = RandomSignal(length, seed);
    const std::vector<double> right = RandomSignal(length, seed + 1);
    const std::vector<double> expectedLeft =
        ReferenceCascade(design.Sections(), design.SectionCount(), left);
    const std::vector<double> expectedRight =
        ReferenceCascade(design.Sections(), design.SectionCount(), right);

    std::vector<double> outLeft = left;
    std::vector<double> outRight = right;
    RunInBlocks(filter, outLeft, outRight, {static_cast<int>(std::max<std::size_t>(length, 1))});
    for (std::size_t i = 0; i < length; ++i)
    {
        ASSERT_NEAR(outLeft[i], expectedLeft[i], tolerance) << "frame " << i;
        ASSERT_NEAR(outRight[i], expectedRight[i], tolerance) << "frame " << i;
    }
}

class CascadeAgainstReference : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P(CascadeAgainstReference, BandPassAndLowPassAndShelf)
{
    const std::size_t length = GetParam();
    BandPass band;
    band.SetParams({44100, 4, 1000, ThirdOctaveWidthHz(1000)});
    ExpectMatchesReference(band, length, 11, 1e-12);

    LowPass lowPass;
    lowPass.SetParams({88200, 8, 22050});
    ExpectMatchesReference(lowPass, length, 21, 1e-12);

    PlainShelf shelf;
    shelf.SetParams({48000, 200, -12, 1.0 / 3.0});
    ExpectMatchesReference(shelf, length, 31, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(OddLengths, CascadeAgainstReference,
                         ::testing::Values(0u, 1u, 127u, 128u, 129u, 4097u));

TEST(Cascade, BlockSplitDoesNotChangeTheOutput)
{
    const std::vector<double> left = RandomSignal(4097, 5);
    const std::vector<double> right = RandomSignal(4097, 6);
    BandPass whole;
    BandPass split;
    whole.SetParams({48000, 4, 5000, 1200});
    split.SetParams({48000, 4, 5000, 1200});
    std::vector<double> wholeLeft = left, wholeRight = right;
    std::vector<double> splitLeft = left, splitRight = right;
    RunInBlocks(whole, wholeLeft, wholeRight, {4097});
    RunInBlocks(split, splitLeft, splitRight, {1, 127, 128, 129, 0, 3});
    EXPECT_EQ(wholeLeft, splitLeft);
    EXPECT_EQ(wholeRight, splitRight);
}

TEST(Cascade, ImpulseResponseOfTwoSectionsMatchesTheProductOfTheirResponses)
{
    BandPass band;
    band.SetParams({44100, 2, 3000, 800});
    ASSERT_EQ(band.GetDesign().SectionCount(), 2);
    const int length = 1 << 15;
    std::vector<double> left(length, 0.0);
    std::vector<double> right(length, 0.0);
    left[0] = 1.0;
    RunInBlocks(band, left, right, {length});

    const BiquadCoefficients* sections = band.GetDesign().Sections();
    for (double f : {0.01, 0.05, 3000.0 / 44100.0, 0.1, 0.3})
    {
        std::complex<double> transform(0.0, 0.0);
        for (int n = 0; n < length; ++n)
        {
            transform += left[n] * std::polar(1.0, -2.0 * kPi * f * n);
        }
        const std::complex<double> product =
            Dsp::SectionResponse(sections[0], f) * Dsp::SectionResponse(sections[1], f);
        EXPECT_NEAR(std::abs(transform - product), 0.0, 1e-6) << f;
        EXPECT_NEAR(std::abs(band.Response(f) - product), 0.0, 1e-12) << f;
    }
}

TEST(Cascade, FloatProcessingRoundsTheDoubleResult)
{
    const std::vector<double> source = RandomSignal(300, 9);
    std::vector<float> floatLeft(source.begin(), source.end());
    std::vector<float> floatRight(source.rbegin(), source.rend());
    std::vector<double> doubleLeft(floatLeft.begin(), floatLeft.end());
    std::vector<double> doubleRight(floatRight.begin(), floatRight.end());

    BandPass asFloat;
    BandPass asDouble;
    asFloat.SetParams({44100, 4, 2000, 460});
    asDouble.SetParams({44100, 4, 2000, 460});
    float* floatChannels[2] = {floatLeft.data(), floatRight.data()};
    double* doubleChannels[2] = {doubleLeft.data(), doubleRight.data()};
    asFloat.Process(300, floatChannels);
    asDouble.Process(300, doubleChannels);
    for (int i = 0; i < 300; ++i)
    {
        EXPECT_EQ(floatLeft[i], static_cast<float>(doubleLeft[i])) << i;
        EXPECT_EQ(floatRight[i], static_cast<float>(doubleRight[i])) << i;
    }
}

TEST(Cascade, SilenceYieldsTheResponseToTheAlternatingOffset)
{
    PlainShelf shelf;
    shelf.SetParams({44100, 1000, 6, 1.0 / 3.0});
    std::vector<double> left(4096, 0.0);
    std::vector<double> right(4096, 0.0);
    RunInBlocks(shelf, left, right, {4096});
    const double b0 = shelf.GetDesign().Section().b0;
    EXPECT_EQ(left[0], -1e-8 * b0);
    EXPECT_EQ(right[0], -1e-8 * b0);
    for (int i = 2048; i < 4096; ++i)
    {
        EXPECT_NEAR(std::fabs(left[i]), 1e-8, 1e-10) << i;
        EXPECT_GT(left[i] * (i % 2 == 0 ? -1.0 : 1.0), 0.0) << i;
    }
}

TEST(Cascade, ResetStateClearsTheSectionsButKeepsTheOffsetPhase)
{
    PlainShelf shelf;
    shelf.SetParams({44100, 1000, 6, 1.0 / 3.0});
    std::vector<double> left = RandomSignal(127, 3);
    std::vector<double> right = RandomSignal(127, 4);
    RunInBlocks(shelf, left, right, {127});
    shelf.ResetState();

    double silence[2] = {0.0, 0.0};
    double* channels[2] = {&silence[0], &silence[1]};
    shelf.Process(1, channels);
    // 127 samples used the offset so far, so the next one is +1e-8 on a cleared state.
    const double b0 = shelf.GetDesign().Section().b0;
    EXPECT_EQ(silence[0], 1e-8 * b0);
    EXPECT_EQ(silence[1], 1e-8 * b0);
}

TEST(Cascade, UnconfiguredFilterPassesSamplesThrough)
{
    BandPass band;
    double samples[2][3] = {{0.5, -0.25, 1.0}, {0.1, 0.2, 0.3}};
    double* channels[2] = {samples[0], samples[1]};
    band.Process(3, channels);
    EXPECT_EQ(samples[0][0], 0.5);
    EXPECT_EQ(samples[1][2], 0.3);
}

} // namespace

namespace
{

using namespace DspTest;

// Both channel pointers on one buffer: the buffer goes through channel 0's state and then
// through channel 1's, as if the two channels were run one after the other.
TEST(Cascade, SameBufferForBothChannelsRunsThemInTurn)
{
    const std::vector<double> input = RandomSignal(257, 41);
    std::vector<double> shared = input;
    BandPass aliased;
    aliased.SetParams({44100, 4, 1000, 231});
    double* both[2] = {shared.data(), shared.data()};
    aliased.Process(257, both);

    std::vector<double> expected = input;
    std::vector<double> unused(257, 0.0);
    BandPass first;
    BandPass second;
    first.SetParams({44100, 4, 1000, 231});
    second.SetParams({44100, 4, 1000, 231});
    double* asChannel0[2] = {expected.data(), unused.data()};
    first.Process(257, asChannel0);
    double* asChannel1[2] = {unused.data(), expected.data()};
    second.Process(257, asChannel1);
    EXPECT_EQ(shared, expected);
}

} // namespace
