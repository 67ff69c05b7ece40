#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{

using namespace DspTest;

std::vector<double> Polynomial(int order)
{
    std::vector<double> w(order + 1);
    Dsp::Legendre::OptimumLPolynomial<8>(order, w.data());
    return w;
}

double Evaluate(const std::vector<double>& w, double x)
{
    double value = 0.0;
    for (std::size_t j = w.size(); j-- > 0;)
    {
        value = value * x + w[j];
    }
    return value;
}

TEST(OptimumLPolynomial, MatchesPublishedPolynomials)
{
    struct Case
    {
        int order;
        std::vector<double> coefficients;
    };
    const Case cases[] = {
        {2, {0, 0, 1}},
        {3, {0, 1, -3, 3}},
        {4, {0, 0, 3, -8, 6}},
        {8, {0, 0, 10, -120, 615, -1624, 2310, -1680, 490}},
    };
    for (const Case& c : cases)
    {
        const std::vector<double> w = Polynomial(c.order);
        ASSERT_EQ(w.size(), c.coefficients.size());
        for (std::size_t j = 0; j < w.size(); ++j)
        {
            EXPECT_NEAR(w[j], c.coefficients[j], 1e-9 * std::max(1.0, std::fabs(c.coefficients[j])))
                << "order " << c.order << " x^" << j;
        }
    }
}

TEST(OptimumLPolynomial, IsZeroAtZeroOneAtOneAndMonotonicBetween)
{
    for (int order = 1; order <= 8; ++order)
    {
        const std::vector<double> w = Polynomial(order);
        EXPECT_EQ(Evaluate(w, 0.0), 0.0) << order;
        EXPECT_NEAR(Evaluate(w, 1.0), 1.0, 1e-9) << order;
        for (double x = 0.01; x <= 1.0; x += 0.01)
        {
            EXPECT_GE(Evaluate(w, x), Evaluate(w, x - 0.01) - 1e-12) << order << " " << x;
        }
    }
}

TEST(LegendreLowPass, OrderEightPrototypePoles)
{
    LowPass lowPass;
    lowPass.SetParams({88200, 8, 22050});
    const auto& prototype = lowPass.GetDesign().Prototype().Layout();
    ASSERT_EQ(prototype.PoleCount(), 8);
    const std::complex<double> expected[4] = {{-0.0689421576, 0.9879709681},
                                              {-0.1942758813, 0.8247667245},
                                              {-0.3002840049, 0.5410422454},
                                              {-0.3671763101, 0.1808791995}};
    for (int i = 0; i < 4; ++i)
    {
        const auto& section = prototype.Section(i);
        EXPECT_NEAR(section.poles[0].real(), expected[i].real(), 1e-10) << i;
        EXPECT_NEAR(section.poles[0].imag(), expected[i].imag(), 1e-10) << i;
        EXPECT_EQ(section.poles[1], std::conj(section.poles[0]));
        EXPECT_TRUE(Dsp::IsInfinityRoot(section.zeros[0]));
    }
}

TEST(LegendreLowPass, OversamplingFilterMatchesPublishedSections)
{
    LowPass lowPass;
    lowPass.SetParams({88200, 8, 22050});
    const auto& cascade = lowPass.GetDesign().Cascade();
    ASSERT_EQ(cascade.SectionCount(), 4);
    const double denominators[4][2] = {{-0.01808668372, 0.8698421152},
                                       {-0.2677541346, 0.6310986933},
                                       {-0.6222471699, 0.3944254647},
                                       {-0.875408142, 0.2277647412}};
    const double scale[4] = {0.002683176802, 1.0, 1.0, 1.0};
    for (int k = 0; k < 4; ++k)
    {
        const Dsp::BiquadCoefficients& s = cascade.Section(k);
        EXPECT_NEAR(s.a1, denominators[k][0], std::fabs(denominators[k][0]) * 1e-9) << k;
        EXPECT_NEAR(s.a2, denominators[k][1], denominators[k][1] * 1e-9) << k;
        EXPECT_NEAR(s.b0, scale[k], scale[k] * 1e-9) << k;
        EXPECT_NEAR(s.b1, 2.0 * scale[k], scale[k] * 2e-9) << k;
        EXPECT_NEAR(s.b2, scale[k], scale[k] * 1e-9) << k;
    }

    struct Point
    {
        double freqHz;
        double expectedDb;
        double toleranceDb;
    };
    const Point points[] = {{0, 0.0, 5e-5},         {10000, -0.1337, 5e-5}, {20000, -0.5625, 5e-5},
                            {22050, -3.0103, 5e-5}, {25000, -28.49, 5e-3},  {30000, -63.51, 5e-3}};
    for (const Point& p : points)
    {
        EXPECT_NEAR(ResponseDb(lowPass, p.freqHz, 88200), p.expectedDb, p.toleranceDb) << p.freqHz;
    }
}

// The bilinear transform pre-warped at the cutoff maps f to Omega = tan(pi f / Fs) / tan(pi fc /
// Fs), and the prototype has |H(j Omega)|^2 = 1 / (1 + L_n(Omega^2)).
TEST(LegendreLowPass, ResponseMatchesAnalyticMagnitudeForEveryOrder)
{
    const double sampleRate = 96000;
    const double cutoff = 12000;
    for (int order = 1; order <= 8; ++order)
    {
        LowPass lowPass;
        lowPass.SetParams({sampleRate, static_cast<double>(order), cutoff});
        const std::vector<double> w = Polynomial(order);
        for (double f = 0.0; f < 0.5; f += 0.01)
        {
            const double omega = std::tan(kPi * f) / std::tan(kPi * cutoff / sampleRate);
            const double expected = 1.0 / std::sqrt(1.0 + Evaluate(w, omega * omega));
            EXPECT_NEAR(std::abs(lowPass.Response(f)), expected, 1e-8) << order << " " << f;
        }
        EXPECT_EQ(lowPass.GetDesign().Cascade().SectionCount(), (order + 1) / 2);
    }
}

TEST(LegendreLowPass, OddOrderEndsWithOneRealPole)
{
    LowPass lowPass;
    lowPass.SetParams({48000, 3, 4000});
    const auto& prototype = lowPass.GetDesign().Prototype().Layout();
    ASSERT_EQ(prototype.SectionCount(), 2);
    ASSERT_EQ(prototype.PoleCount(), 3);
    EXPECT_GT(prototype.Section(0).poles[0].imag(), 0.0);
    EXPECT_TRUE(prototype.Section(1).IsSinglePole());
    EXPECT_LT(prototype.Section(1).poles[0].real(), 0.0);
    EXPECT_EQ(prototype.Section(1).poles[0].imag(), 0.0);

    const auto& last = lowPass.GetDesign().Cascade().Section(1);
    EXPECT_EQ(last.a2, 0.0);
    EXPECT_EQ(last.b2, 0.0);
    EXPECT_EQ(last.b0, 1.0);
    EXPECT_EQ(last.b1, 1.0);
}

TEST(LegendreLowPass, SameOrderKeepsThePrototype)
{
    LowPass lowPass;
    lowPass.SetParams({48000, 8, 4000});
    const auto first = lowPass.GetDesign().Prototype().Layout().Section(0).poles[0];
    lowPass.SetParams({96000, 8, 20000});
    EXPECT_EQ(lowPass.GetDesign().Prototype().Layout().Section(0).poles[0], first);
    lowPass.SetParams({96000, 5, 20000});
    EXPECT_EQ(lowPass.GetDesign().Prototype().CachedOrder(), 5);
    EXPECT_EQ(lowPass.GetDesign().Cascade().SectionCount(), 3);
}

TEST(Laguerre, FindsARootAndReportsFailure)
{
    const std::complex<double> quadratic[3] = {1.0, 0.0, 1.0}; // x^2 + 1
    const std::complex<double> root = Dsp::Legendre::Laguerre(quadratic, 2, 0.0);
    EXPECT_NEAR(std::abs(root * root + 1.0), 0.0, 1e-15);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::complex<double> broken[3] = {1.0, nan, 1.0};
    try
    {
        Dsp::Legendre::Laguerre(broken, 2, 0.0);
        FAIL() << "expected a logic error";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_STREQ(error.what(), "laguerre failed");
    }
}

} // namespace
