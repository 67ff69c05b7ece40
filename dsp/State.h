#pragma once

#include "dsp/Biquad.h"

#include <array>

namespace Dsp
{

// Direct Form II state of one section for one channel: the intermediate value delayed by one
// sample (w1) and by two (w2).
struct DirectFormII
{
    double w1 = 0.0;
    double w2 = 0.0;

    void Reset() noexcept
    {
        w1 = 0.0;
        w2 = 0.0;
    }

    // First section of a cascade: the denormal offset enters the recursion.
    double Step(double x, const BiquadCoefficients& c, double offset) noexcept
    {
        const double w = x - c.a1 * w1 - c.a2 * w2 + offset;
        const double y = c.b0 * w + c.b1 * w1 + c.b2 * w2;
        w2 = w1;
        w1 = w;
        return y;
    }

    double Step(double x, const BiquadCoefficients& c) noexcept
    {
        const double w = x - c.a1 * w1 - c.a2 * w2;
        const double y = c.b0 * w + c.b1 * w1 + c.b2 * w2;
        w2 = w1;
        w1 = w;
        return y;
    }
};

// Size of the offset that keeps recursive states out of the denormal range. Its sign flips
// before every sample, so the injected sequence is -1e-8, +1e-8, -1e-8, ... and averages out;
// it is far below anything audible.
inline constexpr double kDenormalOffset = 1e-8;

// Per-channel state: the alternating offset and the section states in cascade order.
template <typename StateType, int MaxSections> struct ChannelState
{
    double denormalOffset = kDenormalOffset;
    std::array<StateType, MaxSections> sections{};

    void Reset() noexcept
    {
        for (StateType& state : sections)
        {
            state.Reset();
        }
    }

    // Sum of every state value: finite exactly when each value is (barring an overflow of
    // the sum itself, which is as unusable).
    double Sum() const noexcept
    {
        double sum = 0.0;
        for (const StateType& state : sections)
        {
            sum += state.w1 + state.w2;
        }
        return sum;
    }
};

} // namespace Dsp
