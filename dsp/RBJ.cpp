#include "dsp/RBJ.h"

#include <cmath>

namespace Dsp
{
namespace RBJ
{

void QuadraticRoots(double a, double b, double c, Complex& root1, Complex& root2)
{
    root2 = Complex(0.0, 0.0);
    if (a == 0.0)
    {
        root1 = b == 0.0 ? Complex(0.0, 0.0) : Complex(-c / b, 0.0);
        return;
    }
    if (c == 0.0)
    {
        root1 = Complex(-b / a, 0.0);
        return;
    }
    const Complex root = std::sqrt(Complex(b * b - 4.0 * a * c, 0.0));
    root1 = (-b + root) / (2.0 * a);
    root2 = (-b - root) / (2.0 * a);
}

namespace Design
{

namespace
{
constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kHalfLn2 = 0.34657359027997264;
} // namespace

ParamInfo BandShelf::ParamInfoAt(int position)
{
    switch (position)
    {
    case kPositionSampleRate:
        return MakeParamInfo(kParamSampleRate);
    case kPositionCenterFrequency:
        return MakeCenterFrequencyInfo();
    case kPositionGain:
        return MakeParamInfo(kParamGain);
    default:
        return MakeParamInfo(kParamBandwidthOctaves);
    }
}

BandShelfTerms BandShelf::ComputeTerms(double sampleRateHz, double centerFreqHz,
                                       double bandwidthOctaves) noexcept
{
    const double omega = kTwoPi * centerFreqHz / sampleRateHz;
    const double sinOmega = std::sin(omega);
    BandShelfTerms terms;
    terms.cosOmega = std::cos(omega);
    terms.alpha = sinOmega * std::sinh(kHalfLn2 * bandwidthOctaves * omega / sinOmega);
    return terms;
}

BiquadCoefficients BandShelf::SectionFromTerms(const BandShelfTerms& terms, double gainDb) noexcept
{
    const double amplitude = std::pow(10.0, gainDb / 40.0);
    const double alpha = terms.alpha;
    BiquadCoefficients section;
    section.SetCoefficients(1.0 + alpha / amplitude, -2.0 * terms.cosOmega, 1.0 - alpha / amplitude,
                            1.0 + alpha * amplitude, -2.0 * terms.cosOmega,
                            1.0 - alpha * amplitude);
    return section;
}

BiquadCoefficients BandShelf::DesignSection(double sampleRateHz, double centerFreqHz, double gainDb,
                                            double bandwidthOctaves) noexcept
{
    return SectionFromTerms(ComputeTerms(sampleRateHz, centerFreqHz, bandwidthOctaves), gainDb);
}

void BandShelf::DesignSection(const FilterParams& params, SectionCache& cache,
                              BiquadCoefficients& section) noexcept
{
    const double sampleRateHz = params[kPositionSampleRate];
    const double centerFreqHz = params[kPositionCenterFrequency];
    const double bandwidthOctaves = params[kPositionBandwidth];
    if (!cache.valid || cache.sampleRateHz != sampleRateHz || cache.centerFreqHz != centerFreqHz ||
        cache.bandwidthOctaves != bandwidthOctaves)
    {
        cache.terms = ComputeTerms(sampleRateHz, centerFreqHz, bandwidthOctaves);
        cache.sampleRateHz = sampleRateHz;
        cache.centerFreqHz = centerFreqHz;
        cache.bandwidthOctaves = bandwidthOctaves;
        cache.valid = true;
    }
    section = SectionFromTerms(cache.terms, params[kPositionGain]);
}

void BandShelf::Apply(const FilterParams& params) noexcept
{
    m_section = DesignSection(params[kPositionSampleRate], params[kPositionCenterFrequency],
                              params[kPositionGain], params[kPositionBandwidth]);
}

std::vector<PoleZeroSection> BandShelf::PoleZeroSections() const
{
    const BiquadCoefficients& c = m_section;
    PoleZeroSection roots;
    QuadraticRoots(c.a0, c.a1 * c.a0, c.a2 * c.a0, roots.poles[0], roots.poles[1]);
    QuadraticRoots(c.b0 * c.a0, c.b1 * c.a0, c.b2 * c.a0, roots.zeros[0], roots.zeros[1]);
    return {roots};
}

} // namespace Design
} // namespace RBJ
} // namespace Dsp
