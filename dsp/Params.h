#pragma once

// Uniform parameter model of the filter library: every filter takes an array of eight native
// values, and each position of a design is described by a ParamInfo record.

#include <array>
#include <string>

namespace Dsp
{

// Position k holds the design's k-th parameter; positions beyond the design's parameter count
// are carried along unused.
inline constexpr int kMaxParams = 8;
using FilterParams = std::array<double, kMaxParams>;

// Parameter kinds; SetParamById finds a position by its kind.
enum ParamKind : int
{
    kParamSampleRate = 0,
    kParamFrequency = 1, // cutoff or centre frequency
    kParamQ = 2,
    kParamBandwidthOctaves = 3,
    kParamBandwidthHz = 4,
    kParamGain = 5,
    kParamSlope = 6,
    kParamOrder = 7,
    kParamRippleDb = 8,
    kParamStopbandDb = 9,
    kParamTransitionWidth = 10,
    kParamPoleDistance = 11,
    kParamPoleAngle = 12,
    kParamZeroDistance = 13,
    kParamZeroAngle = 14,
    kParamPoleReal = 15,
    kParamZeroReal = 16,
};

inline constexpr int kParamKindCount = 17;

// How a native value maps to a control position 0..1.
enum class ParamMapping
{
    Linear,
    Logarithmic, // base 1.5
    Octave,      // min and max are base-2 exponents
    Integer,
};

// How a native value is shown.
enum class ParamText
{
    Hertz,   // "2000 Hz"
    Fixed,   // "0.333"
    Plain,   // "4"
    Decibel, // "-6.00 dB"
};

// Description of one parameter position. Trivially copyable, so asking for it allocates nothing.
struct ParamInfo
{
    int kind = kParamSampleRate;
    const char* shortName = "";
    const char* label = "";
    double minValue = 0.0;
    double maxValue = 1.0;
    double defaultValue = 0.0;
    ParamMapping mapping = ParamMapping::Linear;
    ParamText text = ParamText::Fixed;

    // Native value -> control position 0..1.
    double ToControlValue(double nativeValue) const;
    // Control position 0..1 -> native value.
    double ToNativeValue(double controlValue) const;
    // Display text of a native value.
    std::string ToString(double nativeValue) const;
};

// The library's record for a kind. Kind 1 gets the "Cutoff Frequency" label and kind 7 the
// order range 1..4; use the functions below for the other variants.
ParamInfo MakeParamInfo(ParamKind kind);
ParamInfo MakeCenterFrequencyInfo();
ParamInfo MakeOrderInfo(int maxOrder);

} // namespace Dsp

namespace Dsp
{

// The order parameter truncated toward zero. Orders outside 1 .. maxOrder (and NaN) are
// clamped into that range: a design's storage is fixed by its maximum order.
inline int OrderFromParam(double value, int maxOrder)
{
    if (!(value >= 1.0))
    {
        return 1;
    }
    if (value >= static_cast<double>(maxOrder))
    {
        return maxOrder;
    }
    return static_cast<int>(value);
}

} // namespace Dsp
