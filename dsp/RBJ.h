#pragma once

// RBJ audio-EQ cookbook designs: a single second-order section computed in closed form.

#include "dsp/Biquad.h"
#include "dsp/Params.h"
#include "dsp/PoleZero.h"

#include <vector>

namespace Dsp
{
namespace RBJ
{

// Roots of a z^2 + b z + c; when a is zero the single real root -c/b comes first and the second
// root is 0, as in a single-pole section.
void QuadraticRoots(double a, double b, double c, Complex& root1, Complex& root2);

namespace Design
{

// The frequency-dependent part of a band shelf: it depends on sample rate, centre frequency
// and bandwidth only, not on the gain.
struct BandShelfTerms
{
    double cosOmega = 0.0;
    double alpha = 0.0;
};

// Peaking equaliser ("band shelf"): boosts or cuts a band around a centre frequency by a gain
// in dB, unity far from the band. Parameters: sample rate (Hz), centre frequency (Hz), gain
// (dB), bandwidth (octaves).
class BandShelf
{
public:
    static constexpr int kDesignKind = 6;
    static constexpr const char* kDesignName = "RBJ Band Shelf";
    static constexpr int kParamCount = 4;
    static constexpr int kMaxSections = 1;

    static constexpr int kPositionSampleRate = 0;
    static constexpr int kPositionCenterFrequency = 1;
    static constexpr int kPositionGain = 2;
    static constexpr int kPositionBandwidth = 3;

    // Remembers the frequency terms of the last design, so that a ramp that only moves the gain
    // computes sine, cosine and the bandwidth term once. The terms are reused only for exactly
    // equal inputs, which keeps the result identical to a full design.
    struct SectionCache
    {
        bool valid = false;
        double sampleRateHz = 0.0;
        double centerFreqHz = 0.0;
        double bandwidthOctaves = 0.0;
        BandShelfTerms terms{};
    };

    static ParamInfo ParamInfoAt(int position);

    static BandShelfTerms ComputeTerms(double sampleRateHz, double centerFreqHz,
                                       double bandwidthOctaves) noexcept;
    static BiquadCoefficients SectionFromTerms(const BandShelfTerms& terms, double gainDb) noexcept;
    static BiquadCoefficients DesignSection(double sampleRateHz, double centerFreqHz, double gainDb,
                                            double bandwidthOctaves) noexcept;
    static void DesignSection(const FilterParams& params, SectionCache& cache,
                              BiquadCoefficients& section) noexcept;

    void Apply(const FilterParams& params) noexcept;

    int SectionCount() const { return 1; }
    const BiquadCoefficients* Sections() const { return &m_section; }
    const BiquadCoefficients& Section() const { return m_section; }

    std::vector<PoleZeroSection> PoleZeroSections() const;
    Complex Response(double normalisedFreq) const
    {
        return SectionResponse(m_section, normalisedFreq);
    }

private:
    BiquadCoefficients m_section{};
};

} // namespace Design
} // namespace RBJ
} // namespace Dsp
