#include "lv2/IPlugLV2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace
{

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
    {
        if (std::strcmp((*f)->URI, uri) == 0)
        {
            return (*f)->data;
        }
    }
    return nullptr;
}

} // namespace

IPlugLV2::IPlugLV2(InstanceInfo /*info*/, const PluginDescription& description)
    : IPlugBase(description, kApiLv2)
{
    // LV2 does not tell the plug-in who the host is.
    PrepareForHost("lv2", kDefaultBlockSize);
}

IPlugLV2::~IPlugLV2() = default;

bool IPlugLV2::Configure(int audioInputs, int audioOutputs, int meterCount, MeterReader meterReader,
                         double sampleRate, const LV2_Feature* const* features,
                         const char* stateKeyUri)
{
    // Without urid:map (hosts such as ecasound pass no features) the plug-in processes; only
    // what needs URIDs is unavailable: the state interface and the block length options.
    map_ = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
    if (map_ != nullptr)
    {
        stateKey_ = map_->map(map_->handle, stateKeyUri);
        atomString_ = map_->map(map_->handle, LV2_ATOM__String);
        atomChunk_ = map_->map(map_->handle, LV2_ATOM__Chunk);
    }

    layout_ = {audioInputs, audioOutputs, ParameterCount(), meterCount};
    meterReader_ = meterReader;
    audioInputPorts_.assign(static_cast<std::size_t>(audioInputs), nullptr);
    audioOutputPorts_.assign(static_cast<std::size_t>(audioOutputs), nullptr);
    controlPorts_.assign(static_cast<std::size_t>(ParameterCount()), nullptr);
    meterPorts_.assign(static_cast<std::size_t>(meterCount), nullptr);
    knownPortValues_ = std::make_unique<std::atomic<float>[]>(controlPorts_.size());
    stalePortValues_ = std::make_unique<std::atomic<float>[]>(controlPorts_.size());
    for (int i = 0; i < ParameterCount(); ++i)
    {
        knownPortValues_[static_cast<std::size_t>(i)].store(static_cast<float>(Param(i)->Value()));
        stalePortValues_[static_cast<std::size_t>(i)].store(NAN);
    }

    if (std::isfinite(sampleRate) && sampleRate > 0.0)
    {
        hostSampleRate_ = sampleRate;
    }
    ReadBlockLengthOptions(features);
    return true;
}

void IPlugLV2::ReadBlockLengthOptions(const LV2_Feature* const* features)
{
    const auto* options =
        static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
    if (options == nullptr || map_ == nullptr)
    {
        return;
    }
    const LV2_URID maxKey = map_->map(map_->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID nominalKey = map_->map(map_->handle, LV2_BUF_SIZE__nominalBlockLength);
    const LV2_URID intType = map_->map(map_->handle, LV2_ATOM__Int);
    int maxLength = 0;
    int nominalLength = 0;
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o)
    {
        if (o->type != intType || o->size != sizeof(int32_t) || o->value == nullptr)
        {
            continue;
        }
        int32_t value = 0;
        std::memcpy(&value, o->value, sizeof value);
        if (o->key == maxKey)
        {
            maxLength = value;
        }
        else if (o->key == nominalKey)
        {
            nominalLength = value;
        }
    }
    // The largest block the host will send decides the buffers; without it the nominal one is
    // the best guess (a larger block later grows them). The buffers never grow beyond the
    // reserved room: longer blocks run in slices of it, so no announced length allocates.
    const int length = maxLength > 0 ? maxLength : nominalLength;
    if (length > 0)
    {
        hostBlockSize_ = std::min(length, kMaxBlockFrames);
    }
}

void IPlugLV2::ConnectPort(uint32_t port, void* data) noexcept
{
    auto* samples = static_cast<float*>(data);
    const auto p = static_cast<int>(port);
    if (p < layout_.FirstAudioOutput())
    {
        audioInputPorts_[static_cast<std::size_t>(p)] = samples;
    }
    else if (p < layout_.FirstParameter())
    {
        audioOutputPorts_[static_cast<std::size_t>(p - layout_.FirstAudioOutput())] = samples;
    }
    else if (p < layout_.FirstMeter())
    {
        controlPorts_[static_cast<std::size_t>(p - layout_.FirstParameter())] = samples;
    }
    else if (p < layout_.FirstMeter() + layout_.meters)
    {
        meterPorts_[static_cast<std::size_t>(p - layout_.FirstMeter())] = samples;
    }
    else if (p == layout_.EnabledPort())
    {
        enabledPort_ = samples;
    }
}

void IPlugLV2::Activate()
{
    const auto lock = LockPlugin();
    SetHostSampleRate(hostSampleRate_);
    SetHostBlockSize(hostBlockSize_);
    ResetProcessing();
    // Every LV2 port carries a value, so on the first activation the plug-in hears every
    // parameter once, as it stands, and runs with the values the parameters show; then the
    // ports the host has set differently follow as host changes.
    if (!announced_)
    {
        announced_ = true;
        for (int i = 0; i < ParameterCount(); ++i)
        {
            SetParameterFromHost(i, Param(i)->Normalized());
        }
    }
    ApplyControlChanges();
}

void IPlugLV2::TakePortValuesAsKnown() noexcept
{
    for (std::size_t i = 0; i < controlPorts_.size(); ++i)
    {
        if (controlPorts_[i] != nullptr && std::isfinite(*controlPorts_[i]))
        {
            knownPortValues_[i].store(*controlPorts_[i]);
            stalePortValues_[i].store(NAN);
        }
    }
}

void IPlugLV2::ApplyControlChanges() noexcept
{
    if (adoptPortValues_.exchange(false))
    {
        TakePortValuesAsKnown();
        return;
    }
    for (std::size_t i = 0; i < controlPorts_.size(); ++i)
    {
        const float* port = controlPorts_[i];
        // A non-finite value from the host is ignored: the parameter keeps its value.
        if (port == nullptr || !std::isfinite(*port))
        {
            continue;
        }
        const float value = *port;
        if (value == knownPortValues_[i].load())
        {
            stalePortValues_[i].store(NAN);
            continue;
        }
        if (value == stalePortValues_[i].load())
        {
            continue;
        }
        stalePortValues_[i].store(NAN);
        knownPortValues_[i].store(value);
        const int index = static_cast<int>(i);
        SetParameterFromHost(index, Param(index)->ToNormalized(value));
    }
}

void IPlugLV2::Run(uint32_t frames) noexcept
{
    const auto lock = LockPlugin();
    ApplyControlChanges();
    if (frames == 0)
    {
        // A host may run 0 frames just to have the control changes applied and read back.
        ReadMeters();
        return;
    }
    const int hostFrames = static_cast<int>(std::min<uint32_t>(frames, INT_MAX));
    if (hostFrames > BlockSize())
    {
        // The host broke its announced maximum (or announced none): grow the block size within
        // the scratch buffers' reserved room, which allocates nothing; a block beyond it runs in
        // slices of that size.
        FitBlockSizeToHost(hostFrames);
    }
    // The host's bypass: lv2:enabled below 0.5 (a non-finite value counts as enabled).
    const bool bypassed = enabledPort_ != nullptr && *enabledPort_ < 0.5f;
    RunHostBlock(audioInputPorts_.data(), layout_.audioInputs, audioOutputPorts_.data(),
                 layout_.audioOutputs, hostFrames, bypassed);
    ReadMeters();
}

void IPlugLV2::ReadMeters() noexcept
{
    if (meterReader_ != nullptr)
    {
        meterReader_(*this, meterPorts_.data(), layout_.meters);
    }
}

LV2_State_Status IPlugLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (map_ == nullptr)
    {
        return LV2_STATE_ERR_NO_FEATURE;
    }
    StateChunk chunk;
    {
        const auto lock = LockPlugin();
        if (!SerializeState(chunk))
        {
            return LV2_STATE_ERR_UNKNOWN;
        }
    }
    // The state is one framed text (an int32 count and the bytes): stored as a string, so a
    // preset file shows it as it is. Anything else is stored as raw bytes.
    std::string text;
    if (chunk.GetStr(text, 0) == chunk.Size() && text.find('\0') == std::string::npos)
    {
        return store(handle, stateKey_, text.c_str(), text.size() + 1, atomString_,
                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    }
    return store(handle, stateKey_, chunk.Data(), static_cast<std::size_t>(chunk.Size()),
                 atomChunk_, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IPlugLV2::RestoreState(LV2_State_Retrieve_Function retrieve,
                                        LV2_State_Handle handle)
{
    if (map_ == nullptr)
    {
        return LV2_STATE_ERR_NO_FEATURE;
    }
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, stateKey_, &size, &type, &flags);
    if (data == nullptr)
    {
        return LV2_STATE_ERR_NO_PROPERTY;
    }
    StateChunk chunk;
    if (type == atomString_)
    {
        const auto* text = static_cast<const char*>(data);
        chunk.PutStr(std::string(text, strnlen(text, size)));
    }
    else if (type == atomChunk_ && size <= static_cast<std::size_t>(INT32_MAX))
    {
        chunk.PutBytes(data, static_cast<int>(size));
    }
    else
    {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const auto lock = LockPlugin();
    DeserializeState(chunk, 0);
    adoptPortValues_.store(true);
    PushValuesToEditor();
    return LV2_STATE_SUCCESS;
}

float IPlugLV2::KnownPortValue(int index) const noexcept
{
    return index >= 0 && index < layout_.parameters
               ? knownPortValues_[static_cast<std::size_t>(index)].load()
               : 0.0f;
}

void IPlugLV2::BeginHostGesture(int index)
{
    Lv2HostLink* link = hostLink_.load();
    if (link != nullptr && index >= 0 && index < layout_.parameters)
    {
        link->TouchControlPort(static_cast<uint32_t>(layout_.FirstParameter() + index), true);
    }
}

void IPlugLV2::NotifyHostOfChange(int index, double /*normalised*/)
{
    if (index < 0 || index >= layout_.parameters)
    {
        return;
    }
    // The host gets the real value the parameter now holds; when it comes back through the
    // port it is no change and is not applied a second time.
    const auto value = static_cast<float>(Param(index)->Value());
    const auto i = static_cast<std::size_t>(index);
    const float previous = knownPortValues_[i].exchange(value);
    if (previous != value)
    {
        stalePortValues_[i].store(previous);
    }
    Lv2HostLink* link = hostLink_.load();
    if (link != nullptr)
    {
        link->WriteControlPort(static_cast<uint32_t>(layout_.FirstParameter() + index), value);
    }
}

void IPlugLV2::EndHostGesture(int index)
{
    Lv2HostLink* link = hostLink_.load();
    if (link != nullptr && index >= 0 && index < layout_.parameters)
    {
        link->TouchControlPort(static_cast<uint32_t>(layout_.FirstParameter() + index), false);
    }
}

void IPlugLV2::HostTimeSignature(int* numerator, int* denominator)
{
    if (numerator != nullptr)
    {
        *numerator = 4;
    }
    if (denominator != nullptr)
    {
        *denominator = 4;
    }
}

void IPlugLV2::HostTimeInfo(TimeInfo* info)
{
    if (info != nullptr)
    {
        *info = TimeInfo{};
    }
}
