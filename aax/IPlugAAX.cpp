#include "aax/IPlugAAX.h"

#include "aax/AAX_CIPlugTaperDelegate.h"
#include "aax/sdk/AAX_Delegates.h"
#include "framework/IPlugTrace.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace
{
constexpr int kContinuousSteps = 128;
constexpr int kDisplayDecimals = 2;
constexpr const char* kBypassName = "Master Bypass";
constexpr const char* kBypassOffText = "bypass";
constexpr const char* kBypassOnText = "on";
constexpr const char* kHostName = "ProTools";

constexpr AAX_CFieldIndex kInputsField = 0;
constexpr AAX_CFieldIndex kOutputsField = 1;
constexpr AAX_CFieldIndex kFrameCountField = 3;
constexpr AAX_CFieldIndex kTransportField = 7;

// The plug-in parameter index an AAX identifier stands for: its leading decimal number minus 1.
// Text without a leading number reads as 0, so "MasterBypassID" gives -1.
int ParameterIndexOf(const char* identifier)
{
    int number = 0;
    const char* end = identifier + std::strlen(identifier);
    std::from_chars(identifier, end, number);
    return number - 1;
}

template <typename T> T* Register(AAX_CParameterManager& manager, std::unique_ptr<T> parameter)
{
    T* registered = parameter.get();
    return manager.AddParameter(std::move(parameter)) == AAX_SUCCESS ? registered : nullptr;
}
} // namespace

AAX_Result AAX_CIPlugParameters::ProvidePrivateData(AAX_CFieldIndex field, void* out, uint32_t size)
{
    if (field != kInstanceField)
    {
        return AAX_CEffectParameters::ProvidePrivateData(field, out, size);
    }
    if (out == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    AAX_CIPlugParameters* self = this;
    if (size < sizeof self)
    {
        std::memset(out, 0, size);
        return AAX_ERROR_INVALID_ARGUMENT;
    }
    std::memset(out, 0, size);
    std::memcpy(out, &self, sizeof self);
    return AAX_SUCCESS;
}

const char* AAX_CIPlugParameters::ParameterIdentifier(int index) const noexcept
{
    if (index < 0 || index >= static_cast<int>(parameterIds.size()))
    {
        return nullptr;
    }
    return parameterIds[static_cast<size_t>(index)].c_str();
}

IPlugAAX::IPlugAAX(InstanceInfo /*info*/, const PluginDescription& description)
    : IPlugBase(description, kApiAax)
{
    PrepareForHost(kHostName, kInitialBlockSize);
}

IPlugAAX::~IPlugAAX()
{
    // The editor may still post gestures while the base deletes it; the host links are gone.
    ParameterManager().SetAutomationDelegate(nullptr);
    parameterIds.clear();
}

AAX_Result IPlugAAX::InitializeEffect()
{
    // A host that initialises twice gets a fresh registration instead of duplicates.
    ParameterManager().RemoveAllParameters();
    parameterIds.clear();
    bypassParameter = nullptr;

    RegisterBypassParameter();
    for (int i = 0; i < ParameterCount(); ++i)
    {
        RegisterParameter(i);
    }
    float sampleRateHz = 0.0f;
    if (Controller()->GetSampleRate(&sampleRateHz) == AAX_SUCCESS && sampleRateHz > 0.0f)
    {
        SetHostSampleRate(static_cast<double>(sampleRateHz));
    }
    ResetProcessing();
    return AAX_SUCCESS;
}

void IPlugAAX::RegisterBypassParameter()
{
    auto bypass = std::make_unique<AAX_CParameter<bool>>(
        kBypassIdentifier, kBypassName, false, AAX_CBinaryTaperDelegate(),
        AAX_CBinaryDisplayDelegate(kBypassOffText, kBypassOnText), true);
    bypass->SetNumberOfSteps(2);
    bypass->SetType(AAX_EParameterType::Discrete);
    bypassParameter = Register(ParameterManager(), std::move(bypass));
}

void IPlugAAX::RegisterParameter(int index)
{
    const IPlugParameter& param = *Param(index);
    std::string identifier = std::to_string(index + 1);
    parameterIds.push_back(identifier);

    if (param.Kind() == ParameterKind::Bool || param.Kind() == ParameterKind::Enum)
    {
        std::map<int, std::string> texts;
        for (int position = 0; position < param.DisplayTextCount(); ++position)
        {
            int value = 0;
            const char* text = param.DisplayTextAt(position, &value);
            texts.emplace(value, text);
        }
        auto stepped = std::make_unique<AAX_CParameter<int>>(
            identifier, param.Name(), static_cast<int>(param.DefaultValue()),
            AAX_CLinearTaperDelegate<int>(static_cast<int>(param.Min()),
                                          static_cast<int>(param.Max())),
            AAX_CStringDisplayDelegate<int>(std::move(texts)), param.CanAutomate());
        stepped->SetNumberOfSteps(param.DisplayTextCount());
        stepped->SetType(AAX_EParameterType::Discrete);
        Register(ParameterManager(), std::move(stepped));
        return;
    }
    auto continuous = std::make_unique<AAX_CParameter<double>>(
        identifier, param.Name(), param.DefaultValue(),
        AAX_CIPlugTaperDelegate(param.Min(), param.Max(), param.Shape()),
        AAX_CUnitDisplayDelegateDecorator<double>(
            AAX_CNumberDisplayDelegate<double>(kDisplayDecimals), param.Label()),
        param.CanAutomate());
    continuous->SetNumberOfSteps(kContinuousSteps);
    continuous->SetType(AAX_EParameterType::Continuous);
    Register(ParameterManager(), std::move(continuous));
}

void IPlugAAX::BeginHostGesture(int index)
{
    if (const char* identifier = ParameterIdentifier(index))
    {
        TouchParameter(identifier);
    }
}

void IPlugAAX::NotifyHostOfChange(int index, double normalised)
{
    if (const char* identifier = ParameterIdentifier(index))
    {
        SetParameterNormalizedValue(identifier, normalised);
    }
}

void IPlugAAX::EndHostGesture(int index)
{
    if (const char* identifier = ParameterIdentifier(index))
    {
        ReleaseParameter(identifier);
    }
}

int IPlugAAX::HostSamplePosition()
{
    int64_t samples = 0;
    if (AAX_ITransport* host = transport.load(std::memory_order_acquire))
    {
        host->GetCurrentNativeSampleLocation(&samples);
    }
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(samples) & 0xFFFFFFFFu));
}

double IPlugAAX::HostTempo()
{
    double tempo = 0.0;
    if (AAX_ITransport* host = transport.load(std::memory_order_acquire))
    {
        host->GetCurrentTempo(&tempo);
    }
    return tempo;
}

void IPlugAAX::HostTimeSignature(int* numerator, int* denominator)
{
    int32_t meterNumerator = 4;
    int32_t meterDenominator = 4;
    if (AAX_ITransport* host = transport.load(std::memory_order_acquire))
    {
        host->GetCurrentMeter(&meterNumerator, &meterDenominator);
    }
    if (numerator != nullptr)
    {
        *numerator = meterNumerator;
    }
    if (denominator != nullptr)
    {
        *denominator = meterDenominator;
    }
}

void IPlugAAX::HostTimeInfo(TimeInfo* info)
{
    AAX_ITransport* host = transport.load(std::memory_order_acquire);
    if (info == nullptr || host == nullptr)
    {
        return;
    }
    int64_t samples = 0;
    int64_t ticks = 0;
    int64_t loopStartTicks = 0;
    int64_t loopEndTicks = 0;
    int32_t numerator = 4;
    int32_t denominator = 4;
    bool playing = false;
    bool looping = false;
    host->GetCurrentTempo(&info->tempo);
    host->GetCurrentNativeSampleLocation(&samples);
    host->GetCurrentTickPosition(&ticks);
    host->IsTransportPlaying(&playing);
    host->GetCurrentLoopPosition(&looping, &loopStartTicks, &loopEndTicks);
    host->GetCurrentMeter(&numerator, &denominator);
    info->samplePosition = static_cast<double>(samples);
    info->quarterNotePosition = static_cast<double>(ticks) / AAX_kTicksPerQuarterNote;
    info->playing = playing;
    info->looping = looping;
    info->loopStartQuarterNotes = static_cast<double>(loopStartTicks) / AAX_kTicksPerQuarterNote;
    info->loopEndQuarterNotes = static_cast<double>(loopEndTicks) / AAX_kTicksPerQuarterNote;
    info->meterNumerator = numerator;
    info->meterDenominator = denominator;
}

void IPlugAAX::SetLatencySamples(int samples)
{
    if (AAX_IController* controller = Controller())
    {
        controller->SetSignalLatency(samples);
    }
    IPlugBase::SetLatencySamples(samples);
}

void IPlugAAX::MarkChanged()
{
    IncrementChangeCounter();
}

AAX_Result IPlugAAX::HostUpdatesParameter(const char* identifier, double normalized)
{
    AAX_IParameter* parameter = GetParameterByID(identifier);
    if (parameter == nullptr)
    {
        return AAX_ERROR_INVALID_PARAMETER_ID;
    }
    // A value that is not a number has no place on any parameter: refused, nothing changes.
    if (!std::isfinite(normalized))
    {
        return AAX_ERROR_INVALID_ARGUMENT;
    }
    parameter->UpdateNormalizedValue(normalized);
    const int index = ParameterIndexOf(identifier);
    if (index >= 0 && index < ParameterCount())
    {
        SetParameterFromHost(index, normalized);
    }
    const AAX_Result result = PacketDispatcher().SetDirty(identifier);
    IncrementChangeCounter();
    return result;
}

AAX_Result IPlugAAX::ChunkIdAt(int32_t index, AAX_CTypeID* chunkId) const
{
    if (chunkId == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    if (index != 0)
    {
        *chunkId = 0;
        return AAX_ERROR_INVALID_CHUNK_INDEX;
    }
    *chunkId = static_cast<AAX_CTypeID>(UniqueId());
    return AAX_SUCCESS;
}

AAX_Result IPlugAAX::ChunkSize(AAX_CTypeID chunkId, uint32_t* size)
{
    if (size == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    *size = 0;
    if (chunkId != static_cast<AAX_CTypeID>(UniqueId()))
    {
        return AAX_ERROR_INVALID_CHUNK_ID;
    }
    StateChunk state;
    if (SerializeState(state))
    {
        *size = static_cast<uint32_t>(state.Size());
    }
    return AAX_SUCCESS;
}

AAX_Result IPlugAAX::FillChunk(AAX_CTypeID chunkId, AAX_SPlugInChunk* chunk)
{
    if (chunkId != static_cast<AAX_CTypeID>(UniqueId()))
    {
        return AAX_ERROR_INVALID_CHUNK_ID;
    }
    if (chunk == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    StateChunk state;
    // The state may have grown since the host asked for the size: never write past the data
    // area the host allocated.
    if (!SerializeState(state) || state.Size() > chunk->fSize)
    {
        return AAX_ERROR_INVALID_CHUNK_ID;
    }
    chunk->fSize = state.Size();
    std::memcpy(AAX_ChunkData(chunk), state.Data(), static_cast<size_t>(state.Size()));
    return AAX_SUCCESS;
}

AAX_Result IPlugAAX::ApplyChunk(AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk)
{
    if (chunkId != static_cast<AAX_CTypeID>(UniqueId()))
    {
        return AAX_ERROR_INVALID_CHUNK_ID;
    }
    if (chunk == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    StateChunk state;
    state.PutBytes(AAX_ChunkData(chunk), std::max(chunk->fSize, 0));

    std::vector<double> normalisedValues(static_cast<size_t>(ParameterCount()));
    {
        const auto lock = LockPlugin();
        DeserializeState(state, 0);
        for (int i = 0; i < ParameterCount(); ++i)
        {
            normalisedValues[static_cast<size_t>(i)] = Param(i)->Normalized();
        }
    }
    // Posted outside the lock: the host answers through HostUpdatesParameter, possibly from
    // another thread.
    for (int i = 0; i < ParameterCount(); ++i)
    {
        NotifyHostOfChange(i, normalisedValues[static_cast<size_t>(i)]);
    }
    PushValuesToEditor();
    IncrementChangeCounter();
    return AAX_SUCCESS;
}

AAX_Result IPlugAAX::CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal)
{
    if (chunk == nullptr || equal == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    *equal =
        chunk->fChunkID != static_cast<AAX_CTypeID>(UniqueId()) || ChunkHoldsCurrentState(*chunk);
    return AAX_SUCCESS;
}

// Whether the chunk holds the state the plug-in would save now is the plug-in's to say; the
// adapter hands over the chunk's fSize bytes as they are.
bool IPlugAAX::ChunkHoldsCurrentState(const AAX_SPlugInChunk& chunk)
{
    return HoldsCurrentState(AAX_ChunkData(&chunk), std::max(chunk.fSize, 0));
}

void IPlugAAX::InstanceChannels(int* inputs, int* outputs) const
{
    AAX_EStemFormat inputFormat = AAX_eStemFormat_None;
    AAX_EStemFormat outputFormat = AAX_eStemFormat_None;
    if (AAX_IController* controller = Controller())
    {
        controller->GetInputStemFormat(&inputFormat);
        controller->GetOutputStemFormat(&outputFormat);
    }
    *inputs = AAX_StemChannelCount(inputFormat);
    *outputs = AAX_StemChannelCount(outputFormat);
}

void IPlugAAX::Render(AAX_SRenderContext* context) noexcept
{
    if (context == nullptr)
    {
        return;
    }
    const auto lock = LockPlugin();
    const bool bypassed = bypassParameter != nullptr && bypassParameter->GetValue();
    int inputs = 0;
    int outputs = 0;
    InstanceChannels(&inputs, &outputs);
    auto** hostInputs = static_cast<float**>(context->fields[kInputsField]);
    auto** hostOutputs = static_cast<float**>(context->fields[kOutputsField]);
    inputs = hostInputs != nullptr ? std::clamp(inputs, 0, InputCount()) : 0;
    outputs = hostOutputs != nullptr ? std::clamp(outputs, 0, OutputCount()) : 0;
    transport.store(static_cast<AAX_ITransport*>(context->fields[kTransportField]),
                    std::memory_order_release);
    const auto* frameCount = static_cast<const int32_t*>(context->fields[kFrameCountField]);
    const int frames = frameCount != nullptr ? *frameCount : 0;
    if (frames <= 0)
    {
        return;
    }

    // The block size changes before the samples are taken: resizing clears the channel
    // buffers, which would otherwise drop the first block of the new size. Within the scratch
    // buffers' reserved room this allocates nothing; a longer host block keeps that size and
    // runs in slices of it.
    FitBlockSizeToHost(frames);
    Trace("attach input buffers: 0 - %d\n", InputCount());
    RunHostBlock(hostInputs, inputs, hostOutputs, outputs, frames, bypassed);
}
