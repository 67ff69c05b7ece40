#pragma once

#include "dsp/Biquad.h"
#include "engine/BandTable.h"

#include <array>

// The equaliser's combined magnitude response: the product of the band shelves the engine
// designs for the given gains at a sample rate. Bands the rate does not carry, and bands at
// 0 dB, are unity everywhere and left out. Holds no allocation: pictures drawn on a host's GUI
// thread build one per frame.
class BandResponse
{
public:
    BandResponse(double sampleRateHz, const std::array<double, kBandCount>& gainsDb) noexcept;

    double Magnitude(double freqHz) const noexcept;
    double MagnitudeDb(double freqHz) const noexcept;

private:
    double sampleRateHz_;
    std::array<Dsp::BiquadCoefficients, kBandCount> sections_{};
    int sectionCount_ = 0;
};
