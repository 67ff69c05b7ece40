#pragma once

// Shared pieces of the fuzz targets: a prepared plug-in instance and the checks every target
// makes after feeding it hostile input.

#include "plugin/VantorKestrune.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace fuzzing
{

inline VantorKestrune& PreparedPlugin()
{
    static std::unique_ptr<VantorKestrune> plugin = []
    {
        std::unique_ptr<VantorKestrune> created(CreatePlugin());
        created->SetHostSampleRate(48000.0);
        created->SetHostBlockSize(64);
        created->ResetProcessing();
        return created;
    }();
    return *plugin;
}

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

// One short stereo block of a sine; aborts when the output is not finite.
inline void CheckBlockIsFinite(VantorKestrune& plugin)
{
    constexpr int kFrames = 64;
    float left[kFrames];
    float right[kFrames];
    for (int i = 0; i < kFrames; ++i)
    {
        left[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
        right[i] = -left[i];
    }
    float* io[] = {left, right};
    plugin.RenderBlock(io, 2, io, 2, kFrames, false);
    for (int i = 0; i < kFrames; ++i)
    {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
        {
            std::abort();
        }
    }
}

// Reads an int32 from the front of the input and advances it; 0 when too short.
inline std::int32_t TakeInt32(const std::uint8_t*& data, std::size_t& size)
{
    std::int32_t value = 0;
    if (size >= sizeof value)
    {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

} // namespace fuzzing
