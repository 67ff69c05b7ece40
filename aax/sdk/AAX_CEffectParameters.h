// The effect-parameters object: what the host creates for every plug-in instance through the
// effect's factory. AAX_IEffectParameters is the interface the host calls; AAX_CEffectParameters
// is the base a plug-in derives from, holding the parameter manager, the host links, the packet
// dispatcher and the change counter.
#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_CParameterManager.h"
#include "aax/sdk/AAX_HostInterfaces.h"

#include <atomic>
#include <cstdint>
#include <string>

class AAX_IEffectParameters
{
public:
    virtual ~AAX_IEffectParameters() = default;

    // Connects the host's controller (required) and automation (may be null), then lets the
    // plug-in initialise itself. Called once, before any other call but the destructor.
    virtual AAX_Result Initialize(AAX_IController* controller,
                                  AAX_IAutomationDelegate* automation) = 0;
    virtual AAX_Result Uninitialize() = 0;

    // Fills the initial contents of a private-data field of the render context.
    virtual AAX_Result ProvidePrivateData(AAX_CFieldIndex field, void* out, uint32_t size) = 0;

    virtual int32_t GetNumberOfParameters() const = 0;
    virtual AAX_IParameter* GetParameterAt(int32_t index) const = 0;
    virtual AAX_IParameter* GetParameterByID(const char* identifier) const = 0;
    // The host's decision on a parameter value (automation playback, its own controls, or the
    // answer to a request the plug-in posted).
    virtual AAX_Result HostUpdatesParameter(const char* identifier, double normalized) = 0;

    virtual int32_t ChunkCount() const = 0;
    virtual AAX_Result ChunkIdAt(int32_t index, AAX_CTypeID* chunkId) const = 0;
    virtual AAX_Result ChunkSize(AAX_CTypeID chunkId, uint32_t* size) = 0;
    // The host sets chunk->fSize to the capacity of the data area it allocated (the size
    // ChunkSize reported); the plug-in writes at most that many bytes and stores the count.
    virtual AAX_Result FillChunk(AAX_CTypeID chunkId, AAX_SPlugInChunk* chunk) = 0;
    virtual AAX_Result ApplyChunk(AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) = 0;
    virtual AAX_Result CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) = 0;

    // How often the plug-in's state changed so far; the host compares it to notice changes.
    virtual int32_t NumberOfChanges() const = 0;
};

// Told when a parameter changed so that the data derived from it is sent to the processing
// side with the next render call. Processing here runs in the same object, so it only counts.
class AAX_CPacketDispatcher
{
public:
    AAX_Result SetDirty(const char* identifier);
    int64_t DispatchCount() const { return dispatchCount_.load(std::memory_order_relaxed); }

private:
    std::atomic<int64_t> dispatchCount_{0};
};

class AAX_CEffectParameters : public AAX_IEffectParameters
{
public:
    AAX_CEffectParameters();
    AAX_CEffectParameters(const AAX_CEffectParameters&) = delete;
    AAX_CEffectParameters& operator=(const AAX_CEffectParameters&) = delete;
    ~AAX_CEffectParameters() override;

    AAX_Result Initialize(AAX_IController* controller,
                          AAX_IAutomationDelegate* automation) override;
    AAX_Result Uninitialize() override;
    AAX_Result ProvidePrivateData(AAX_CFieldIndex field, void* out, uint32_t size) override;

    int32_t GetNumberOfParameters() const override { return parameterManager_.NumParameters(); }
    AAX_IParameter* GetParameterAt(int32_t index) const override;
    AAX_IParameter* GetParameterByID(const char* identifier) const override;
    AAX_Result HostUpdatesParameter(const char* identifier, double normalized) override;

    int32_t ChunkCount() const override { return 1; }
    AAX_Result ChunkIdAt(int32_t index, AAX_CTypeID* chunkId) const override;
    AAX_Result ChunkSize(AAX_CTypeID chunkId, uint32_t* size) override;
    AAX_Result FillChunk(AAX_CTypeID chunkId, AAX_SPlugInChunk* chunk) override;
    AAX_Result ApplyChunk(AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) override;
    AAX_Result CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) override;

    int32_t NumberOfChanges() const override;

protected:
    // Called by Initialize once the host links are connected.
    virtual AAX_Result InitializeEffect() { return AAX_SUCCESS; }

    AAX_IController* Controller() const { return controller_; }
    AAX_IAutomationDelegate* Automation() const { return automation_; }
    AAX_CParameterManager& ParameterManager() { return parameterManager_; }
    AAX_CPacketDispatcher& PacketDispatcher() { return packetDispatcher_; }
    void IncrementChangeCounter() { changeCount_.fetch_add(1, std::memory_order_relaxed); }

    // Requests and gestures on a parameter by identifier; unknown identifiers are ignored.
    void SetParameterNormalizedValue(const char* identifier, double normalized);
    void TouchParameter(const char* identifier);
    void ReleaseParameter(const char* identifier);

private:
    AAX_IController* controller_ = nullptr;
    AAX_IAutomationDelegate* automation_ = nullptr;
    AAX_CParameterManager parameterManager_;
    AAX_CPacketDispatcher packetDispatcher_;
    std::atomic<int32_t> changeCount_{0};
};
