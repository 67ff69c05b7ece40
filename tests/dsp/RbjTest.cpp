#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

namespace
{

using namespace DspTest;
using Dsp::BiquadCoefficients;
using Dsp::RBJ::Design::BandShelf;

void ExpectNear10(double expected, double actual, const char* what)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * 1e-9) << what;
}

struct ShelfCase
{
    double sampleRateHz;
    double centerHz;
    double gainDb;
    // Expected normalised coefficients; NaN where no figure is given.
    double a0, a1, a2, b0, b1, b2;
};

class BandShelfCoefficients : public ::testing::TestWithParam<ShelfCase>
{
};

TEST_P(BandShelfCoefficients, MatchPublishedValuesAndGainAtCentre)
{
    const ShelfCase& c = GetParam();
    PlainShelf shelf;
    shelf.SetParams({c.sampleRateHz, c.centerHz, c.gainDb, 1.0 / 3.0});
    const BiquadCoefficients& s = shelf.GetDesign().Section();
    const double expected[] = {c.a0, c.a1, c.a2, c.b0, c.b1, c.b2};
    const double actual[] = {s.a0, s.a1, s.a2, s.b0, s.b1, s.b2};
    const char* names[] = {"a0", "a1", "a2", "b0", "b1", "b2"};
    for (int i = 0; i < 6; ++i)
    {
        if (!std::isnan(expected[i]))
        {
            ExpectNear10(expected[i], actual[i], names[i]);
        }
    }
    EXPECT_NEAR(ResponseDb(shelf, c.centerHz, c.sampleRateHz), c.gainDb, 5e-4);
    EXPECT_NEAR(std::abs(shelf.Response(c.centerHz / c.sampleRateHz)),
                std::pow(10.0, c.gainDb / 20.0), 1e-12);
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Rbj, BandShelfCoefficients,
    ::testing::Values(ShelfCase{44100, 1000, 6, 1.011678515, -1.956881476, 0.9769125964,
                                1.011489011, -1.956881476, 0.965423585},
                      ShelfCase{48000, 20, -15, kNone, -1.998556582, 0.9985634314, 0.9994094467,
                                kNone, 0.9991539847},
                      ShelfCase{44100, 20000, 15, kNone, kNone, 0.7078010184, kNone, kNone,
                                kNone}));

TEST(BandShelf, StaysStableNearHalfTheSampleRate)
{
    PlainShelf shelf;
    shelf.SetParams({44100, 20000, 15, 1.0 / 3.0});
    for (const auto& section : shelf.PoleZeroSections())
    {
        EXPECT_LT(std::abs(section.poles[0]), 1.0);
        EXPECT_LT(std::abs(section.poles[1]), 1.0);
    }
}

TEST(BandShelf, ZeroGainIsTransparent)
{
    PlainShelf shelf;
    shelf.SetParams({44100, 1000, 0, 1.0 / 3.0});
    const BiquadCoefficients& s = shelf.GetDesign().Section();
    const Dsp::RBJ::Design::BandShelfTerms terms = BandShelf::ComputeTerms(44100, 1000, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(s.a0, 1.0 + terms.alpha);
    EXPECT_EQ(s.b0, 1.0);
    EXPECT_EQ(s.b1, s.a1);
    EXPECT_EQ(s.b2, s.a2);
    for (double f : {0.0, 0.01, 0.1, 0.3, 0.5})
    {
        EXPECT_NEAR(std::abs(shelf.Response(f)), 1.0, 1e-14);
    }
}

// |H|^2 from the coefficients with real arithmetic only:
// |b0 + b1 e^-jw + b2 e^-2jw|^2 = b0^2 + b1^2 + b2^2 + 2 (b0 b1 + b1 b2) cos w + 2 b0 b2 cos 2w.
double AnalyticMagnitude(const BiquadCoefficients& s, double normalisedFreq)
{
    const double w = 2.0 * kPi * normalisedFreq;
    const auto power = [w](double c0, double c1, double c2)
    {
        return c0 * c0 + c1 * c1 + c2 * c2 + 2.0 * (c0 * c1 + c1 * c2) * std::cos(w) +
               2.0 * c0 * c2 * std::cos(2.0 * w);
    };
    return std::sqrt(power(s.b0, s.b1, s.b2) / power(1.0, s.a1, s.a2));
}

TEST(BandShelf, ResponseMatchesAnalyticMagnitudeAndMirrorsForOppositeGains)
{
    PlainShelf boost;
    PlainShelf cut;
    boost.SetParams({48000, 2500, 9, 1.0 / 3.0});
    cut.SetParams({48000, 2500, -9, 1.0 / 3.0});
    for (double f = 0.0; f <= 0.5; f += 0.0125)
    {
        const double analytic = AnalyticMagnitude(boost.GetDesign().Section(), f);
        EXPECT_NEAR(std::abs(boost.Response(f)), analytic, analytic * 1e-11) << f;
        EXPECT_NEAR(MagnitudeDb(boost.Response(f)), -MagnitudeDb(cut.Response(f)), 1e-9) << f;
    }
    EXPECT_NEAR(std::abs(boost.Response(0.0)), 1.0, 1e-12);
    EXPECT_NEAR(std::abs(boost.Response(0.5)), 1.0, 1e-12);
}

TEST(BandShelf, PoleZeroSectionsAreTheRootsOfTheSection)
{
    PlainShelf shelf;
    shelf.SetParams({44100, 1000, 6, 1.0 / 3.0});
    const auto sections = shelf.PoleZeroSections();
    ASSERT_EQ(sections.size(), 1u);
    const BiquadCoefficients& s = shelf.GetDesign().Section();
    const auto& r = sections[0];
    // z^2 + a1 z + a2 = (z - p1)(z - p2), and likewise for the numerator over b0.
    EXPECT_NEAR((r.poles[0] + r.poles[1]).real(), -s.a1, 1e-12);
    EXPECT_NEAR((r.poles[0] * r.poles[1]).real(), s.a2, 1e-12);
    EXPECT_NEAR((r.zeros[0] + r.zeros[1]).real(), -s.b1 / s.b0, 1e-12);
    EXPECT_NEAR((r.zeros[0] * r.zeros[1]).real(), s.b2 / s.b0, 1e-12);
    EXPECT_NEAR(r.poles[0].imag(), -r.poles[1].imag(), 1e-15);
    EXPECT_NE(r.poles[0].imag(), 0.0);
}

TEST(QuadraticRoots, DegenerateQuadraticsGiveASingleRealRoot)
{
    struct Case
    {
        double a, b, c;
        std::complex<double> root1, root2;
    };
    const Case cases[] = {
        {0.0, 2.0, -1.0, {0.5, 0.0}, {0.0, 0.0}}, // linear: 2z - 1
        {1.0, -0.5, 0.0, {0.5, 0.0}, {0.0, 0.0}}, // z (z - 0.5): single pole at 0.5
        {1.0, 0.0, 1.0, {0.0, 1.0}, {0.0, -1.0}}, // z^2 + 1
        {1.0, -3.0, 2.0, {2.0, 0.0}, {1.0, 0.0}}, // (z - 1)(z - 2)
        {0.0, 0.0, 1.0, {0.0, 0.0}, {0.0, 0.0}},  // no root: zeros, not NaN
    };
    for (const Case& c : cases)
    {
        std::complex<double> r1;
        std::complex<double> r2;
        Dsp::RBJ::QuadraticRoots(c.a, c.b, c.c, r1, r2);
        EXPECT_NEAR(std::abs(r1 - c.root1), 0.0, 1e-15) << c.a << " " << c.b << " " << c.c;
        EXPECT_NEAR(std::abs(r2 - c.root2), 0.0, 1e-15) << c.a << " " << c.b << " " << c.c;
    }
}

} // namespace
