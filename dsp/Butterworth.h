#pragma once

// Butterworth designs: a maximally flat analog low-pass prototype of order n, mapped to the
// digital domain.

#include "dsp/Cascade.h"
#include "dsp/Params.h"
#include "dsp/PoleZero.h"

#include <cmath>
#include <vector>

namespace Dsp
{

// Maps an analog low-pass prototype to a digital band-pass between two band edges. Each analog
// root becomes two digital roots; the zero at infinity becomes the pair (-1, +1).
class BandPassTransform
{
public:
    // centerFreq and widthFreq are divided by the sample rate. The edges are kept inside
    // (0, pi) by 1e-8 radians.
    template <int AnalogPoles, int DigitalPoles>
    BandPassTransform(double centerFreq, double widthFreq,
                      const PoleZeroLayout<AnalogPoles>& analog,
                      PoleZeroLayout<DigitalPoles>& digital)
    {
        digital.Clear();
        const double pi = 3.141592653589793238462643383279502884;
        const double widthOmega = 2.0 * pi * widthFreq;
        m_lowerOmega = 2.0 * pi * centerFreq - widthOmega / 2.0;
        m_upperOmega = m_lowerOmega + widthOmega;
        if (m_lowerOmega < 1e-8)
        {
            m_lowerOmega = 1e-8;
        }
        if (m_upperOmega > pi - 1e-8)
        {
            m_upperOmega = pi - 1e-8;
        }
        m_a = std::cos((m_upperOmega + m_lowerOmega) * 0.5) /
              std::cos((m_upperOmega - m_lowerOmega) * 0.5);
        m_b = 1.0 / std::tan((m_upperOmega - m_lowerOmega) * 0.5);
        m_a2 = m_a * m_a;
        m_b2 = m_b * m_b;
        m_ab = m_a * m_b;
        m_ab2 = 2.0 * m_ab;

        for (int i = 0; i < analog.SectionCount(); ++i)
        {
            const PoleZeroSection& section = analog.Section(i);
            const RootPair poles = Transform(section.poles[0]);
            const RootPair zeros = Transform(section.zeros[0]);
            if (section.IsSinglePole())
            {
                digital.AddPoleZeroPair(poles.first, poles.second, zeros.first, zeros.second);
            }
            else
            {
                digital.AddConjugatePairs(poles.first, zeros.first);
                digital.AddConjugatePairs(poles.second, zeros.second);
            }
        }
        const double analogW = analog.normalW;
        digital.normalW = 2.0 * std::atan(std::sqrt(std::tan((m_upperOmega + analogW) * 0.5) *
                                                    std::tan((m_lowerOmega + analogW) * 0.5)));
        digital.normalGain = analog.normalGain;
    }


private:
    struct RootPair
    {
        Complex first;
        Complex second;
    };

    RootPair Transform(Complex c) const
    {
        if (IsInfinityRoot(c))
        {
            return {Complex(-1.0, 0.0), Complex(1.0, 0.0)};
        }
        const double k = m_b2 * (m_a2 - 1.0);
        c = (1.0 + c) / (1.0 - c);
        const Complex v =
            std::sqrt(4.0 * (k + 1.0) * c * c + 8.0 * (k - 1.0) * c + 4.0 * (k + 1.0));
        const Complex d = 2.0 * (m_b - 1.0) * c + 2.0 * (1.0 + m_b);
        return {(m_ab2 * c + m_ab2 - v) / d, (m_ab2 * c + m_ab2 + v) / d};
    }

    double m_lowerOmega = 0.0;
    double m_upperOmega = 0.0;
    double m_a = 0.0;
    double m_b = 0.0;
    double m_a2 = 0.0;
    double m_b2 = 0.0;
    double m_ab = 0.0;
    double m_ab2 = 0.0;
};

namespace Butterworth
{

// Analog Butterworth low-pass prototype with poles on the unit circle and all zeros at
// infinity, unity gain at 0 rad/s. Recomputed only when the order changes.
template <int MaxOrder> class AnalogLowPass
{
public:
    void Design(int order)
    {
        if (order == m_cachedOrder)
        {
            return;
        }
        m_cachedOrder = order;
        m_layout.Clear();
        const double pi = 3.141592653589793238462643383279502884;
        for (int i = 0; i < order / 2; ++i)
        {
            const double theta = pi / 2.0 + (2 * i + 1) * pi / (2.0 * order);
            m_layout.AddConjugatePairs(Complex(std::cos(theta), std::sin(theta)), InfinityRoot());
        }
        if (order % 2 == 1)
        {
            m_layout.AddSinglePole(Complex(-1.0, 0.0), InfinityRoot());
        }
        m_layout.normalW = 0.0;
        m_layout.normalGain = 1.0;
    }

    int CachedOrder() const { return m_cachedOrder; }
    const PoleZeroLayout<MaxOrder>& Layout() const { return m_layout; }

private:
    int m_cachedOrder = -1;
    PoleZeroLayout<MaxOrder> m_layout;
};

namespace Design
{

// Band-pass of order 2n around a centre frequency with a width in Hz, n sections normalised
// to unity gain at the band centre. Parameters: sample rate (Hz), order n (1 .. MaxOrder),
// centre frequency (Hz), bandwidth (Hz).
template <int MaxOrder> class BandPass
{
public:
    static constexpr int kDesignKind = 1;
    static constexpr const char* kDesignName = "Butterworth Band Pass";
    static constexpr int kParamCount = 4;
    static constexpr int kMaxSections = MaxOrder;

    static constexpr int kPositionSampleRate = 0;
    static constexpr int kPositionOrder = 1;
    static constexpr int kPositionCenterFrequency = 2;
    static constexpr int kPositionBandwidth = 3;

    static ParamInfo ParamInfoAt(int position)
    {
        switch (position)
        {
        case kPositionSampleRate:
            return MakeParamInfo(kParamSampleRate);
        case kPositionOrder:
            return MakeOrderInfo(MaxOrder);
        case kPositionCenterFrequency:
            return MakeCenterFrequencyInfo();
        default:
            return MakeParamInfo(kParamBandwidthHz);
        }
    }

    void Apply(const FilterParams& params)
    {
        const double sampleRateHz = params[kPositionSampleRate];
        m_prototype.Design(OrderFromParam(params[kPositionOrder], MaxOrder));
        BandPassTransform(params[kPositionCenterFrequency] / sampleRateHz,
                          params[kPositionBandwidth] / sampleRateHz, m_prototype.Layout(),
                          m_digital);
        m_cascade.Realise(m_digital);
    }

    int SectionCount() const { return m_cascade.SectionCount(); }
    const BiquadCoefficients* Sections() const { return m_cascade.Sections(); }
    const SectionCascade<MaxOrder>& Cascade() const { return m_cascade; }
    const PoleZeroLayout<2 * MaxOrder>& DigitalLayout() const { return m_digital; }
    const AnalogLowPass<MaxOrder>& Prototype() const { return m_prototype; }

    std::vector<PoleZeroSection> PoleZeroSections() const { return CopySections(m_digital); }
    Complex Response(double normalisedFreq) const { return m_cascade.Response(normalisedFreq); }

private:
    AnalogLowPass<MaxOrder> m_prototype;
    PoleZeroLayout<2 * MaxOrder> m_digital;
    SectionCascade<MaxOrder> m_cascade;
};

} // namespace Design
} // namespace Butterworth
} // namespace Dsp
