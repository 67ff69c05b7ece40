#pragma once

#include "dsp/Dsp.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace DspTest
{

using Shelf = Dsp::SmoothedFilterDesign<Dsp::RBJ::Design::BandShelf, 2, Dsp::DirectFormII>;
using PlainShelf = Dsp::FilterDesign<Dsp::RBJ::Design::BandShelf, 2, Dsp::DirectFormII>;
using BandPass = Dsp::FilterDesign<Dsp::Butterworth::Design::BandPass<4>, 2, Dsp::DirectFormII>;
using LowPass = Dsp::FilterDesign<Dsp::Legendre::Design::LowPass<8>, 2, Dsp::DirectFormII>;

inline constexpr double kPi = 3.141592653589793238462643383279502884;

inline double MagnitudeDb(std::complex<double> h)
{
    return 20.0 * std::log10(std::abs(h));
}

// Response in dB at a frequency in Hz.
inline double ResponseDb(const Dsp::Filter& filter, double freqHz, double sampleRateHz)
{
    return MagnitudeDb(filter.Response(freqHz / sampleRateHz));
}

// The third-octave width the analyser uses for a band centred on freqHz.
inline double ThirdOctaveWidthHz(double freqHz)
{
    return freqHz * std::pow(2.0, 1.0 / 6.0) - freqHz * std::pow(2.0, -1.0 / 6.0);
}

inline std::vector<double> RandomSignal(std::size_t length, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> distribution(-1.0, 1.0);
    std::vector<double> signal(length);
    for (double& sample : signal)
    {
        sample = distribution(generator);
    }
    return signal;
}

// Runs a two-channel filter over copies of left and right in blocks of the given sizes
// (cycled until every sample is processed).
inline void RunInBlocks(Dsp::Filter& filter, std::vector<double>& left, std::vector<double>& right,
                        const std::vector<int>& blockSizes)
{
    const int total = static_cast<int>(left.size());
    int position = 0;
    std::size_t next = 0;
    while (position < total)
    {
        const int size = std::min(blockSizes[next % blockSizes.size()], total - position);
        ++next;
        double* channels[2] = {left.data() + position, right.data() + position};
        filter.Process(size, channels);
        position += size;
    }
    if (total == 0)
    {
        double* channels[2] = {left.data(), right.data()};
        filter.Process(0, channels);
    }
}

} // namespace DspTest
