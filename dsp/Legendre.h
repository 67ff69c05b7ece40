#pragma once

// Legendre (Papoulis optimum-L) designs: the steepest cut-off with a monotonic pass band,
// |H(jw)|^2 = 1 / (1 + L_n(w^2)). The prototype's poles are found with Laguerre's method.

#include "dsp/Cascade.h"
#include "dsp/Params.h"
#include "dsp/PoleZero.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace Dsp
{

// Maps an analog low-pass prototype to a digital low-pass with the pre-warped bilinear
// transform; the zero at infinity goes to z = -1. cutoffFreq is divided by the sample rate.
template <int AnalogPoles, int DigitalPoles>
void LowPassTransform(double cutoffFreq, const PoleZeroLayout<AnalogPoles>& analog,
                      PoleZeroLayout<DigitalPoles>& digital)
{
    digital.Clear();
    const double warp = std::tan(3.141592653589793238462643383279502884 * cutoffFreq);
    const auto map = [warp](Complex c)
    {
        if (IsInfinityRoot(c))
        {
            return Complex(-1.0, 0.0);
        }
        return (1.0 + c * warp) / (1.0 - c * warp);
    };
    for (int i = 0; i < analog.SectionCount(); ++i)
    {
        const PoleZeroSection& section = analog.Section(i);
        if (section.IsSinglePole())
        {
            digital.AddSinglePole(map(section.poles[0]), map(section.zeros[0]));
        }
        else
        {
            digital.AddConjugatePairs(map(section.poles[0]), map(section.zeros[0]));
        }
    }
    digital.normalW = analog.normalW;
    digital.normalGain = analog.normalGain;
}

namespace Legendre
{

// Refines start towards a root of the polynomial coefficients[0] + coefficients[1] x + ... of
// the given degree. Throws std::logic_error("laguerre failed") after 80 iterations.
Complex Laguerre(const Complex* coefficients, int degree, Complex start);

// Coefficients w[0] .. w[order] of the optimum-L polynomial L_n(x), x standing for w^2.
// w must hold order + 1 values; order is 1 or more.
template <int MaxOrder> void OptimumLPolynomial(int order, double* w)
{
    constexpr int kSize = 2 * MaxOrder + 4;
    const int n = order;
    const int k = (n - 1) / 2;

    // Legendre polynomials P_0 .. P_k in ascending powers.
    std::array<std::array<double, kSize>, MaxOrder + 1> legendre{};
    legendre[0][0] = 1.0;
    if (k >= 1)
    {
        legendre[1][1] = 1.0;
    }
    if (k >= 2)
    {
        legendre[2][0] = -0.5;
        legendre[2][2] = 1.5;
    }
    for (int i = 2; i < k; ++i)
    {
        for (int j = 0; j <= i + 1; ++j)
        {
            const double shifted = j > 0 ? legendre[i][j - 1] : 0.0;
            legendre[i + 1][j] = ((2 * i + 1) * shifted - i * legendre[i - 1][j]) / (i + 1);
        }
    }

    std::array<double, MaxOrder + 1> weights{};
    if (n % 2 == 1)
    {
        for (int i = 0; i <= k; ++i)
        {
            weights[i] = (2 * i + 1) / (std::sqrt(2.0) * (k + 1));
        }
    }
    else
    {
        for (int i = k % 2; i <= k; i += 2)
        {
            weights[i] = (2 * i + 1) / std::sqrt(static_cast<double>((k + 1) * (k + 2)));
        }
    }

    std::array<double, kSize> sum{};
    for (int i = 0; i <= k; ++i)
    {
        for (int j = 0; j <= i; ++j)
        {
            sum[j] += weights[i] * legendre[i][j];
        }
    }

    // V = S^2, times (1 + x) for even orders; degree n - 1.
    std::array<double, kSize> integrand{};
    for (int i = 0; i <= k; ++i)
    {
        for (int j = 0; j <= k; ++j)
        {
            integrand[i + j] += sum[i] * sum[j];
        }
    }
    integrand[2 * k + 1] = 0.0;
    if (n % 2 == 0)
    {
        for (int i = 2 * k + 1; i >= 1; --i)
        {
            integrand[i] += integrand[i - 1];
        }
    }

    // Antiderivative F with F(0) = 0.
    for (int i = n + 1; i >= 0; --i)
    {
        integrand[i + 1] = integrand[i] / (i + 1);
    }
    integrand[0] = 0.0;

    // L(x) = F(2x - 1) - F(-1): the integral from -1 to 2x - 1.
    std::array<double, kSize> result{};
    std::array<double, kSize> power{};
    power[0] = -1.0;
    power[1] = 2.0;
    for (int i = 1; i <= n; ++i)
    {
        for (int j = 0; j <= i; ++j)
        {
            result[j] += integrand[i] * power[j];
        }
        for (int j = i + 1; j >= 0; --j)
        {
            power[j] = 2.0 * (j > 0 ? power[j - 1] : 0.0) - power[j];
        }
    }
    result[0] = 0.0;
    if (n % 2 == 0)
    {
        result[1] = 0.0;
    }
    for (int j = 0; j <= n; ++j)
    {
        w[j] = result[j];
    }
}

// The order stable poles of the optimum-L prototype, largest imaginary part first.
template <int MaxOrder> void PrototypePoles(int order, Complex* stablePoles)
{
    const int n = order;
    const int degree = 2 * n;
    std::array<double, MaxOrder + 1> w{};
    OptimumLPolynomial<MaxOrder>(n, w.data());

    // Q(s) = 1 + L_n(-s^2).
    std::array<Complex, 2 * MaxOrder + 1> q{};
    q[0] = 1.0 + w[0];
    for (int j = 1; j <= n; ++j)
    {
        q[2 * j] = (j % 2 == 0 ? 1.0 : -1.0) * w[j];
    }

    std::array<Complex, 2 * MaxOrder + 1> deflated = q;
    std::array<Complex, 2 * MaxOrder> roots{};
    for (int j = degree - 1; j >= 0; --j)
    {
        Complex x = Laguerre(deflated.data(), j + 1, Complex(0.0, 0.0));
        if (std::abs(x.imag()) <= 2e-30 * std::abs(x.real()))
        {
            x = Complex(x.real(), 0.0);
        }
        roots[j] = x;
        Complex b = deflated[j + 1];
        for (int i = j; i >= 0; --i)
        {
            const Complex c = deflated[i];
            deflated[i] = b;
            b = x * b + c;
        }
    }
    for (int j = 0; j < degree; ++j)
    {
        roots[j] = Laguerre(q.data(), degree, roots[j]);
    }

    const auto sortByImagDescending = [](Complex* values, int count)
    {
        for (int i = 1; i < count; ++i)
        {
            const Complex value = values[i];
            int j = i - 1;
            while (j >= 0 && values[j].imag() < value.imag())
            {
                values[j + 1] = values[j];
                --j;
            }
            values[j + 1] = value;
        }
    };
    sortByImagDescending(roots.data(), degree);

    int stableCount = 0;
    for (int j = 0; j < degree && stableCount < n; ++j)
    {
        if (roots[j].real() <= 0.0)
        {
            stablePoles[stableCount++] = roots[j];
        }
    }
    if (stableCount < n)
    {
        throw std::logic_error("laguerre failed");
    }
    sortByImagDescending(stablePoles, n);
}

// Analog optimum-L low-pass prototype, unity gain at 0 rad/s, -3 dB at 1 rad/s. Recomputed
// only when the order changes; the work space lives on the stack.
template <int MaxOrder> class AnalogLowPass
{
public:
    void Design(int order)
    {
        if (order == m_cachedOrder)
        {
            return;
        }
        std::array<Complex, MaxOrder> poles{};
        PrototypePoles<MaxOrder>(order, poles.data());
        m_cachedOrder = order;
        m_layout.Clear();
        for (int i = 0; i < order / 2; ++i)
        {
            m_layout.AddConjugatePairs(poles[i], InfinityRoot());
        }
        if (order % 2 == 1)
        {
            m_layout.AddSinglePole(Complex(poles[order / 2].real(), 0.0), InfinityRoot());
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

// Low-pass of order n with unity gain at 0 Hz. Parameters: sample rate (Hz), order n
// (1 .. MaxOrder), cutoff frequency (Hz).
template <int MaxOrder> class LowPass
{
public:
    static constexpr int kDesignKind = 0;
    static constexpr const char* kDesignName = "Legendre Low Pass";
    static constexpr int kParamCount = 3;
    static constexpr int kMaxSections = (MaxOrder + 1) / 2;

    static constexpr int kPositionSampleRate = 0;
    static constexpr int kPositionOrder = 1;
    static constexpr int kPositionCutoffFrequency = 2;

    static ParamInfo ParamInfoAt(int position)
    {
        switch (position)
        {
        case kPositionSampleRate:
            return MakeParamInfo(kParamSampleRate);
        case kPositionOrder:
            return MakeOrderInfo(MaxOrder);
        default:
            return MakeParamInfo(kParamFrequency);
        }
    }

    void Apply(const FilterParams& params)
    {
        m_prototype.Design(OrderFromParam(params[kPositionOrder], MaxOrder));
        LowPassTransform(params[kPositionCutoffFrequency] / params[kPositionSampleRate],
                         m_prototype.Layout(), m_digital);
        m_cascade.Realise(m_digital);
    }

    int SectionCount() const { return m_cascade.SectionCount(); }
    const BiquadCoefficients* Sections() const { return m_cascade.Sections(); }
    const SectionCascade<kMaxSections>& Cascade() const { return m_cascade; }
    const PoleZeroLayout<MaxOrder>& DigitalLayout() const { return m_digital; }
    const AnalogLowPass<MaxOrder>& Prototype() const { return m_prototype; }

    std::vector<PoleZeroSection> PoleZeroSections() const { return CopySections(m_digital); }
    Complex Response(double normalisedFreq) const { return m_cascade.Response(normalisedFreq); }

private:
    AnalogLowPass<MaxOrder> m_prototype;
    PoleZeroLayout<MaxOrder> m_digital;
    SectionCascade<kMaxSections> m_cascade;
};

} // namespace Design
} // namespace Legendre
} // namespace Dsp
