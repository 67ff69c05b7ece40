// The LV2 entry point of the bundle's binary: the mono and the stereo plug-in, both the product
// on the LV2 adapter, with the state extension.

#include "lv2/kestrune/KestruneInstance.h"
#include "lv2/kestrune/KestruneLv2.h"
#include "lv2/kestrune/KestruneModule.h"
#include "product/Decibels.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string_view>

namespace
{

// Linear amplitude to dB, with the product's constant; silence reads as the floor.
float LevelDb(double levelLinear) noexcept
{
    const double db = kLinearToDb * std::log(std::fabs(levelLinear));
    if (!(db > kKestruneLevelFloorDb))
    {
        return static_cast<float>(kKestruneLevelFloorDb);
    }
    return static_cast<float>(std::min(db, kKestruneLevelCeilingDb));
}

// The band parameters hold the gains in force: the host's or the editor's, rescaled by
// "Eq Amount", or written back by the Auto EQ.
void ReadAppliedGains(const IPlugLV2& plug, float* const* ports) noexcept
{
    for (int band = 0; band < kBandCount; ++band)
    {
        if (ports[band] != nullptr)
        {
            *ports[band] = static_cast<float>(plug.Param(band)->Value());
        }
    }
}

void ReadBandLevels(const VantorKestrune& plug, float* const* ports) noexcept
{
    const auto& levels = plug.Engine().bandLevels;
    for (int band = 0; band < kBandCount; ++band)
    {
        if (ports[band] != nullptr)
        {
            *ports[band] = LevelDb(levels[static_cast<std::size_t>(band)]);
        }
    }
}

void ReadMeters(IPlugLV2& plug, float* const* ports, int count) noexcept
{
    if (count < kKestruneMeterCount)
    {
        return;
    }
    ReadAppliedGains(plug, ports);
    ReadBandLevels(static_cast<const VantorKestrune&>(plug), ports + kBandCount);
}

KestruneInstance* Instance(LV2_Handle handle)
{
    return static_cast<KestruneInstance*>(handle);
}

VantorKestrune* Plug(LV2_Handle handle)
{
    return Instance(handle)->plug.get();
}

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate,
                       const char* /*bundlePath*/, const LV2_Feature* const* features)
{
    const int channels = KestruneChannelsOf(descriptor);
    if (!VantorKestrune::SupportsSampleRate(sampleRate))
    {
        return nullptr;
    }
    try
    {
        KestruneModuleStartup();
        std::unique_ptr<VantorKestrune> plug(CreatePlugin());
        if (!plug->Configure(channels, channels, kKestruneMeterCount, &ReadMeters, sampleRate,
                             features, kKestruneStateUri))
        {
            return nullptr;
        }
        plug->AddEnabledPort();
        return new KestruneInstance(std::move(plug), sampleRate, features);
    }
    catch (const std::exception&)
    {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data)
{
    Plug(handle)->ConnectPort(port, data);
}

void Activate(LV2_Handle handle)
{
    try
    {
        Plug(handle)->Activate();
        // LV2 asks activate() to reset the plug-in as if new: audio heard before a
        // deactivation must not ring out after it.
        Plug(handle)->ClearAudioHistory();
    }
    catch (const std::exception&)
    {
        // Out of memory while preparing: the plug-in runs on with its previous buffers.
    }
}

void Run(LV2_Handle handle, uint32_t frames)
{
    KestruneInstance& instance = *Instance(handle);
    instance.plug->Run(frames);
    instance.inlineDisplay.AfterBlock(instance.plug->Engine(), frames);
}

void Deactivate(LV2_Handle handle)
{
    Plug(handle)->Deactivate();
}

void Cleanup(LV2_Handle handle)
{
    delete Instance(handle);
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle stateHandle, uint32_t /*flags*/,
                      const LV2_Feature* const* /*features*/)
{
    try
    {
        return Plug(handle)->SaveState(store, stateHandle);
    }
    catch (const std::exception&)
    {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle stateHandle, uint32_t /*flags*/,
                         const LV2_Feature* const* /*features*/)
{
    try
    {
        return Plug(handle)->RestoreState(retrieve, stateHandle);
    }
    catch (const std::exception&)
    {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

Lv2InlineDisplaySurface* RenderInlineDisplay(LV2_Handle handle, uint32_t width, uint32_t maxHeight)
{
    try
    {
        return Instance(handle)->inlineDisplay.Render(width, maxHeight);
    }
    catch (const std::exception&)
    {
        return nullptr;
    }
}

const void* ExtensionData(const char* uri)
{
    static const LV2_State_Interface state = {&Save, &Restore};
    static const Lv2InlineDisplayInterface inlineDisplay = {&RenderInlineDisplay};
    if (std::string_view(uri) == LV2_STATE__interface)
    {
        return &state;
    }
    if (std::string_view(uri) == kLv2InlineDisplayInterfaceUri)
    {
        return &inlineDisplay;
    }
    return nullptr;
}

const LV2_Descriptor kMono = {kKestruneMonoUri, &Instantiate, &ConnectPort,  &Activate, &Run,
                              &Deactivate,      &Cleanup,     &ExtensionData};
const LV2_Descriptor kStereo = {kKestruneStereoUri, &Instantiate, &ConnectPort,  &Activate, &Run,
                                &Deactivate,        &Cleanup,     &ExtensionData};

} // namespace

int KestruneChannelsOf(const LV2_Descriptor* descriptor)
{
    return descriptor == &kMono ? 1 : 2;
}

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    switch (index)
    {
    case 0:
        return &kMono;
    case 1:
        return &kStereo;
    default:
        return nullptr;
    }
}
