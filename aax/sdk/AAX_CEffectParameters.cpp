#include "aax/sdk/AAX_CEffectParameters.h"

#include "aax/sdk/AAX_Module.h"

#include <cstring>

AAX_Result AAX_CPacketDispatcher::SetDirty(const char* identifier)
{
    if (identifier == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    dispatchCount_.fetch_add(1, std::memory_order_relaxed);
    return AAX_SUCCESS;
}

AAX_CEffectParameters::AAX_CEffectParameters()
{
    AAX_ModuleObjectCreated();
}

AAX_CEffectParameters::~AAX_CEffectParameters()
{
    AAX_ModuleObjectDestroyed();
}

AAX_Result AAX_CEffectParameters::Initialize(AAX_IController* controller,
                                             AAX_IAutomationDelegate* automation)
{
    if (controller == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    controller_ = controller;
    automation_ = automation;
    parameterManager_.SetAutomationDelegate(automation);
    return InitializeEffect();
}

AAX_Result AAX_CEffectParameters::Uninitialize()
{
    parameterManager_.SetAutomationDelegate(nullptr);
    automation_ = nullptr;
    controller_ = nullptr;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::ProvidePrivateData(AAX_CFieldIndex /*field*/, void* out,
                                                     uint32_t size)
{
    if (out == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    std::memset(out, 0, size);
    return AAX_SUCCESS;
}

AAX_IParameter* AAX_CEffectParameters::GetParameterAt(int32_t index) const
{
    return parameterManager_.GetParameter(index);
}

AAX_IParameter* AAX_CEffectParameters::GetParameterByID(const char* identifier) const
{
    return parameterManager_.GetParameterByID(identifier);
}

AAX_Result AAX_CEffectParameters::HostUpdatesParameter(const char* identifier, double normalized)
{
    AAX_IParameter* parameter = parameterManager_.GetParameterByID(identifier);
    if (parameter == nullptr)
    {
        return AAX_ERROR_INVALID_PARAMETER_ID;
    }
    parameter->UpdateNormalizedValue(normalized);
    const AAX_Result result = packetDispatcher_.SetDirty(identifier);
    IncrementChangeCounter();
    return result;
}

AAX_Result AAX_CEffectParameters::ChunkIdAt(int32_t /*index*/, AAX_CTypeID* chunkId) const
{
    if (chunkId != nullptr)
    {
        *chunkId = 0;
    }
    return AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result AAX_CEffectParameters::ChunkSize(AAX_CTypeID /*chunkId*/, uint32_t* size)
{
    if (size != nullptr)
    {
        *size = 0;
    }
    return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::FillChunk(AAX_CTypeID /*chunkId*/, AAX_SPlugInChunk* /*chunk*/)
{
    return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::ApplyChunk(AAX_CTypeID /*chunkId*/,
                                             const AAX_SPlugInChunk* /*chunk*/)
{
    return AAX_ERROR_INVALID_CHUNK_ID;
}

AAX_Result AAX_CEffectParameters::CompareChunk(const AAX_SPlugInChunk* /*chunk*/, bool* equal)
{
    if (equal != nullptr)
    {
        *equal = true;
    }
    return AAX_SUCCESS;
}

int32_t AAX_CEffectParameters::NumberOfChanges() const
{
    return changeCount_.load(std::memory_order_relaxed);
}

void AAX_CEffectParameters::SetParameterNormalizedValue(const char* identifier, double normalized)
{
    if (AAX_IParameter* parameter = parameterManager_.GetParameterByID(identifier))
    {
        parameter->SetNormalizedValue(normalized);
    }
}

void AAX_CEffectParameters::TouchParameter(const char* identifier)
{
    if (AAX_IParameter* parameter = parameterManager_.GetParameterByID(identifier))
    {
        parameter->Touch();
    }
}

void AAX_CEffectParameters::ReleaseParameter(const char* identifier)
{
    if (AAX_IParameter* parameter = parameterManager_.GetParameterByID(identifier))
    {
        parameter->Release();
    }
}
