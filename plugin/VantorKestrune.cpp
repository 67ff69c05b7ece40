#include "plugin/VantorKestrune.h"

#include <iterator>
#include <mutex>

VantorKestrune::VantorKestrune(InstanceInfo info)
    : PluginAdapterBase(info, kNumParams, kChannelIOs, kPresetCount, kEffectName, kProductName,
                        kMakerName, kPluginVersion, kUniqueId, kMakerId, kLatencySamples,
                        kReceivesMidi, kSavesChunks, kIsInstrument, kHasSideChain)
{
    for (int band = 0; band < kNumBands; ++band)
    {
        DefineParameter(*Param(BandGainParam(band)), BandGainParam(band));
    }
    DefineParameters(kParamsDefinedBeforeEditor,
                     static_cast<int>(std::size(kParamsDefinedBeforeEditor)));
    BuildEditor();
    DefineParameters(kParamsDefinedAfterEditor,
                     static_cast<int>(std::size(kParamsDefinedAfterEditor)));
    CapturePreset("-", 1);
    analyserDisabled = false;
    stateLoaded = false;
}

VantorKestrune::~VantorKestrune() = default;

void VantorKestrune::DefineParameters(const int* indices, int count)
{
    for (int i = 0; i < count; ++i)
    {
        DefineParameter(*Param(indices[i]), indices[i]);
    }
}

void VantorKestrune::BuildEditor() {}

VantorKestrune* CreatePlugin(VantorKestrune::InstanceInfo info)
{
    static std::mutex factoryLock;
    const std::lock_guard<std::mutex> lock(factoryLock);
    return new VantorKestrune(info);
}
