#include "plugin/FactoryPresets.h"

#include "framework/IPlugBase.h"
#include "plugin/Parameters.h"

#include <algorithm>
#include <cctype>

namespace
{

// Band gains in dB from band `first` on.
std::vector<std::pair<int, double>> Gains(int first, std::vector<double> gainsDb)
{
    std::vector<std::pair<int, double>> values;
    for (std::size_t i = 0; i < gainsDb.size(); ++i)
        values.emplace_back(BandGainParam(first + static_cast<int>(i)), gainsDb[i]);
    return values;
}

std::vector<std::pair<int, double>> Joined(std::vector<std::pair<int, double>> a,
                                           const std::vector<std::pair<int, double>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::pair<int, double>> kFullAmount = {{kParamEqAmount, 100.0}};

std::vector<std::pair<int, double>> AutoEq(double compensation)
{
    return {{kParamEqAmount, 100.0},
            {kParamAutoEq, kAutoEqStatic},
            {kParamAutoEqCompensation, compensation}};
}

} // namespace

const std::vector<FactoryPreset>& FactoryPresets()
{
    static const std::vector<FactoryPreset> presets = {
        {"Flat", "Every band at 0 dB, Auto EQ off: the signal as it comes", {}},
        {"Loudness", "Low and high boost for listening at low levels",
         Joined(Joined(kFullAmount, Gains(0, {6.0, 6.0, 5.5, 5.0, 4.5, 4.0, 3.0, 2.0, 1.0})),
                Gains(25, {1.0, 2.0, 3.0, 3.5, 4.0, 4.0}))},
        {"Voice presence", "Rumble out, mud down, presence up: speech and vocals in front",
         Joined(Joined(Joined(kFullAmount, Gains(0, {-12.0, -12.0, -9.0, -6.0, -4.0, -2.0})),
                       Gains(11, {-1.5, -2.0, -1.5})),
                Gains(20, {1.0, 2.5, 3.5, 3.5, 2.5, 1.0}))},
        {"Low cut", "Everything below 80 Hz rolled off",
         Joined(kFullAmount, Gains(0, {-15.0, -15.0, -12.0, -9.0, -6.0, -3.0, -1.0}))},
        {"High shelf softening", "A gentle cut of the top octave and a half, for harsh recordings",
         Joined(kFullAmount, Gains(24, {-1.0, -2.0, -3.0, -4.0, -4.5, -5.0, -6.0}))},
        {"Auto EQ Default", "Auto EQ learns once, with the Default compensation",
         AutoEq(kCompensationDefault)},
        {"Auto EQ None", "Auto EQ learns once, without compensation", AutoEq(kCompensationNone)},
        {"Auto EQ Custom",
         "Auto EQ learns once, with the Custom compensation: drag the faders to draw it",
         AutoEq(kCompensationCustom)},
    };
    return presets;
}

const FactoryPreset* FindFactoryPreset(const std::string& name)
{
    auto same = [&name](const char* candidate)
    {
        const std::string other = candidate;
        return other.size() == name.size() &&
               std::equal(other.begin(), other.end(), name.begin(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    };
    for (const FactoryPreset& preset : FactoryPresets())
    {
        if (same(preset.name))
            return &preset;
    }
    return nullptr;
}

void ApplyFactoryPreset(IPlugBase& plug, const FactoryPreset& preset)
{
    auto valueOf = [&preset, &plug](int index)
    {
        for (const auto& [param, value] : preset.values)
        {
            if (param == index)
                return value;
        }
        return plug.Param(index)->DefaultValue();
    };
    auto set = [&plug](int index, double value)
    { plug.SetParameterFromHost(index, plug.Param(index)->ToNormalized(value)); };
    set(kParamEqAmount, valueOf(kParamEqAmount));
    for (int index = 0; index < plug.ParameterCount(); ++index)
    {
        if (index != kParamEqAmount)
            set(index, valueOf(index));
    }
}
