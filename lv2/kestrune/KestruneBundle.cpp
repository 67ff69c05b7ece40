#include "framework/IPlugBase.h"
#include "lv2/Lv2Ports.h"
#include "lv2/kestrune/KestruneLv2.h"
#include "plugin/FactoryPresets.h"
#include "plugin/Parameters.h"
#include "plugin/VantorKestrune.h"

#include <cctype>
#include <cstdio>
#include <memory>

// The factory presets as LV2 presets: each applied to a fresh instance, which then gives the
// port values and the state document.
std::vector<Lv2Preset> KestrunePresets()
{
    std::vector<Lv2Preset> presets;
    for (const FactoryPreset& factory : FactoryPresets())
    {
        std::unique_ptr<VantorKestrune> plug(CreatePlugin());
        ApplyFactoryPreset(*plug, factory);
        Lv2Preset preset;
        std::string slug;
        for (const char* c = factory.name; *c != '\0'; ++c)
            slug += std::isalnum(static_cast<unsigned char>(*c))
                        ? static_cast<char>(std::tolower(static_cast<unsigned char>(*c)))
                        : '-';
        preset.uri = std::string(kKestrunePresetUriPrefix) + slug;
        preset.label = factory.name;
        preset.comment = factory.comment;
        for (int i = 0; i < plug->ParameterCount(); ++i)
            preset.portValues.emplace_back(Lv2PortSymbol(plug->Param(i)->Name()),
                                           plug->Param(i)->Value());
        // The state document restores the gains exactly whatever "Eq Amount" stood at (port
        // values reach the plug-in in port order, gains before the amount). A restored state
        // never starts a static Auto EQ pass, so the Auto EQ presets are port values only.
        if (plug->Param(kParamAutoEq)->Value() == static_cast<double>(kAutoEqOff))
        {
            StateChunk chunk;
            plug->SerializeState(chunk);
            chunk.GetStr(preset.state, 0);
        }
        presets.push_back(preset);
    }
    return presets;
}

Lv2BundleDescription KestruneBundleDescription(const IPlugBase& plug)
{
    Lv2BundleDescription bundle;
    bundle.binary = kKestruneBinary;
    bundle.pluginFile = "VantorKestrune.ttl";
    bundle.uiUri = kKestruneUiUri;
    bundle.stateKeyUri = kKestruneStateUri;
    bundle.maker = plug.MakerName();
    bundle.description =
        "A 31-band graphic equaliser with a 31-band LED spectrum analyser and an Auto EQ that "
        "sets the band gains from the analysed spectrum.";
    // Generic UIs and automation lanes show the name; the comment tells the band's frequency.
    bundle.parameterComment = [](int index) -> std::string
    {
        if (!IsBandGainParam(index))
            return "";
        char text[64];
        std::snprintf(text, sizeof text, "Band at %g Hz (third-octave band shelf)",
                      AudioPlugin::BandFrequencyHz(index - kParamGain0));
        return text;
    };
    bundle.triggerParameters = {kParamResetAnalyzer, kParamResetAutoEq, kParamResetEq};
    bundle.enabledPort = true;
    bundle.inlineDisplay = true;
    bundle.presetFile = "presets.ttl";
    bundle.presets = KestrunePresets();
    bundle.version = plug.Version();
    const std::string name = plug.EffectName();
    bundle.plugins = {
        {kKestruneMonoUri, name + " Mono", 1, 1},
        {kKestruneStereoUri, name + " Stereo", 2, 2},
    };
    const IPlugParameter& band = *plug.Param(0);
    bundle.meters = {
        {"applied_gain_", "Applied gain ", kBandCount, band.Min(), band.Max(), band.UnitLabel()},
        {"level_", "Level ", kBandCount, kKestruneLevelFloorDb, kKestruneLevelCeilingDb, "dB"},
    };
    return bundle;
}
