#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_CEffectParameters.h"
#include "aax/sdk/AAX_CParameter.h"
#include "framework/IPlugBase.h"

#include <atomic>
#include <string>
#include <vector>

// The effect-parameters side of an AAX plug-in: the host's view of the plug-in instance. The
// render callback finds it through the render context's private data and calls Render.
class AAX_CIPlugParameters : public AAX_CEffectParameters
{
public:
    // Render context field of the 4-byte (pointer-sized) block holding this object's address.
    static constexpr AAX_CFieldIndex kInstanceField = 8;

    // Processes one block on the host's audio thread.
    virtual void Render(AAX_SRenderContext* context) noexcept = 0;

    // For kInstanceField writes this object's address; every other field is zero-filled.
    AAX_Result ProvidePrivateData(AAX_CFieldIndex field, void* out, uint32_t size) override;

    // The AAX identifier of plug-in parameter `index` ("1" for 0), or null outside the table.
    const char* ParameterIdentifier(int index) const noexcept;

protected:
    // Read at every render call; owned by the parameter manager.
    AAX_CParameter<bool>* bypassParameter = nullptr;
    // The host's transport of the latest render call; null before the first.
    std::atomic<AAX_ITransport*> transport{nullptr};
    // Entry i is the AAX identifier of plug-in parameter i.
    std::vector<std::string> parameterIds;
};

// Adapts IPlugBase to an AAX host: registers the parameters under the identifiers "1" ... "N"
// plus "MasterBypassID", hands host updates to the base's host-change path, runs render calls
// through the channel plumbing, and saves and restores the plug-in's state as the one chunk.
//
// Threads: Render on the host's audio thread, under the plug-in lock for the whole block;
// HostUpdatesParameter and the chunk calls on any host thread (the base takes the lock).
class IPlugAAX : public IPlugBase, public AAX_CIPlugParameters
{
public:
    // What the host hands to a new instance; nothing is needed from it here.
    struct InstanceInfo
    {
    };

    static constexpr const char* kBypassIdentifier = "MasterBypassID";
    // Block size assumed until the first render call says otherwise.
    static constexpr int kInitialBlockSize = 1024;

    IPlugAAX(InstanceInfo info, const PluginDescription& description);
    ~IPlugAAX() override;

    // Host-facing operations of the plug-in base.
    void BeginHostGesture(int index) override;
    void NotifyHostOfChange(int index, double normalised) override;
    void EndHostGesture(int index) override;
    int HostSamplePosition() override;
    double HostTempo() override;
    void HostTimeSignature(int* numerator, int* denominator) override;
    void HostTimeInfo(TimeInfo* info) override;
    void SetLatencySamples(int samples) override;
    void MarkChanged() override;

    // The host's side.
    AAX_Result HostUpdatesParameter(const char* identifier, double normalized) override;
    AAX_Result ChunkIdAt(int32_t index, AAX_CTypeID* chunkId) const override;
    AAX_Result ChunkSize(AAX_CTypeID chunkId, uint32_t* size) override;
    AAX_Result FillChunk(AAX_CTypeID chunkId, AAX_SPlugInChunk* chunk) override;
    AAX_Result ApplyChunk(AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) override;
    AAX_Result CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) override;
    void Render(AAX_SRenderContext* context) noexcept override;

protected:
    AAX_Result InitializeEffect() override;

private:
    void RegisterBypassParameter();
    void RegisterParameter(int index);
    // Channel counts of this instance from the controller's stem formats.
    void InstanceChannels(int* inputs, int* outputs) const;
    bool ChunkHoldsCurrentState(const AAX_SPlugInChunk& chunk);
};
