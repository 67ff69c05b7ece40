#include "aax/host/AaxHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace aaxhost
{

namespace
{
template <typename Proc> Proc Resolve(void* handle, const char* name)
{
    return reinterpret_cast<Proc>(dlsym(handle, name));
}
} // namespace

std::unique_ptr<Module> Module::Load(const std::string& path, std::string* error)
{
    std::unique_ptr<Module> module(new Module);
    module->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module->handle_ == nullptr)
    {
        *error = std::string("cannot load ") + path + ": " + dlerror();
        return nullptr;
    }
    auto startup = Resolve<ACFStartupProc>(module->handle_, "ACFStartup");
    auto registerPlugin = Resolve<ACFRegisterPluginProc>(module->handle_, "ACFRegisterPlugin");
    module->getClassFactory_ =
        Resolve<ACFGetClassFactoryProc>(module->handle_, "ACFGetClassFactory");
    module->canUnloadNow_ = Resolve<ACFCanUnloadNowProc>(module->handle_, "ACFCanUnloadNow");
    module->shutdown_ = Resolve<ACFShutdownProc>(module->handle_, "ACFShutdown");
    module->getSdkVersion_ = Resolve<ACFGetSDKVersionProc>(module->handle_, "ACFGetSDKVersion");
    if (startup == nullptr || registerPlugin == nullptr || module->getClassFactory_ == nullptr ||
        module->canUnloadNow_ == nullptr || module->shutdown_ == nullptr ||
        module->getSdkVersion_ == nullptr)
    {
        *error = path + " lacks an AAX component entry point";
        return nullptr;
    }
    if (const AAX_Result result = startup(nullptr); result != ACF_OK)
    {
        *error = "ACFStartup failed: " + std::to_string(result);
        return nullptr;
    }
    AAX_ICollection* collection = nullptr;
    const AAX_Result result = registerPlugin(nullptr, &collection);
    module->collection_.reset(collection);
    if (result != AAX_SUCCESS || collection == nullptr || collection->Record() == nullptr ||
        collection->Record()->effects.empty())
    {
        *error = "ACFRegisterPlugin failed: " + std::to_string(result);
        return nullptr;
    }
    return module;
}

Module::~Module()
{
    collection_.reset();
    if (handle_ == nullptr)
    {
        return;
    }
    if (shutdown_ != nullptr)
    {
        shutdown_(nullptr);
    }
    if (canUnloadNow_ != nullptr && canUnloadNow_(nullptr) == ACF_OK)
    {
        dlclose(handle_);
    }
}

const AAX_SComponentRecord* Module::ComponentForChannels(int channels) const
{
    for (const AAX_SComponentRecord& component : Effect().components)
    {
        if (component.processProcs.empty())
        {
            continue;
        }
        const auto format = static_cast<AAX_EStemFormat>(
            PropertyValue(component.processProcs.front(), AAX_eProperty_InputStemFormat, 0));
        if (AAX_StemChannelCount(format) == channels)
        {
            return &component;
        }
    }
    return nullptr;
}

AAX_CreateEffectParametersProc Module::ParametersFactory() const
{
    AAX_ProcPtr factory = nullptr;
    getClassFactory_(nullptr, EffectId().c_str(), AAX_eProcPtrID_Create_EffectParameters, &factory);
    return reinterpret_cast<AAX_CreateEffectParametersProc>(factory);
}

AAX_CreateEffectGUIProc Module::GuiFactory() const
{
    AAX_ProcPtr factory = nullptr;
    getClassFactory_(nullptr, EffectId().c_str(), AAX_eProcPtrID_Create_EffectGUI, &factory);
    return reinterpret_cast<AAX_CreateEffectGUIProc>(factory);
}

AAX_Result Module::CanUnloadNow() const
{
    return canUnloadNow_(nullptr);
}

uint64_t Module::SdkVersion() const
{
    uint64_t version = 0;
    getSdkVersion_(&version);
    return version;
}

void* Module::Symbol(const char* name) const
{
    return dlsym(handle_, name);
}

int32_t PropertyValue(const AAX_SProcessProc& proc, AAX_EProperty id, int32_t fallback)
{
    for (const AAX_SProperty& property : proc.properties)
    {
        if (property.id == id)
        {
            return property.value;
        }
    }
    return fallback;
}

AAX_Result Controller::GetInputStemFormat(AAX_EStemFormat* format) const
{
    *format = input_;
    return AAX_SUCCESS;
}

AAX_Result Controller::GetOutputStemFormat(AAX_EStemFormat* format) const
{
    *format = output_;
    return AAX_SUCCESS;
}

AAX_Result Controller::GetSampleRate(float* sampleRateHz) const
{
    *sampleRateHz = sampleRateHz_;
    return AAX_SUCCESS;
}

AAX_Result Controller::SetSignalLatency(int32_t samples)
{
    latency_ = samples;
    return AAX_SUCCESS;
}

AAX_Result Automation::PostSetValueRequest(const char* identifier, double normalized)
{
    events_.push_back({Event::Kind::SetValue, identifier, normalized});
    return effect_ != nullptr ? effect_->HostUpdatesParameter(identifier, normalized) : AAX_SUCCESS;
}

AAX_Result Automation::PostTouchRequest(const char* identifier)
{
    events_.push_back({Event::Kind::Touch, identifier, 0.0});
    return AAX_SUCCESS;
}

AAX_Result Automation::PostReleaseRequest(const char* identifier)
{
    events_.push_back({Event::Kind::Release, identifier, 0.0});
    return AAX_SUCCESS;
}

AAX_Result Transport::GetCurrentNativeSampleLocation(int64_t* samples) const
{
    *samples = samplePosition_;
    return AAX_SUCCESS;
}

AAX_Result Transport::GetCurrentTempo(double* beatsPerMinute) const
{
    *beatsPerMinute = 120.0;
    return AAX_SUCCESS;
}

AAX_Result Transport::GetCurrentMeter(int32_t* numerator, int32_t* denominator) const
{
    *numerator = 4;
    *denominator = 4;
    return AAX_SUCCESS;
}

AAX_Result Transport::GetCurrentTickPosition(int64_t* ticks) const
{
    *ticks = 0;
    return AAX_SUCCESS;
}

AAX_Result Transport::IsTransportPlaying(bool* playing) const
{
    *playing = false;
    return AAX_SUCCESS;
}

AAX_Result Transport::GetCurrentLoopPosition(bool* looping, int64_t* startTicks,
                                             int64_t* endTicks) const
{
    *looping = false;
    *startTicks = 0;
    *endTicks = 0;
    return AAX_SUCCESS;
}

AAX_Result ViewContainer::GetModifiers(uint32_t* modifiers) const
{
    *modifiers = 0;
    return AAX_SUCCESS;
}

AAX_Result ViewContainer::HandleParameterMouseDown(const char* /*identifier*/,
                                                   uint32_t /*modifiers*/)
{
    return 1; // not consumed: the editor handles its own clicks
}

namespace
{
AAX_EStemFormat ComponentStem(const AAX_SComponentRecord& component, AAX_EProperty id)
{
    if (component.processProcs.empty())
    {
        return AAX_eStemFormat_None;
    }
    return static_cast<AAX_EStemFormat>(PropertyValue(component.processProcs.front(), id,
                                                      static_cast<int32_t>(AAX_eStemFormat_None)));
}
} // namespace

Instance::Instance(const Module& module, const AAX_SComponentRecord& component, float sampleRateHz)
    : controller_(ComponentStem(component, AAX_eProperty_InputStemFormat),
                  ComponentStem(component, AAX_eProperty_OutputStemFormat), sampleRateHz),
      component_(component)
{
    inputChannels_ = AAX_StemChannelCount(ComponentStem(component, AAX_eProperty_InputStemFormat));
    outputChannels_ =
        AAX_StemChannelCount(ComponentStem(component, AAX_eProperty_OutputStemFormat));
    if (!component.processProcs.empty())
    {
        processProc_ = component.processProcs.front().proc;
    }
    if (AAX_CreateEffectParametersProc factory = module.ParametersFactory())
    {
        effect_.reset(factory());
    }
    automation_.Connect(effect_.get());
}

Instance::~Instance()
{
    if (effect_ != nullptr)
    {
        effect_->Uninitialize();
    }
}

AAX_Result Instance::Initialize()
{
    if (effect_ == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    const AAX_Result result = effect_->Initialize(&controller_, &automation_);
    PreparePrivateData();
    return result;
}

void Instance::PreparePrivateData()
{
    inputPointers_.assign(static_cast<size_t>(std::max(inputChannels_, 1)), nullptr);
    outputPointers_.assign(static_cast<size_t>(std::max(outputChannels_, 1)), nullptr);
    for (const AAX_SField& field : component_.fields)
    {
        void*& slot = context_.fields[field.index];
        switch (field.kind)
        {
        case AAX_EFieldKind::AudioIn:
            slot = inputPointers_.data();
            break;
        case AAX_EFieldKind::AudioOut:
            slot = outputPointers_.data();
            break;
        case AAX_EFieldKind::BufferLength:
            slot = &frames_;
            break;
        case AAX_EFieldKind::Node:
            slot = field.nodeKind == AAX_eNodeKind_Transport
                       ? static_cast<AAX_ITransport*>(&transport_)
                       : nullptr;
            break;
        case AAX_EFieldKind::PrivateData:
        {
            const size_t words =
                (field.size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
            privateBlocks_.push_back(
                std::make_unique<std::max_align_t[]>(std::max<size_t>(words, 1)));
            slot = privateBlocks_.back().get();
            effect_->ProvidePrivateData(field.index, slot, field.size);
            break;
        }
        }
    }
}

void Instance::Render(float* const* inputs, float* const* outputs, int frames)
{
    std::copy_n(inputs, inputChannels_, inputPointers_.begin());
    std::copy_n(outputs, outputChannels_, outputPointers_.begin());
    frames_ = frames;
    AAX_SRenderContext* contexts[] = {&context_};
    processProc_(contexts, contexts + 1);
    transport_.Advance(frames);
}

void Instance::AnnounceAllParameters()
{
    for (int32_t i = 0; i < effect_->GetNumberOfParameters(); ++i)
    {
        AAX_IParameter* parameter = effect_->GetParameterAt(i);
        effect_->HostUpdatesParameter(parameter->Identifier(), parameter->GetNormalizedValue());
    }
}

AAX_Result Instance::SetParameter(const char* identifier, double normalized)
{
    return effect_->HostUpdatesParameter(identifier, normalized);
}

AAX_IParameter* Instance::FindParameterByName(const std::string& name) const
{
    for (int32_t i = 0; i < effect_->GetNumberOfParameters(); ++i)
    {
        AAX_IParameter* parameter = effect_->GetParameterAt(i);
        if (parameter != nullptr && name == parameter->Name())
        {
            return parameter;
        }
    }
    return nullptr;
}

std::vector<std::max_align_t> MakeChunkRecord(AAX_CTypeID chunkId, const std::vector<char>& data,
                                              int32_t capacity)
{
    const int32_t size = std::max(capacity, static_cast<int32_t>(data.size()));
    const size_t bytes = AAX_ChunkRecordBytes(size);
    std::vector<std::max_align_t> storage((bytes + sizeof(std::max_align_t) - 1) /
                                          sizeof(std::max_align_t));
    std::memset(static_cast<void*>(storage.data()), 0, storage.size() * sizeof(std::max_align_t));
    AAX_SPlugInChunk* chunk = ChunkRecord(storage);
    chunk->fChunkID = chunkId;
    chunk->fSize = size;
    if (!data.empty())
    {
        std::memcpy(AAX_ChunkData(chunk), data.data(), data.size());
    }
    return storage;
}

std::vector<char> Instance::TakeChunk(AAX_Result* result)
{
    AAX_CTypeID chunkId = 0;
    uint32_t size = 0;
    *result = effect_->ChunkIdAt(0, &chunkId);
    if (*result != AAX_SUCCESS || (*result = effect_->ChunkSize(chunkId, &size)) != AAX_SUCCESS)
    {
        return {};
    }
    auto storage = MakeChunkRecord(chunkId, {}, static_cast<int32_t>(size));
    AAX_SPlugInChunk* chunk = ChunkRecord(storage);
    if ((*result = effect_->FillChunk(chunkId, chunk)) != AAX_SUCCESS)
    {
        return {};
    }
    const char* data = AAX_ChunkData(chunk);
    return std::vector<char>(data, data + std::max(chunk->fSize, 0));
}

AAX_Result Instance::ApplyChunk(const std::vector<char>& data)
{
    AAX_CTypeID chunkId = 0;
    effect_->ChunkIdAt(0, &chunkId);
    auto storage = MakeChunkRecord(chunkId, data, static_cast<int32_t>(data.size()));
    return effect_->ApplyChunk(chunkId, ChunkRecord(storage));
}

AAX_Result Instance::CompareChunk(const std::vector<char>& data, bool* equal)
{
    AAX_CTypeID chunkId = 0;
    effect_->ChunkIdAt(0, &chunkId);
    auto storage = MakeChunkRecord(chunkId, data, static_cast<int32_t>(data.size()));
    return effect_->CompareChunk(ChunkRecord(storage), equal);
}

} // namespace aaxhost
