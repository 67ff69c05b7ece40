#include "framework/IPlugBase.h"
#include "lv2/kestrune/KestruneLv2.h"

Lv2BundleDescription KestruneBundleDescription(const IPlugBase& plug)
{
    Lv2BundleDescription bundle;
    bundle.binary = kKestruneBinary;
    bundle.pluginFile = "VantorKestrune.ttl";
    bundle.uiUri = kKestruneUiUri;
    bundle.stateKeyUri = kKestruneStateUri;
    bundle.maker = plug.MakerName();
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
