#include <array>
#include <cstring>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/VantorKestrune.h"

namespace
{

struct Text
{
    int value;
    std::string text;
};

struct ExpectedParam
{
    int index;
    std::string name;
    ParameterKind kind;
    double defaultValue;
    double min;
    double max;
    double step;
    std::string label;
    std::vector<Text> texts;
};

std::vector<ExpectedParam> ExpectedTable()
{
    const std::vector<Text> offOn = {{0, "off"}, {1, "on"}};
    std::vector<ExpectedParam> table;
    for (int band = 0; band < 31; ++band)
    {
        table.push_back({band,
                         "Gain " + std::to_string(band),
                         ParameterKind::Double,
                         0.0,
                         -15.0,
                         15.0,
                         0.1,
                         "dB",
                         {}});
    }
    const auto E = ParameterKind::Enum;
    const auto B = ParameterKind::Bool;
    const auto D = ParameterKind::Double;
    table.push_back(
        {31, "Analyzer dB per led", E, 3, 0, 3, 0.1, "", {{0, "1"}, {1, "2"}, {2, "3"}, {3, "6"}}});
    table.push_back(
        {32, "Integration Time", E, 1, 0, 2, 0.1, "", {{0, "0.25s"}, {1, "1s"}, {2, "4s"}}});
    table.push_back({33, "Display Mode", E, 0, 0, 1, 0.1, "", {{0, "L + R"}, {1, "L - R"}}});
    table.push_back({34, "Enable peak display", B, 1, 0, 1, 0.1, "", offOn});
    table.push_back({35, "Reset analyzer", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back({36, "Reset Auto EQ", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back(
        {37, "Auto Eq", E, 0, 0, 2, 0.1, "", {{0, "Off"}, {1, "Static"}, {2, "Continuous"}}});
    table.push_back({38, "Bypass EQ", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back({39, "Reset EQ", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back({40, "Disable Analyzer", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back({41, "Input", D, 0, -15, 15, 0.1, "dB", {}});
    table.push_back({42, "Output", D, 0, -15, 15, 0.1, "dB", {}});
    table.push_back({43, "Eq Amount", D, 50, 0, 100, 1.0, "%", {}});
    table.push_back({44, "Lucky AutoEQ algorithm", B, 0, 0, 1, 0.1, "", offOn});
    table.push_back({45,
                     "Auto EQ compensation",
                     E,
                     0,
                     0,
                     2,
                     0.1,
                     "",
                     {{0, "Default"}, {1, "None"}, {2, "Custom"}}});
    return table;
}

std::unique_ptr<VantorKestrune> NewPlugin()
{
    return std::unique_ptr<VantorKestrune>(CreatePlugin());
}

std::string HostText(const IPlugParameter& p)
{
    char text[kParamTextCapacity];
    p.FormatForHost(p.Value(), false, text, true);
    return text;
}

TEST(ProductParameters, NewInstanceHasExactlyTheTable)
{
    const auto plug = NewPlugin();
    const std::vector<ExpectedParam> table = ExpectedTable();
    ASSERT_EQ(plug->ParameterCount(), 46);
    ASSERT_EQ(table.size(), 46u);
    for (const ExpectedParam& e : table)
    {
        const IPlugParameter& p = *plug->Param(e.index);
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(p.Name(), e.name.c_str());
        EXPECT_EQ(p.Kind(), e.kind);
        EXPECT_EQ(p.DefaultValue(), e.defaultValue);
        EXPECT_EQ(p.Value(), e.defaultValue);
        EXPECT_EQ(p.Min(), e.min);
        EXPECT_EQ(p.Max(), e.max);
        EXPECT_EQ(p.Step(), e.step);
        EXPECT_EQ(p.Shape(), 1.0);
        EXPECT_STREQ(p.UnitLabel(), e.label.c_str());
        EXPECT_STREQ(p.Group(), "");
        EXPECT_TRUE(p.CanAutomate());
        ASSERT_EQ(p.DisplayTextCount(), static_cast<int>(e.texts.size()));
        for (int i = 0; i < p.DisplayTextCount(); ++i)
        {
            int value = -1;
            EXPECT_STREQ(p.DisplayTextAt(i, &value), e.texts[i].text.c_str());
            EXPECT_EQ(value, e.texts[i].value);
        }
        EXPECT_EQ(p.Precision(), e.step == 1.0 ? 0 : 1);
    }
}

TEST(ProductParameters, NamesAreUniqueAndStopAtGain30)
{
    const auto plug = NewPlugin();
    std::set<std::string> names;
    for (int i = 0; i < plug->ParameterCount(); ++i)
    {
        names.insert(plug->Param(i)->Name());
    }
    EXPECT_EQ(names.size(), 46u);
    EXPECT_STREQ(plug->Param(kParamGain30)->Name(), "Gain 30");
    EXPECT_EQ(names.count("Gain 31"), 0u);
}

TEST(ProductParameters, DefaultValueTextsAndLabels)
{
    const auto plug = NewPlugin();
    struct Case
    {
        int index;
        const char* text;
        const char* label;
    };
    const Case cases[] = {
        {kParamGain0, "0.0", "dB"},          {kParamAnalyzerDbPerLed, "6", ""},
        {kParamIntegrationTime, "1s", ""},   {kParamDisplayMode, "L + R", ""},
        {kParamEnablePeakDisplay, "on", ""}, {kParamAutoEq, "Off", ""},
        {kParamInput, "0.0", "dB"},          {kParamEqAmount, "50", "%"},
        {kParamLuckyAutoEq, "off", ""},      {kParamAutoEqCompensation, "Default", ""},
    };
    for (const Case& c : cases)
    {
        const IPlugParameter& p = *plug->Param(c.index);
        EXPECT_EQ(HostText(p), c.text) << p.Name();
        EXPECT_STREQ(p.Label(), c.label) << p.Name();
    }
}

TEST(ProductParameters, DiscreteParametersHaveTenthResolution)
{
    const auto plug = NewPlugin();
    IPlugParameter& mode = *plug->Param(kParamAutoEq);
    mode.SetFromNormalized(0.65); // 1.3 of 0 .. 2
    EXPECT_NEAR(mode.Value(), 1.3, 1e-12);
    EXPECT_EQ(HostText(mode), "Static");

    int value = -1;
    EXPECT_TRUE(plug->Param(kParamDisplayMode)->FindDisplayText("L - R", &value));
    EXPECT_EQ(value, 1);
}

TEST(ProductIdentity, InstanceDeclaresTheProduct)
{
    const auto plug = NewPlugin();
    EXPECT_STREQ(plug->EffectName(), "VantorKestrune");
    EXPECT_STREQ(plug->ProductName(), "");
    EXPECT_STREQ(plug->MakerName(), "Vantor");
    EXPECT_EQ(plug->Version(), 0x10205);
    EXPECT_EQ(plug->UniqueId(), 0x4B73526E); // 'KsRn'
    EXPECT_EQ(plug->MakerId(), 0x51764D78);  // 'QvMx'
    EXPECT_EQ(plug->Latency(), 0);
    EXPECT_TRUE(plug->SavesChunks());
    EXPECT_FALSE(plug->ReceivesMidi());
    EXPECT_FALSE(plug->IsInstrument());
    ASSERT_EQ(plug->ChannelIOCount(), 2);
    EXPECT_EQ(plug->ChannelIOAt(0).inputs, 1);
    EXPECT_EQ(plug->ChannelIOAt(0).outputs, 1);
    EXPECT_EQ(plug->ChannelIOAt(1).inputs, 2);
    EXPECT_EQ(plug->ChannelIOAt(1).outputs, 2);
    EXPECT_EQ(plug->InputCount(), 2);
    EXPECT_EQ(plug->OutputCount(), 2);
    EXPECT_FALSE(plug->AnalyserDisabled());
    EXPECT_FALSE(plug->StateLoaded());
}

TEST(ProductIdentity, DefaultPresetHoldsTheFreshState)
{
    const auto plug = NewPlugin();
    ASSERT_EQ(plug->PresetCount(), 1);
    const IPlugPreset& preset = *plug->Preset(0);
    EXPECT_TRUE(preset.initialised);
    EXPECT_STREQ(preset.name, "-");
    StateChunk fresh;
    ASSERT_TRUE(plug->SerializeState(fresh));
    ASSERT_EQ(preset.chunk.Size(), fresh.Size());
    EXPECT_EQ(std::memcmp(preset.chunk.Data(), fresh.Data(), fresh.Size()), 0);
}

TEST(ProductIdentity, ConcurrentCreationYieldsIndependentInstances)
{
    std::array<std::future<VantorKestrune*>, 4> pending;
    for (auto& f : pending)
    {
        f = std::async(std::launch::async, [] { return CreatePlugin(); });
    }
    std::array<std::unique_ptr<VantorKestrune>, 4> plugs;
    for (std::size_t i = 0; i < plugs.size(); ++i)
    {
        plugs[i].reset(pending[i].get());
        ASSERT_NE(plugs[i], nullptr);
    }
    plugs[0]->Param(kParamEqAmount)->SetClamped(80.0);
    for (std::size_t i = 1; i < plugs.size(); ++i)
    {
        EXPECT_NE(plugs[i].get(), plugs[0].get());
        EXPECT_EQ(plugs[i]->Param(kParamEqAmount)->Value(), 50.0);
        EXPECT_EQ(plugs[i]->ParameterCount(), 46);
    }
}

TEST(ParameterTable, RowsOutsideTheTableAreEmpty)
{
    EXPECT_EQ(ParameterDefinitionAt(-1).index, -1);
    EXPECT_EQ(ParameterDefinitionAt(46).index, -1);
    EXPECT_STREQ(ParameterDefinitionAt(46).name, "");
    EXPECT_STREQ(ParameterKindName(ParameterKind::Bool), "bool");
    EXPECT_STREQ(ParameterKindName(ParameterKind::Enum), "enum");
    EXPECT_STREQ(ParameterKindName(ParameterKind::Double), "double");
}

} // namespace
