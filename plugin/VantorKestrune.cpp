#include "plugin/VantorKestrune.h"

#include "controls/EditorLayout.h"
#include "graphics/IGraphics.h"
#include "graphics/ycairo_surface.h"

#include <iterator>
#include <mutex>

VantorKestrune::VantorKestrune(InstanceInfo info)
    : PluginAdapterBase(info, {.parameterCount = kNumParams,
                               .channelIOs = kChannelIOs,
                               .presetCount = kPresetCount,
                               .effectName = kEffectName,
                               .productName = kProductName,
                               .makerName = kMakerName,
                               .version = kPluginVersion,
                               .uniqueId = kUniqueId,
                               .makerId = kMakerId,
                               .latency = kLatencySamples,
                               .receivesMidi = kReceivesMidi,
                               .savesChunks = kSavesChunks,
                               .isInstrument = kIsInstrument,
                               .sideChain = kHasSideChain})
{
    for (int band = 0; band < kBandCount; ++band)
    {
        DefineParameter(*Param(BandGainParam(band)), BandGainParam(band));
    }
    DefineParameters(kParamsDefinedBeforeEditor,
                     static_cast<int>(std::size(kParamsDefinedBeforeEditor)));
    BuildEditor();
    DefineParameters(kParamsDefinedAfterEditor,
                     static_cast<int>(std::size(kParamsDefinedAfterEditor)));
    LayOutAndAttachEditor();
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

// The editor object with its drawing surface (the base owns the surface from here on).
void VantorKestrune::BuildEditor()
{
    kestrune::EditorShell shell = kestrune::CreateEditorShell(this, nullptr);
    graphics = shell.graphics;
    SetEditorSurface(std::move(shell.surface));
}

void VantorKestrune::LayOutAndAttachEditor()
{
    auto* surface = static_cast<ycairo_surface*>(EditorSurface());
    const kestrune::EditorControls controls = kestrune::LayOutEditor(this, *graphics, *surface);
    analyserDisplay = controls.analyser;
    bandFaders = controls.faders;
    analyserControlIndex = controls.analyserControlIndex;
    faderControlIndices = controls.faderControlIndices;
    AttachEditor(graphics);
}

VantorKestrune* CreatePlugin(VantorKestrune::InstanceInfo info)
{
    static std::mutex factoryLock;
    const std::lock_guard<std::mutex> lock(factoryLock);
    return new VantorKestrune(info);
}
