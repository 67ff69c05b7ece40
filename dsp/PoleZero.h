#pragma once

#include <array>
#include <complex>
#include <limits>

namespace Dsp
{

using Complex = std::complex<double>;

// The zero at infinity of the analog prototypes.
inline Complex InfinityRoot()
{
    return Complex(std::numeric_limits<double>::infinity(), 0.0);
}

inline bool IsInfinityRoot(Complex root)
{
    return root.real() == std::numeric_limits<double>::infinity();
}

// The roots realised by one second-order section. A section whose second pole and second zero
// are both exactly 0 + 0i is a single-pole section.
struct PoleZeroSection
{
    std::array<Complex, 2> poles{};
    std::array<Complex, 2> zeros{};

    bool IsSinglePole() const
    {
        return poles[1] == Complex(0.0, 0.0) && zeros[1] == Complex(0.0, 0.0);
    }
};

// An ordered list of sections with room for MaxPoles poles, plus the frequency and gain the
// realised cascade is normalised to. normalW is in radians per sample for digital layouts and
// radians per second for analog ones.
template <int MaxPoles> class PoleZeroLayout
{
public:
    static constexpr int kMaxSections = (MaxPoles + 1) / 2;

    void Clear()
    {
        m_poleCount = 0;
        m_sectionCount = 0;
    }

    // Appends (p, conj p, z, conj z). Ignored when the layout is full.
    void AddConjugatePairs(Complex pole, Complex zero)
    {
        AddSection(PoleZeroSection{{pole, std::conj(pole)}, {zero, std::conj(zero)}}, 2);
    }

    // Appends (p, 0, z, 0). Ignored when the layout is full.
    void AddSinglePole(Complex pole, Complex zero)
    {
        AddSection(PoleZeroSection{{pole, Complex(0.0, 0.0)}, {zero, Complex(0.0, 0.0)}}, 1);
    }

    // Appends two poles and two zeros as given. Ignored when the layout is full.
    void AddPoleZeroPair(Complex pole1, Complex pole2, Complex zero1, Complex zero2)
    {
        AddSection(PoleZeroSection{{pole1, pole2}, {zero1, zero2}}, 2);
    }

    int PoleCount() const { return m_poleCount; }
    static constexpr int Capacity() { return MaxPoles; }
    int SectionCount() const { return m_sectionCount; }
    const PoleZeroSection& Section(int index) const { return m_sections[index]; }

    double normalW = 0.0;
    double normalGain = 1.0;

private:
    void AddSection(const PoleZeroSection& section, int poles)
    {
        if (m_poleCount + poles > MaxPoles || m_sectionCount >= kMaxSections)
        {
            return;
        }
        m_sections[m_sectionCount++] = section;
        m_poleCount += poles;
    }

    int m_poleCount = 0;
    int m_sectionCount = 0;
    std::array<PoleZeroSection, kMaxSections> m_sections{};
};

} // namespace Dsp
