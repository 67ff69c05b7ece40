#pragma once

// Shared pieces of the fuzz targets: the checks every target makes after feeding the plug-in
// hostile input, and readers that take typed values from the front of the input. Works with
// the product built on any adapter (headless or AAX).

#include "framework/IPlugBase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzing
{

// Aborts (a finding) when a parameter left its range or became non-finite.
inline void CheckParameters(const IPlugBase& plugin)
{
    for (int i = 0; i < plugin.ParameterCount(); ++i)
    {
        const IPlugParameter& param = *plugin.Param(i);
        const double value = param.Value();
        if (!std::isfinite(value) || value < param.Min() || value > param.Max())
        {
            std::abort();
        }
    }
}

// One short stereo block of two sines; their sum and difference are both far from silent, so
// the analyser and the Auto EQ see a signal in either measuring mode.
struct TestBlock
{
    static constexpr int kFrames = 64;
    // Blocks a check runs: the Auto EQ acts on levels measured in earlier blocks.
    static constexpr int kBlocks = 3;
    float left[kFrames];
    float right[kFrames];
    float* channels[2] = {left, right};

    TestBlock()
    {
        for (int i = 0; i < kFrames; ++i)
        {
            left[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
            right[i] = static_cast<float>(0.4 * std::sin(0.31 * i));
        }
    }

    // Aborts when a sample of the processed block is not finite.
    void CheckFinite() const
    {
        for (int i = 0; i < kFrames; ++i)
        {
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
            {
                std::abort();
            }
        }
    }
};

// Reads a value from the front of the input and advances it; `fallback` when too short.
template <typename T> T Take(const std::uint8_t*& data, std::size_t& size, T fallback = T{})
{
    T value = fallback;
    if (size >= sizeof value)
    {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

inline std::int32_t TakeInt32(const std::uint8_t*& data, std::size_t& size)
{
    return Take<std::int32_t>(data, size);
}

// A text of the length the next byte gives (at most what is left).
inline std::string TakeText(const std::uint8_t*& data, std::size_t& size)
{
    const std::size_t length = std::min<std::size_t>(Take<std::uint8_t>(data, size), size);
    std::string text(reinterpret_cast<const char*>(data), length);
    data += length;
    size -= length;
    return text;
}

// A position near a chunk of `size` bytes: most land inside it, some before or past it.
inline int PositionNear(std::int32_t raw, std::size_t size)
{
    return static_cast<int>(raw % (static_cast<std::int64_t>(size) + 8));
}

} // namespace fuzzing
