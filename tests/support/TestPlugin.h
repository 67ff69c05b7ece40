#pragma once

// A headless plug-in for the tests below the product (framework, graphics, editor windows,
// benchmarks): its parameters come from a table, and it records what the framework tells it
// (every OnParameterChanged, every idle editor frame).

#include "headless/IPlugHeadless.h"

#include <utility>
#include <vector>

struct TestParameter
{
    enum Kind
    {
        Double,
        Enum,
        Bool,
    };
    Kind kind = Double;
    const char* name = "";
    double defaultValue = 0.0;
    double min = 0.0;  // Double
    double max = 0.0;  // Double
    double step = 0.0; // Double
    const char* unit = "";
    std::vector<const char*> texts; // Enum: one value text per value
};

// -15..15 dB in steps of 0.1, default 0: a band gain.
inline TestParameter GainParameter(const char* name = "Gain")
{
    return {TestParameter::Double, name, 0.0, -15.0, 15.0, 0.1, "dB", {}};
}

inline TestParameter EnumParameter(const char* name, int defaultIndex,
                                   std::vector<const char*> texts)
{
    return {TestParameter::Enum, name, static_cast<double>(defaultIndex), 0.0, 0.0, 0.0, "",
            std::move(texts)};
}

inline TestParameter BoolParameter(const char* name, bool on = false)
{
    return {TestParameter::Bool, name, on ? 1.0 : 0.0, 0.0, 0.0, 0.0, "", {}};
}

class TestPlugin : public IPlugHeadless
{
public:
    // The description's parameter count is the table's.
    TestPlugin(PluginDescription description, const std::vector<TestParameter>& parameters)
        : IPlugHeadless({}, WithParameterCount(description, parameters.size()))
    {
        for (std::size_t i = 0; i < parameters.size(); ++i)
        {
            Define(*Param(static_cast<int>(i)), parameters[i]);
        }
    }

    void OnEditorIdle() override { ++idleCalls; }
    void OnParameterChanged(int index, ParameterChangeSource source) override
    {
        changes.emplace_back(index, source);
    }

    int idleCalls = 0;
    std::vector<std::pair<int, ParameterChangeSource>> changes;

private:
    static PluginDescription WithParameterCount(PluginDescription description, std::size_t count)
    {
        description.parameterCount = static_cast<int>(count);
        return description;
    }

    static void Define(IPlugParameter& param, const TestParameter& spec)
    {
        switch (spec.kind)
        {
        case TestParameter::Double:
            param.DefineDouble(spec.name, spec.defaultValue, spec.min, spec.max, spec.step,
                               spec.unit);
            break;
        case TestParameter::Enum:
            param.DefineEnum(spec.name, static_cast<int>(spec.defaultValue),
                             static_cast<int>(spec.texts.size()));
            for (std::size_t t = 0; t < spec.texts.size(); ++t)
            {
                param.AddDisplayText(static_cast<int>(t), spec.texts[t]);
            }
            break;
        case TestParameter::Bool:
            param.DefineBool(spec.name, spec.defaultValue != 0.0);
            break;
        }
    }
};
