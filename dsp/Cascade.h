#pragma once

#include "dsp/Biquad.h"
#include "dsp/PoleZero.h"

#include <array>
#include <cmath>
#include <vector>

namespace Dsp
{

// Builds the section for one layout entry; all leading coefficients are 1.
inline BiquadCoefficients SectionFromRoots(const PoleZeroSection& roots)
{
    BiquadCoefficients section;
    section.a0 = 1.0;
    if (roots.IsSinglePole())
    {
        section.a1 = -roots.poles[0].real();
        section.a2 = 0.0;
        section.b0 = -roots.zeros[0].real();
        section.b1 = 1.0;
        section.b2 = 0.0;
        return section;
    }
    const Complex p1 = roots.poles[0];
    const Complex p2 = roots.poles[1];
    if (p1.imag() != 0.0)
    {
        section.a1 = -2.0 * p1.real();
        section.a2 = std::norm(p1);
    }
    else
    {
        section.a1 = -(p1.real() + p2.real());
        section.a2 = p1.real() * p2.real();
    }
    const Complex z1 = roots.zeros[0];
    const Complex z2 = roots.zeros[1];
    section.b0 = 1.0;
    if (z1.imag() != 0.0)
    {
        section.b1 = -2.0 * z1.real();
        section.b2 = std::norm(z1);
    }
    else
    {
        section.b1 = -(z1.real() + z2.real());
        section.b2 = z1.real() * z2.real();
    }
    return section;
}

// The sections actually run, in order.
template <int MaxSections> class SectionCascade
{
public:
    static constexpr int kMaxSections = MaxSections;

    int SectionCount() const { return m_sectionCount; }
    static constexpr int Capacity() { return MaxSections; }
    const BiquadCoefficients* Sections() const { return m_sections.data(); }
    const BiquadCoefficients& Section(int index) const { return m_sections[index]; }

    // Realises a digital layout: one section per layout entry, then the first section's
    // numerator is scaled so that |H| equals the layout's gain at its normalisation frequency.
    template <int MaxPoles> void Realise(const PoleZeroLayout<MaxPoles>& layout)
    {
        int count = (layout.PoleCount() + 1) / 2;
        if (count > layout.SectionCount())
        {
            count = layout.SectionCount();
        }
        if (count > MaxSections)
        {
            count = MaxSections;
        }
        m_sectionCount = count;
        for (int k = 0; k < count; ++k)
        {
            m_sections[k] = SectionFromRoots(layout.Section(k));
        }
        if (count == 0)
        {
            return;
        }
        const double twoPi = 2.0 * 3.141592653589793238462643383279502884;
        const double scale = layout.normalGain / std::abs(Response(layout.normalW / twoPi));
        m_sections[0].b0 *= scale;
        m_sections[0].b1 *= scale;
        m_sections[0].b2 *= scale;
    }

    // H(e^{i 2 pi f}) as the product of all numerators over the product of all denominators.
    Complex Response(double normalisedFreq) const
    {
        const UnitCirclePoint z(normalisedFreq);
        Complex numerator(1.0, 0.0);
        Complex denominator(1.0, 0.0);
        for (int k = 0; k < m_sectionCount; ++k)
        {
            numerator *= m_sections[k].Numerator(z.zInv1, z.zInv2);
            denominator *= m_sections[k].Denominator(z.zInv1, z.zInv2);
        }
        return numerator / denominator;
    }

private:
    int m_sectionCount = 0;
    std::array<BiquadCoefficients, MaxSections> m_sections{};
};

// Copies of the first (poles + 1) / 2 sections of a layout.
template <int MaxPoles>
std::vector<PoleZeroSection> CopySections(const PoleZeroLayout<MaxPoles>& layout)
{
    std::vector<PoleZeroSection> sections;
    const int count = (layout.PoleCount() + 1) / 2;
    sections.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count && k < layout.SectionCount(); ++k)
    {
        sections.push_back(layout.Section(k));
    }
    return sections;
}

} // namespace Dsp
