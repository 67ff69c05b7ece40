#include "dsp/Params.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace Dsp
{

namespace
{

constexpr double kPi = 3.141592653589793238462643383279502884;

double LogBase15(double x)
{
    return std::log(x) / std::log(1.5);
}

// One row per kind; kind 1 carries the cutoff label, kind 7 the band-pass order range.
const ParamInfo kLibraryRecords[kParamKindCount] = {
    {kParamSampleRate, "Fs", "Sample Rate", 11025, 192000, 44100, ParamMapping::Linear,
     ParamText::Hertz},
    {kParamFrequency, "Fc", "Cutoff Frequency", 10, 22040, 2000, ParamMapping::Logarithmic,
     ParamText::Hertz},
    {kParamQ, "Q", "Resonance", -4, 4, 1, ParamMapping::Octave, ParamText::Fixed},
    {kParamBandwidthOctaves, "BW", "Bandwidth (Octaves)", -4, 4, 1, ParamMapping::Octave,
     ParamText::Fixed},
    {kParamBandwidthHz, "BW", "Bandwidth (Hz)", 10, 22040, 1720, ParamMapping::Logarithmic,
     ParamText::Hertz},
    {kParamGain, "Gain", "Gain", -24, 24, -6, ParamMapping::Linear, ParamText::Decibel},
    {kParamSlope, "Slope", "Slope", -2, 2, 1, ParamMapping::Octave, ParamText::Fixed},
    {kParamOrder, "Order", "Order", 1, 4, 2, ParamMapping::Integer, ParamText::Plain},
    {kParamRippleDb, "Ripple", "Ripple dB", 0.001, 12, 0.01, ParamMapping::Linear,
     ParamText::Decibel},
    {kParamStopbandDb, "Stop", "Stopband dB", 3, 60, 48, ParamMapping::Linear, ParamText::Decibel},
    {kParamTransitionWidth, "W", "Transition Width", -16, 4, 0, ParamMapping::Linear,
     ParamText::Fixed},
    {kParamPoleDistance, "Pd", "Pole Distance", 0, 1, 0.5, ParamMapping::Linear, ParamText::Fixed},
    {kParamPoleAngle, "Pa", "Pole Angle", 0, kPi, kPi / 2, ParamMapping::Linear, ParamText::Fixed},
    {kParamZeroDistance, "Pd", "Zero Distance", 0, 1, 0.5, ParamMapping::Linear, ParamText::Fixed},
    {kParamZeroAngle, "Pa", "Zero Angle", 0, kPi, kPi / 2, ParamMapping::Linear, ParamText::Fixed},
    {kParamPoleReal, "A1", "Pole Real", -1, 1, 0.25, ParamMapping::Linear, ParamText::Fixed},
    {kParamZeroReal, "B1", "Zero Real", -1, 1, -0.25, ParamMapping::Linear, ParamText::Fixed},
};

} // namespace

double ParamInfo::ToControlValue(double nativeValue) const
{
    switch (mapping)
    {
    case ParamMapping::Logarithmic:
    {
        const double low = LogBase15(minValue);
        return (LogBase15(nativeValue) - low) / (LogBase15(maxValue) - low);
    }
    case ParamMapping::Octave:
        return (std::log2(nativeValue) - minValue) / (maxValue - minValue);
    case ParamMapping::Linear:
    case ParamMapping::Integer:
        break;
    }
    return (nativeValue - minValue) / (maxValue - minValue);
}

double ParamInfo::ToNativeValue(double controlValue) const
{
    switch (mapping)
    {
    case ParamMapping::Logarithmic:
    {
        const double low = LogBase15(minValue);
        return std::pow(1.5, low + controlValue * (LogBase15(maxValue) - low));
    }
    case ParamMapping::Octave:
        return std::pow(2.0, minValue + controlValue * (maxValue - minValue));
    case ParamMapping::Integer:
        return std::floor((maxValue - minValue) * controlValue + minValue + 0.5);
    case ParamMapping::Linear:
        break;
    }
    return minValue + controlValue * (maxValue - minValue);
}

std::string ParamInfo::ToString(double nativeValue) const
{
    std::ostringstream out;
    switch (text)
    {
    case ParamText::Hertz:
        out << nativeValue << " Hz";
        break;
    case ParamText::Fixed:
        out << std::fixed << std::setprecision(3) << nativeValue;
        break;
    case ParamText::Plain:
        out << nativeValue;
        break;
    case ParamText::Decibel:
    {
        const double magnitude = std::fabs(nativeValue);
        const int decimals = magnitude < 1.0 ? 3 : (magnitude < 10.0 ? 2 : 1);
        out << std::fixed << std::setprecision(decimals) << nativeValue << " dB";
        break;
    }
    }
    return out.str();
}

ParamInfo MakeParamInfo(ParamKind kind)
{
    if (kind < 0 || kind >= kParamKindCount)
    {
        return kLibraryRecords[kParamSampleRate];
    }
    return kLibraryRecords[kind];
}

ParamInfo MakeCenterFrequencyInfo()
{
    ParamInfo info = kLibraryRecords[kParamFrequency];
    info.label = "Center Frequency";
    return info;
}

ParamInfo MakeOrderInfo(int maxOrder)
{
    ParamInfo info = kLibraryRecords[kParamOrder];
    info.maxValue = maxOrder;
    return info;
}

} // namespace Dsp
