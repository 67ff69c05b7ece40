#pragma once

#include "tests/support/TestPlugin.h"

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

// A headless plug-in with `count` band-gain-like parameters "P0" .. that records every
// OnParameterChanged call. The framework's tests drive its channel plumbing directly, as an
// adapter does.
class TestPlug : public TestPlugin
{
public:
    using TestPlugin::ClearChannelBuffers;
    using TestPlugin::ConnectInputs;
    using TestPlugin::ConnectOutputs;
    using TestPlugin::RunBlock;
    using TestPlugin::RunBypassedBlock;
    using TestPlugin::TakeInputs;
    using TestPlugin::TakeOutputs;

    explicit TestPlug(int count, const char* channelIOs = "1-1 2-2", int presets = 1,
                      int latency = 0)
        : TestPlugin({.channelIOs = channelIOs,
                      .presetCount = presets,
                      .effectName = "TestEffect",
                      .makerName = "TestMaker",
                      .version = 0x10205,
                      .uniqueId = PackFourCC("TsFx"),
                      .makerId = PackFourCC("TsMk"),
                      .latency = latency},
                     NumberedGains(count))
    {
    }

private:
    static std::vector<TestParameter> NumberedGains(int count)
    {
        static std::deque<std::string> names; // the parameters copy them; kept for good
        std::vector<TestParameter> gains;
        for (int i = 0; i < count; ++i)
        {
            if (static_cast<int>(names.size()) <= i)
            {
                char name[16];
                std::snprintf(name, sizeof name, "P%d", i);
                names.emplace_back(name);
            }
            gains.push_back(GainParameter(names[static_cast<std::size_t>(i)].c_str()));
        }
        return gains;
    }
};
