#pragma once

#include <complex>

namespace Dsp
{

// One second-order section (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2). a1, a2, b0, b1
// and b2 are stored already divided by a0; a0 itself is kept so the raw polynomials can be
// recovered. The member order is part of the layout other code may rely on.
struct BiquadCoefficients
{
    double a0 = 1.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double b0 = 1.0;

    // Stores a0 and the five quotients by a0.
    void SetCoefficients(double rawA0, double rawA1, double rawA2, double rawB0, double rawB1,
                         double rawB2) noexcept
    {
        a0 = rawA0;
        a1 = rawA1 / rawA0;
        a2 = rawA2 / rawA0;
        b0 = rawB0 / rawA0;
        b1 = rawB1 / rawA0;
        b2 = rawB2 / rawA0;
    }

    // Numerator and denominator at z^-1 = zInv1, z^-2 = zInv2.
    std::complex<double> Numerator(std::complex<double> zInv1,
                                   std::complex<double> zInv2) const noexcept
    {
        return b0 + b1 * zInv1 + b2 * zInv2;
    }
    std::complex<double> Denominator(std::complex<double> zInv1,
                                     std::complex<double> zInv2) const noexcept
    {
        return 1.0 + a1 * zInv1 + a2 * zInv2;
    }
};

// z^-1 and z^-2 on the unit circle at a frequency given as a fraction of the sample rate.
struct UnitCirclePoint
{
    std::complex<double> zInv1;
    std::complex<double> zInv2;

    explicit UnitCirclePoint(double normalisedFreq)
    {
        const double omega = 2.0 * 3.141592653589793238462643383279502884 * normalisedFreq;
        zInv1 = std::polar(1.0, -omega);
        zInv2 = std::polar(1.0, -2.0 * omega);
    }
};

// Response of one section at a frequency given as a fraction of the sample rate.
inline std::complex<double> SectionResponse(const BiquadCoefficients& section,
                                            double normalisedFreq)
{
    const UnitCirclePoint z(normalisedFreq);
    return section.Numerator(z.zInv1, z.zInv2) / section.Denominator(z.zInv1, z.zInv2);
}

} // namespace Dsp
