#include "plugin/Parameters.h"

#include <cstdio>
#include <iterator>

namespace
{

constexpr ParameterDisplayText kOffOn[] = {{0, "off"}, {1, "on"}};
constexpr ParameterDisplayText kDbPerLed[] = {{0, "1"}, {1, "2"}, {2, "3"}, {3, "6"}};
constexpr ParameterDisplayText kIntegration[] = {{0, "0.25s"}, {1, "1s"}, {2, "4s"}};
constexpr ParameterDisplayText kDisplayModes[] = {{0, "L + R"}, {1, "L - R"}};
constexpr ParameterDisplayText kAutoEqModes[] = {{0, "Off"}, {1, "Static"}, {2, "Continuous"}};
constexpr ParameterDisplayText kCompensations[] = {{0, "Default"}, {1, "None"}, {2, "Custom"}};

struct Row
{
    const char* name;
    ParameterKind kind;
    double defaultValue;
    double min;
    double max;
    double step;
    const char* label;
    const ParameterDisplayText* texts;
    int textCount;
};

template <std::size_t N>
constexpr Row Enum(const char* name, int defaultValue, const ParameterDisplayText (&texts)[N])
{
    return {name,
            ParameterKind::Enum,
            static_cast<double>(defaultValue),
            0.0,
            static_cast<double>(N - 1),
            0.1,
            "",
            texts,
            static_cast<int>(N)};
}

constexpr Row Bool(const char* name, bool defaultValue)
{
    return {name, ParameterKind::Bool, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 0.1, "", kOffOn, 2};
}

constexpr Row kBandRow = {nullptr, ParameterKind::Double, 0.0, -15.0, 15.0, 0.1, "dB", nullptr, 0};

// Rows 31 .. 45 in index order.
constexpr Row kRows[] = {
    Enum("Analyzer dB per led", 3, kDbPerLed),
    Enum("Integration Time", 1, kIntegration),
    Enum("Display Mode", 0, kDisplayModes),
    Bool("Enable peak display", true),
    Bool("Reset analyzer", false),
    Bool("Reset Auto EQ", false),
    Enum("Auto Eq", 0, kAutoEqModes),
    Bool("Bypass EQ", false),
    Bool("Reset EQ", false),
    Bool("Disable Analyzer", false),
    {"Input", ParameterKind::Double, 0.0, -15.0, 15.0, 0.1, "dB", nullptr, 0},
    {"Output", ParameterKind::Double, 0.0, -15.0, 15.0, 0.1, "dB", nullptr, 0},
    {"Eq Amount", ParameterKind::Double, 50.0, 0.0, 100.0, 1.0, "%", nullptr, 0},
    Bool("Lucky AutoEQ algorithm", false),
    Enum("Auto EQ compensation", 0, kCompensations),
};

static_assert(kBandCount + std::size(kRows) == kNumParams);

} // namespace

ParameterDefinition ParameterDefinitionAt(int index)
{
    ParameterDefinition definition{};
    definition.index = -1;
    if (index < 0 || index >= kNumParams)
    {
        return definition;
    }
    const Row& row = IsBandGainParam(index) ? kBandRow : kRows[index - kBandCount];
    definition.index = index;
    if (IsBandGainParam(index))
    {
        std::snprintf(definition.name, sizeof(definition.name), "Gain %d", index - kParamGain0);
    }
    else
    {
        CopyFixedText(definition.name, sizeof(definition.name), row.name);
    }
    definition.kind = row.kind;
    definition.defaultValue = row.defaultValue;
    definition.min = row.min;
    definition.max = row.max;
    definition.step = row.step;
    definition.label = row.label;
    definition.displayTexts = row.texts;
    definition.displayTextCount = row.textCount;
    return definition;
}

void DefineParameter(IPlugParameter& param, int index)
{
    const ParameterDefinition d = ParameterDefinitionAt(index);
    switch (d.kind)
    {
    case ParameterKind::Bool:
        // The framework adds "off" and "on" itself.
        param.DefineBool(d.name, d.defaultValue != 0.0, d.label, "");
        return;
    case ParameterKind::Enum:
        param.DefineEnum(d.name, static_cast<int>(d.defaultValue), d.displayTextCount, d.label, "");
        for (int i = 0; i < d.displayTextCount; ++i)
        {
            param.AddDisplayText(d.displayTexts[i].value, d.displayTexts[i].text);
        }
        return;
    case ParameterKind::Double:
        param.DefineDouble(d.name, d.defaultValue, d.min, d.max, d.step, d.label, "", 1.0);
        return;
    case ParameterKind::None:
        return;
    }
}

const char* ParameterKindName(ParameterKind kind)
{
    switch (kind)
    {
    case ParameterKind::Bool:
        return "bool";
    case ParameterKind::Enum:
        return "enum";
    case ParameterKind::Double:
        return "double";
    case ParameterKind::None:
        break;
    }
    return "none";
}
