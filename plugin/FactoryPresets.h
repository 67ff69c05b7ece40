#pragma once

// The factory presets: complete, listenable settings, the one table that the LV2 bundle's
// presets and `kestrune --preset` are made from.

#include <string>
#include <utility>
#include <vector>

class IPlugBase;

struct FactoryPreset
{
    const char* name;    // as hosts list it and --preset takes it (any case)
    const char* comment; // one line for preset browsers
    // Parameter index and real value; every parameter not named takes its default, so a preset
    // is the same whatever was set before.
    std::vector<std::pair<int, double>> values;
};

const std::vector<FactoryPreset>& FactoryPresets();
// The preset of that name (any case), or null.
const FactoryPreset* FindFactoryPreset(const std::string& name);
// Sets every parameter to the preset's value, or its default, through the host-change path.
// "Eq Amount" goes first, so the band gains come out as the table gives them.
void ApplyFactoryPreset(IPlugBase& plug, const FactoryPreset& preset);
