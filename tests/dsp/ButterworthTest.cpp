#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

namespace
{

using namespace DspTest;

BandPass MakeBand(double sampleRateHz, double centerHz, int order = 4)
{
    BandPass band;
    band.SetParams(
        {sampleRateHz, static_cast<double>(order), centerHz, ThirdOctaveWidthHz(centerHz)});
    return band;
}

double NormalisationHz(const BandPass& band, double sampleRateHz)
{
    return band.GetDesign().DigitalLayout().normalW / (2.0 * kPi) * sampleRateHz;
}

TEST(ButterworthBandPass, OneKilohertzBandMatchesPublishedSections)
{
    const BandPass band = MakeBand(44100, 1000);
    EXPECT_NEAR(ThirdOctaveWidthHz(1000), 231.5633, 1e-4);
    const auto& cascade = band.GetDesign().Cascade();
    ASSERT_EQ(cascade.SectionCount(), 4);

    const double denominators[4][2] = {{-1.961516459, 0.9861291442},
                                       {-1.972745591, 0.98878345},
                                       {-1.947133264, 0.9686593153},
                                       {-1.953273133, 0.9712929904}};
    // Zeros at z = -1 for sections 0 and 2, at z = +1 for 1 and 3; only section 0 is scaled.
    const double numeratorScale[4] = {7.095124362e-08, 1.0, 1.0, 1.0};
    const double middleSign[4] = {2.0, -2.0, 2.0, -2.0};
    for (int k = 0; k < 4; ++k)
    {
        const Dsp::BiquadCoefficients& s = cascade.Section(k);
        EXPECT_NEAR(s.a1, denominators[k][0], 1e-9) << k;
        EXPECT_NEAR(s.a2, denominators[k][1], 1e-9) << k;
        EXPECT_EQ(s.a0, 1.0);
        EXPECT_NEAR(s.b0, numeratorScale[k], numeratorScale[k] * 1e-9) << k;
        EXPECT_NEAR(s.b1, middleSign[k] * numeratorScale[k], numeratorScale[k] * 1e-9) << k;
        EXPECT_NEAR(s.b2, numeratorScale[k], numeratorScale[k] * 1e-9) << k;
    }
    EXPECT_NEAR(NormalisationHz(band, 44100), 993.32, 0.005);
}

struct MagnitudeCase
{
    double sampleRateHz;
    double centerHz;
    double freqHz;
    double expectedDb;
};

class ButterworthMagnitude : public ::testing::TestWithParam<MagnitudeCase>
{
};

TEST_P(ButterworthMagnitude, MatchesPublishedValue)
{
    const MagnitudeCase& c = GetParam();
    const BandPass band = MakeBand(c.sampleRateHz, c.centerHz);
    EXPECT_NEAR(ResponseDb(band, c.freqHz, c.sampleRateHz), c.expectedDb, 5e-4);
}

// 1.122462048309373 = 2^(1/6), the upper third-octave edge of a band.
INSTANTIATE_TEST_SUITE_P(
    Butterworth, ButterworthMagnitude,
    ::testing::Values(MagnitudeCase{44100, 1000, 1000, 0.0},
                      MagnitudeCase{44100, 1000, 890.90, -1.999},
                      MagnitudeCase{44100, 1000, 1000 * 1.122462048309373, -3.972},
                      MagnitudeCase{44100, 20000, 20000, -0.008}, MagnitudeCase{48000, 20, 20, 0.0},
                      MagnitudeCase{48000, 20, 20 * 1.122462048309373, -3.971}));

TEST(ButterworthBandPass, UpperEdgeIsClampedBelowHalfTheSampleRate)
{
    const BandPass band = MakeBand(44100, 20000);
    EXPECT_NEAR(NormalisationHz(band, 44100), 22049.44, 0.005);
    const double sampleRate = 44100;
    const double lower =
        2.0 * kPi * 20000 / sampleRate - kPi * ThirdOctaveWidthHz(20000) / sampleRate;
    const double upper = 3.141592643589793;
    const double expectedW = 2.0 * std::atan(std::sqrt(std::tan(upper / 2) * std::tan(lower / 2)));
    EXPECT_NEAR(band.GetDesign().DigitalLayout().normalW, expectedW, 1e-12);
    EXPECT_TRUE(std::isfinite(band.Response(0.25).real()));
}

// The band-pass mapping turns the analog frequency into
// Omega = b (cos w - a) / sin w, so |H|^2 = 1 / (1 + Omega^(2n)) up to the normalisation.
TEST(ButterworthBandPass, ResponseMatchesAnalyticMagnitude)
{
    const double sampleRate = 48000;
    const double center = 3000;
    const double width = 900;
    for (int order = 1; order <= 4; ++order)
    {
        BandPass band;
        band.SetParams({sampleRate, static_cast<double>(order), center, width});
        const double lower = 2.0 * kPi * (center - width / 2) / sampleRate;
        const double upper = 2.0 * kPi * (center + width / 2) / sampleRate;
        const double a = std::cos((upper + lower) / 2) / std::cos((upper - lower) / 2);
        const double b = 1.0 / std::tan((upper - lower) / 2);
        for (double f = 0.005; f < 0.5; f += 0.00625)
        {
            const double w = 2.0 * kPi * f;
            const double omega = b * (std::cos(w) - a) / std::sin(w);
            const double expected = 1.0 / std::sqrt(1.0 + std::pow(omega * omega, order));
            EXPECT_NEAR(std::abs(band.Response(f)), expected, 1e-9) << order << " " << f;
        }
        EXPECT_NEAR(ResponseDb(band, center - width / 2, sampleRate), -3.0103, 0.001);
    }
}

TEST(ButterworthBandPass, PrototypeOfOrderFourHasPolesAtFiveAndSevenEighthsPi)
{
    const BandPass band = MakeBand(44100, 1000);
    const auto& prototype = band.GetDesign().Prototype().Layout();
    ASSERT_EQ(prototype.PoleCount(), 4);
    const double angles[2] = {5 * kPi / 8, 7 * kPi / 8};
    for (int i = 0; i < 2; ++i)
    {
        const auto& section = prototype.Section(i);
        EXPECT_NEAR(std::abs(section.poles[0]), 1.0, 1e-15);
        EXPECT_NEAR(std::arg(section.poles[0]), angles[i], 1e-15);
        EXPECT_EQ(section.poles[1], std::conj(section.poles[0]));
        EXPECT_TRUE(Dsp::IsInfinityRoot(section.zeros[0]));
    }
    EXPECT_EQ(band.PoleZeroSections().size(), 4u);
}

TEST(ButterworthBandPass, PrototypeIsRedesignedOnlyWhenTheOrderChanges)
{
    BandPass band = MakeBand(44100, 1000);
    band.SetParams({44100, 4, 2000, 400});
    EXPECT_EQ(band.GetDesign().Prototype().CachedOrder(), 4);
    band.SetParams({44100, 2, 2000, 400});
    EXPECT_EQ(band.GetDesign().Prototype().CachedOrder(), 2);
    EXPECT_EQ(band.GetDesign().Cascade().SectionCount(), 2);
    band.SetParams({44100, 4, 1000, ThirdOctaveWidthHz(1000)});

    const BandPass fresh = MakeBand(44100, 1000);
    for (int k = 0; k < 4; ++k)
    {
        const auto& s = band.GetDesign().Cascade().Section(k);
        const auto& t = fresh.GetDesign().Cascade().Section(k);
        EXPECT_EQ(s.a1, t.a1);
        EXPECT_EQ(s.a2, t.a2);
        EXPECT_EQ(s.b0, t.b0);
    }
}

TEST(ButterworthBandPass, OddOrderAndOutOfRangeOrdersGiveUnityAtTheCentre)
{
    struct Case
    {
        double order;
        int sections;
    };
    // Orders are truncated toward zero and kept inside 1 .. 4.
    const Case cases[] = {{3.0, 3}, {3.9, 3}, {1.0, 1}, {0.0, 1}, {-2.0, 1}, {9.0, 4}};
    for (const Case& c : cases)
    {
        BandPass band;
        band.SetParams({44100, c.order, 5000, 1000});
        EXPECT_EQ(band.GetDesign().Cascade().SectionCount(), c.sections) << c.order;
        const double centreHz = band.GetDesign().DigitalLayout().normalW / (2 * kPi) * 44100;
        EXPECT_NEAR(ResponseDb(band, centreHz, 44100), 0.0, 1e-9) << c.order;
    }
}

} // namespace
