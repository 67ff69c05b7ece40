#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "headless/IPlugHeadless.h"

// A headless plug-in with `count` band-gain-like parameters "P0" .. that records every
// OnParameterChanged call.
class TestPlug : public IPlugHeadless
{
public:
    explicit TestPlug(int count, const char* channelIOs = "1-1 2-2", int presets = 1,
                      int latency = 0)
        : IPlugHeadless({}, {.parameterCount = count,
                             .channelIOs = channelIOs,
                             .presetCount = presets,
                             .effectName = "TestEffect",
                             .makerName = "TestMaker",
                             .version = 0x10205,
                             .uniqueId = PackFourCC("TsFx"),
                             .makerId = PackFourCC("TsMk"),
                             .latency = latency})
    {
        for (int i = 0; i < count; ++i)
        {
            char name[16];
            std::snprintf(name, sizeof(name), "P%d", i);
            Param(i)->DefineDouble(name, 0.0, -15.0, 15.0, 0.1, "dB");
        }
    }

    void OnParameterChanged(int index, ParameterChangeSource source) override
    {
        changes.emplace_back(index, source);
    }

    std::vector<std::pair<int, ParameterChangeSource>> changes;
};
