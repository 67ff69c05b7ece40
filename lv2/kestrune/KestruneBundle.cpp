#include "framework/IPlugBase.h"
#include "lv2/kestrune/KestruneLv2.h"
#include "plugin/Parameters.h"
#include "plugin/VantorKestrune.h"

#include <cstdio>

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
    bundle.version = plug.Version();
    const std::string name = plug.EffectName();
    bundle.plugins = {
        {kKestruneMonoUri, name + " Mono", 1, 1},
        {kKestruneStereoUri, name + " Stereo", 2, 2},
    };
    const IPlugParameter& band = *plug.Param(0);
    bundle.meters = {
        {"applied_gain_", "Applied gain ", kKestruneBands, band.Min(), band.Max(),
         band.UnitLabel()},
        {"level_", "Level ", kKestruneBands, kKestruneLevelFloorDb, kKestruneLevelCeilingDb, "dB"},
    };
    return bundle;
}
