#pragma once

// The host's side of our AAX layer, as a small library: load a plug-in module through its
// component entry points, read the description it registers, create instances through its
// factories, and drive them as a host does (controller, automation, transport, render contexts,
// chunks, the editor in a view container). Used by the test host program and the tests.

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_CEffectGUI.h"
#include "aax/sdk/AAX_CEffectParameters.h"
#include "aax/sdk/AAX_Description.h"
#include "aax/sdk/AAX_Exports.h"
#include "aax/sdk/AAX_HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace aaxhost
{

// A loaded module with its registered description. Unloading calls ACFShutdown and closes the
// library only when the module says it can be unloaded.
class Module
{
public:
    // Null on failure, with the reason in *error.
    static std::unique_ptr<Module> Load(const std::string& path, std::string* error);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    const AAX_SCollectionRecord& Description() const { return *collection_->Record(); }
    // The first effect of the description (this host drives one effect per module).
    const std::string& EffectId() const { return Description().effects.front().first; }
    const AAX_SEffectRecord& Effect() const { return Description().effects.front().second; }
    // The component whose input stem format carries `channels` channels, or null.
    const AAX_SComponentRecord* ComponentForChannels(int channels) const;

    // Factories as the module hands them out through ACFGetClassFactory.
    AAX_CreateEffectParametersProc ParametersFactory() const;
    AAX_CreateEffectGUIProc GuiFactory() const;

    AAX_Result CanUnloadNow() const;
    uint64_t SdkVersion() const;
    void* Symbol(const char* name) const;

private:
    Module() = default;

    void* handle_ = nullptr;
    ACFGetClassFactoryProc getClassFactory_ = nullptr;
    ACFCanUnloadNowProc canUnloadNow_ = nullptr;
    ACFShutdownProc shutdown_ = nullptr;
    ACFGetSDKVersionProc getSdkVersion_ = nullptr;
    std::unique_ptr<AAX_ICollection> collection_;
};

// A property of a process procedure, or `fallback` when it is not set.
int32_t PropertyValue(const AAX_SProcessProc& proc, AAX_EProperty id, int32_t fallback);

class Controller final : public AAX_IController
{
public:
    Controller(AAX_EStemFormat input, AAX_EStemFormat output, float sampleRateHz)
        : input_(input), output_(output), sampleRateHz_(sampleRateHz)
    {
    }
    AAX_Result GetInputStemFormat(AAX_EStemFormat* format) const override;
    AAX_Result GetOutputStemFormat(AAX_EStemFormat* format) const override;
    AAX_Result GetSampleRate(float* sampleRateHz) const override;
    AAX_Result SetSignalLatency(int32_t samples) override;
    int32_t Latency() const { return latency_; }

private:
    AAX_EStemFormat input_;
    AAX_EStemFormat output_;
    float sampleRateHz_;
    int32_t latency_ = 0;
};

// The host's automation: every request is recorded and, as a host does, a value request is
// answered at once with HostUpdatesParameter.
class Automation final : public AAX_IAutomationDelegate
{
public:
    struct Event
    {
        enum class Kind
        {
            SetValue,
            Touch,
            Release,
        };
        Kind kind;
        std::string identifier;
        double normalized;
    };

    void Connect(AAX_IEffectParameters* effect) { effect_ = effect; }
    AAX_Result PostSetValueRequest(const char* identifier, double normalized) override;
    AAX_Result PostTouchRequest(const char* identifier) override;
    AAX_Result PostReleaseRequest(const char* identifier) override;
    const std::vector<Event>& Events() const { return events_; }
    void ClearEvents() { events_.clear(); }

private:
    AAX_IEffectParameters* effect_ = nullptr;
    std::vector<Event> events_;
};

// A stopped transport whose sample location follows the rendered blocks.
class Transport final : public AAX_ITransport
{
public:
    AAX_Result GetCurrentNativeSampleLocation(int64_t* samples) const override;
    AAX_Result GetCurrentTempo(double* beatsPerMinute) const override;
    AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const override;
    AAX_Result GetCurrentTickPosition(int64_t* ticks) const override;
    AAX_Result IsTransportPlaying(bool* playing) const override;
    AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* startTicks,
                                      int64_t* endTicks) const override;
    void Advance(int frames) { samplePosition_ += frames; }

private:
    int64_t samplePosition_ = 0;
};

class ViewContainer final : public AAX_IViewContainer
{
public:
    explicit ViewContainer(uintptr_t parentWindow) : parentWindow_(parentWindow) {}
    uintptr_t NativeParentWindow() const override { return parentWindow_; }
    AAX_Result GetModifiers(uint32_t* modifiers) const override;
    AAX_Result HandleParameterMouseDown(const char* identifier, uint32_t modifiers) override;

private:
    uintptr_t parentWindow_;
};

// One plug-in instance in one channel configuration, created through the module's factory.
class Instance
{
public:
    // Creates the effect-parameters object; Effect() is null when creation failed.
    Instance(const Module& module, const AAX_SComponentRecord& component, float sampleRateHz);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Connects controller and automation, then prepares the render context's private data.
    AAX_Result Initialize();
    AAX_IEffectParameters* Effect() const { return effect_.get(); }
    int InputChannels() const { return inputChannels_; }
    Automation& HostAutomation() { return automation_; }

    // Renders one block through the component's processing procedure: one buffer per
    // channel of this configuration.
    void Render(float* const* inputs, float* const* outputs, int frames);
    // The render context as the module's procedure sees it.
    AAX_SRenderContext& Context() { return context_; }
    AAX_CProcessProc ProcessProc() const { return processProc_; }

    // Sends the host's automation state: every parameter's current value as a host update,
    // in registration order, as a host does when it starts playing a session.
    void AnnounceAllParameters();
    // Host update of the parameter with this AAX identifier.
    AAX_Result SetParameter(const char* identifier, double normalized);
    // The AAX parameter whose name is `name`, or null.
    AAX_IParameter* FindParameterByName(const std::string& name) const;

    // The chunk as the host stores it: ChunkIdAt(0), ChunkSize, then FillChunk into a record
    // of that capacity. The data bytes; *result holds the first failing result.
    std::vector<char> TakeChunk(AAX_Result* result);
    AAX_Result ApplyChunk(const std::vector<char>& data);
    AAX_Result CompareChunk(const std::vector<char>& data, bool* equal);

private:
    void PreparePrivateData();

    Controller controller_;
    Automation automation_;
    Transport transport_;
    std::unique_ptr<AAX_IEffectParameters> effect_;
    const AAX_SComponentRecord& component_;
    AAX_CProcessProc processProc_ = nullptr;
    int inputChannels_ = 0;
    int outputChannels_ = 0;
    AAX_SRenderContext context_;
    int32_t frames_ = 0;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
    std::vector<std::unique_ptr<std::max_align_t[]>> privateBlocks_;
};

// A chunk record holding `data`, laid out as the host passes it.
std::vector<std::max_align_t> MakeChunkRecord(AAX_CTypeID chunkId, const std::vector<char>& data,
                                              int32_t capacity);
inline AAX_SPlugInChunk* ChunkRecord(std::vector<std::max_align_t>& storage)
{
    return reinterpret_cast<AAX_SPlugInChunk*>(storage.data());
}

} // namespace aaxhost
