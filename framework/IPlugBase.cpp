#include "framework/IPlugBase.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "framework/IPlugTrace.h"

namespace
{

struct HostToken
{
    const char* token;
    int identifier;
};

// Tested in this order; the first token found anywhere in the lower-cased host name wins.
constexpr HostToken kHostTable[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAuLab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPresonus},
    {"vst3plugintesthost", kHostVst3PluginTestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMpt},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
    {"wavelab", kHostWaveLab},
};

// Reads an optionally signed decimal number at `text`, skipping leading blanks. Advances
// `text` past it and returns true when digits were found; out-of-range numbers saturate.
bool ReadInt(const char*& text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text)
    {
        return false;
    }
    value = static_cast<int>(std::clamp<long>(parsed, INT_MIN, INT_MAX));
    text = end;
    return true;
}

// End of the channel range first .. first + count - 1, cut to the existing channels.
int RangeEnd(int first, int count, int total)
{
    const long long end = static_cast<long long>(first) + std::max(count, 0);
    return static_cast<int>(std::min<long long>(end, total));
}

int ClampChannelCount(int count)
{
    return std::clamp(count, 0, IPlugBase::kMaxChannels);
}

void CopyOrZero(const double* in, double* out, int frames)
{
    if (out == nullptr || frames <= 0)
    {
        return;
    }
    if (in == nullptr)
    {
        std::fill(out, out + frames, 0.0);
    }
    else if (in != out)
    {
        std::memmove(out, in, static_cast<std::size_t>(frames) * sizeof(double));
    }
}

void TraceConstruction(const char* effectName)
{
    if (CurrentTraceHook() == nullptr)
    {
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &utc);
    Trace("%s:%s", effectName, stamp);
}

} // namespace

void FormatHostVersion(int version, char* out, std::size_t outSize) noexcept
{
    if (out == nullptr || outSize == 0)
    {
        return;
    }
    std::snprintf(out, outSize, "v%d.%d.%d", VersionMajor(version), VersionMinor(version),
                  VersionRevision(version));
}

IPlugBase::IPlugBase(const PluginDescription& description, int apiKind)
    : uniqueId_(description.uniqueId), makerId_(description.makerId), version_(description.version),
      apiKind_(apiKind), savesChunks_(description.savesChunks),
      isInstrument_(description.isInstrument), receivesMidi_(description.receivesMidi),
      latency_(std::max(description.latency, 0))
{
    for (int i = 0; i < description.parameterCount; ++i)
    {
        params_.push_back(std::make_unique<IPlugParameter>());
    }
    for (int i = 0; i < description.presetCount; ++i)
    {
        presets_.push_back(std::make_unique<IPlugPreset>());
    }
    CopyFixedText(effectName_, sizeof(effectName_), description.effectName);
    CopyFixedText(productName_, sizeof(productName_), description.productName);
    CopyFixedText(makerName_, sizeof(makerName_), description.makerName);
    ParseChannelIOs(description.channelIOs);
    TraceConstruction(effectName_);
}

void IPlugBase::PrepareForHost(const char* hostName, int blockSize)
{
    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    if (InputCount() > 0)
    {
        CreateLatencyDelayLine();
    }
    SetHostBlockSize(blockSize);
    SetHost(hostName, version_);
}

void IPlugBase::ParseChannelIOs(const char* text)
{
    int widestInputs = 0;
    int widestOutputs = 0;
    const char* cursor = text;
    while (cursor != nullptr)
    {
        ChannelIO pair;
        const char* p = cursor;
        if (ReadInt(p, pair.inputs) && *p == '-')
        {
            ++p;
            ReadInt(p, pair.outputs);
        }
        pair.inputs = ClampChannelCount(pair.inputs);
        pair.outputs = ClampChannelCount(pair.outputs);
        channelIOs_.push_back(pair);
        widestInputs = std::max(widestInputs, pair.inputs);
        widestOutputs = std::max(widestOutputs, pair.outputs);
        cursor = std::strchr(cursor, ' ');
        if (cursor != nullptr)
        {
            ++cursor;
        }
    }
    inputPointers_.assign(static_cast<std::size_t>(widestInputs), nullptr);
    outputPointers_.assign(static_cast<std::size_t>(widestOutputs), nullptr);
    inputs_.resize(static_cast<std::size_t>(widestInputs));
    outputs_.resize(static_cast<std::size_t>(widestOutputs));
    // The scratch buffers get their room for kMaxBlockFrames here, once, so that a host that
    // changes its block size on the audio thread never makes them allocate.
    const auto reserved = static_cast<std::size_t>(scratchCapacity_);
    for (int c = 0; c < widestInputs; ++c)
    {
        inputs_[static_cast<std::size_t>(c)].slot = c;
        inputs_[static_cast<std::size_t>(c)].scratch.reserve(reserved);
    }
    for (int c = 0; c < widestOutputs; ++c)
    {
        outputs_[static_cast<std::size_t>(c)].slot = c;
        outputs_[static_cast<std::size_t>(c)].scratch.reserve(reserved);
    }
}

IPlugBase::~IPlugBase()
{
    delete editor_;
    editor_ = nullptr;
    while (!params_.empty())
    {
        params_.pop_back();
    }
    while (!presets_.empty())
    {
        presets_.pop_back();
    }
    inputs_.clear();
    outputs_.clear();
    channelIOs_.clear();
    delayLine_.reset();
    surface_.reset();
}

void IPlugBase::ResetProcessing()
{
    const auto lock = LockPlugin();
}

void IPlugBase::OnParameterChanged(int /*index*/, ParameterChangeSource /*source*/)
{
    const auto lock = LockPlugin();
}

void IPlugBase::ProcessBlock(double** inputs, double** outputs, int frames) noexcept
{
    for (int c = 0; c < OutputCount(); ++c)
    {
        const double* in = c < InputCount() ? inputs[c] : nullptr;
        CopyOrZero(in, outputs[c], frames);
    }
}

bool IPlugBase::SerializeState(StateChunk& chunk)
{
    return SerializeParams(chunk);
}

int IPlugBase::DeserializeState(const StateChunk& chunk, int position)
{
    return UnserializeParams(chunk, position);
}

bool IPlugBase::CompareParams(const double* values, int first) const
{
    if (values == nullptr || first < 0)
    {
        return ParameterCount() == 0;
    }
    for (int i = 0; i < ParameterCount(); ++i)
    {
        const float current = static_cast<float>(params_[static_cast<std::size_t>(i)]->Value());
        const float stored = static_cast<float>(values[first + i]);
        if (!(std::fabs(current - stored) < 1e-5f))
        {
            return false;
        }
    }
    return true;
}

bool IPlugBase::HoldsCurrentState(const char* bytes, int size)
{
    StateChunk current;
    if (bytes == nullptr || size < 0 || !SerializeState(current))
    {
        return false;
    }
    if (size == current.Size() &&
        std::memcmp(bytes, current.Data(), static_cast<size_t>(size)) == 0)
    {
        return true;
    }
    int32_t count = 0;
    const size_t valuesBytes = sizeof(double) * static_cast<size_t>(ParameterCount());
    if (static_cast<size_t>(size) < sizeof count + valuesBytes)
    {
        return false;
    }
    std::memcpy(&count, bytes, sizeof count);
    if (count < ParameterCount())
    {
        return false;
    }
    std::vector<double> values(static_cast<size_t>(ParameterCount()));
    std::memcpy(values.data(), bytes + sizeof count, valuesBytes);
    return CompareParams(values.data(), 0);
}

void IPlugBase::OnParamContextClick(int /*index*/, int /*x*/, int /*y*/) {}

void IPlugBase::SetParameterFromGUI(int index, double normalised)
{
    const auto lock = LockPlugin();
    IPlugParameter* param = Param(index);
    if (param == nullptr || !std::isfinite(normalised))
    {
        return;
    }
    param->SetFromNormalized(normalised);
    Trace("%d:%f", index, param->Value());
    NotifyHostOfChange(index, normalised);
    OnParameterChanged(index, ParameterChangeSource::Editor);
}

bool IPlugBase::SetParameterFromHost(int index, double normalised)
{
    const auto lock = LockPlugin();
    IPlugParameter* param = Param(index);
    if (param == nullptr || !std::isfinite(normalised))
    {
        return false;
    }
    param->SetFromNormalized(normalised);
    if (editor_ != nullptr)
    {
        editor_->UpdateControlsForParameter(index, std::clamp(normalised, 0.0, 1.0), true);
    }
    OnParameterChanged(index, ParameterChangeSource::Host);
    return true;
}

bool IPlugBase::SetParameterValueFromHost(int index, double value)
{
    const auto lock = LockPlugin();
    IPlugParameter* param = Param(index);
    if (param == nullptr || !std::isfinite(value))
    {
        return false;
    }
    param->SetClamped(value);
    if (editor_ != nullptr)
    {
        editor_->UpdateControlsForParameter(index, param->Normalized(), true);
    }
    OnParameterChanged(index, ParameterChangeSource::Host);
    return true;
}

void IPlugBase::EditorResized(int /*width*/, int /*height*/) {}

void IPlugBase::AttachEditor(IPlugEditor* editor)
{
    if (editor == nullptr)
    {
        return;
    }
    const auto lock = LockPlugin();
    editor->CreateBackingStore();
    for (int i = 0; i < ParameterCount(); ++i)
    {
        editor->UpdateControlsForParameter(i, params_[static_cast<std::size_t>(i)]->Normalized(),
                                           true);
    }
    if (editor_ != editor)
    {
        delete editor_;
        editor_ = editor;
    }
    if (surface_ != nullptr)
    {
        surface_->AttachToGraphics(editor);
    }
}

void IPlugBase::SetLatencySamples(int samples)
{
    latency_ = std::max(samples, 0);
    if (delayLine_ != nullptr)
    {
        delayLine_->latency = latency_;
        delayLine_->ring.assign(
            static_cast<std::size_t>(latency_) * static_cast<std::size_t>(delayLine_->inputs), 0.0);
        delayLine_->writeFrame = 0;
    }
}

void IPlugBase::PushValuesToEditor()
{
    if (editor_ == nullptr)
    {
        return;
    }
    for (int i = 0; i < ParameterCount(); ++i)
    {
        editor_->UpdateControlsForParameter(i, params_[static_cast<std::size_t>(i)]->Value(),
                                            false);
    }
}

void IPlugBase::SetHostBlockSize(int frames)
{
    frames = std::max(frames, 0);
    if (frames == BlockSize())
    {
        return;
    }
    const auto size = static_cast<std::size_t>(frames);
    // Within the reserved room assign only moves the end of each buffer; beyond it the buffers
    // are reallocated, and every channel pointer follows its buffer.
    scratchCapacity_ = std::max(scratchCapacity_, frames);
    for (InputChannel& channel : inputs_)
    {
        channel.scratch.assign(size, 0.0);
        inputPointers_[static_cast<std::size_t>(channel.slot)] = channel.scratch.data();
    }
    for (OutputChannel& channel : outputs_)
    {
        channel.scratch.assign(size, 0.0);
        outputPointers_[static_cast<std::size_t>(channel.slot)] = channel.scratch.data();
    }
    blockSize_.store(frames, std::memory_order_relaxed);
}

IPlugParameter* IPlugBase::Param(int index) noexcept
{
    if (index < 0 || index >= ParameterCount())
    {
        return nullptr;
    }
    return params_[static_cast<std::size_t>(index)].get();
}

const IPlugParameter* IPlugBase::Param(int index) const noexcept
{
    if (index < 0 || index >= ParameterCount())
    {
        return nullptr;
    }
    return params_[static_cast<std::size_t>(index)].get();
}

bool IPlugBase::SerializeParams(StateChunk& chunk)
{
    const auto lock = LockPlugin();
    const auto count = static_cast<std::int32_t>(ParameterCount());
    bool ok = chunk.Put(count);
    for (int i = 0; i < count && ok; ++i)
    {
        const IPlugParameter& param = *params_[static_cast<std::size_t>(i)];
        const double value = param.Value();
        Trace("%d %s %f", i, param.Name(), value);
        ok = chunk.Put(value);
    }
    return ok;
}

int IPlugBase::UnserializeParams(const StateChunk& chunk, int position)
{
    const auto lock = LockPlugin();
    std::int32_t count = ParameterCount();
    position = chunk.Get(&count, position);
    const int readable = std::min<int>(count, ParameterCount());
    for (int i = 0; i < readable && position >= 0; ++i)
    {
        double value = 0.0;
        position = chunk.Get(&value, position);
        if (position < 0)
        {
            break;
        }
        IPlugParameter& param = *params_[static_cast<std::size_t>(i)];
        param.SetClamped(value);
        Trace("%d %s %f", i, param.Name(), param.Value());
    }
    for (int i = 0; i < ParameterCount(); ++i)
    {
        OnParameterChanged(i, ParameterChangeSource::Restore);
    }
    return position;
}

void IPlugBase::CapturePreset(const char* name, int count)
{
    for (auto& preset : presets_)
    {
        if (count <= 0)
        {
            return;
        }
        if (preset->initialised)
        {
            continue;
        }
        preset->initialised = true;
        CopyFixedText(preset->name, sizeof(preset->name), name == nullptr ? "Empty" : name);
        preset->chunk.Clear();
        SerializeState(preset->chunk);
        --count;
    }
}

const IPlugPreset* IPlugBase::Preset(int index) const noexcept
{
    if (index < 0 || index >= PresetCount())
    {
        return nullptr;
    }
    return presets_[static_cast<std::size_t>(index)].get();
}

void IPlugBase::SetHost(const char* name, int version)
{
    CopyFixedText(hostName_, sizeof(hostName_), name);
    for (char& c : hostName_)
    {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    hostId_ = kHostUnknown;
    for (const HostToken& row : kHostTable)
    {
        if (std::strstr(hostName_, row.token) != nullptr)
        {
            hostId_ = row.identifier;
            break;
        }
    }
    hostVersion_ = version;
    char versionText[32];
    FormatHostVersion(version, versionText, sizeof(versionText));
    Trace("host_%sknown:%s:%s", hostId_ == kHostUnknown ? "un" : "", hostName_, versionText);
}

void IPlugBase::SetHostSampleRate(double sampleRate) noexcept
{
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
}

ChannelIO IPlugBase::ChannelIOAt(int index) const noexcept
{
    if (index < 0 || index >= ChannelIOCount())
    {
        return {};
    }
    return channelIOs_[static_cast<std::size_t>(index)];
}

bool IPlugBase::IsInputConnected(int channel) const noexcept
{
    return channel >= 0 && channel < InputCount() &&
           inputs_[static_cast<std::size_t>(channel)].connected;
}

bool IPlugBase::IsOutputConnected(int channel) const noexcept
{
    return channel >= 0 && channel < OutputCount() &&
           outputs_[static_cast<std::size_t>(channel)].connected;
}

void IPlugBase::ConnectInputs(int first, int count, bool connected) noexcept
{
    const int end = RangeEnd(first, count, InputCount());
    for (int c = std::max(first, 0); c < end; ++c)
    {
        InputChannel& channel = inputs_[static_cast<std::size_t>(c)];
        channel.connected = connected;
        if (!connected)
        {
            inputPointers_[static_cast<std::size_t>(channel.slot)] = channel.scratch.data();
        }
    }
}

void IPlugBase::ConnectOutputs(int first, int count, bool connected) noexcept
{
    const int end = RangeEnd(first, count, OutputCount());
    for (int c = std::max(first, 0); c < end; ++c)
    {
        OutputChannel& channel = outputs_[static_cast<std::size_t>(c)];
        channel.connected = connected;
        if (!connected)
        {
            outputPointers_[static_cast<std::size_t>(channel.slot)] = channel.scratch.data();
            channel.destination = nullptr;
        }
    }
}

void IPlugBase::FitBlockSizeToHost(int frames)
{
    const int blockSize = std::clamp(frames, 0, scratchCapacity_);
    if (blockSize != BlockSize())
    {
        SetHostBlockSize(blockSize);
        ResetProcessing();
    }
}

void IPlugBase::RunHostBlock(float* const* inputs, int inputChannels, float* const* outputs,
                             int outputChannels, int frames, bool bypassed) noexcept
{
    inputChannels = std::clamp(inputChannels, 0, InputCount());
    outputChannels = std::clamp(outputChannels, 0, OutputCount());
    const int slice = std::max(BlockSize(), 1);
    // The host's channel pointers advanced to the current slice; a null entry stays null.
    float* sliceInputs[kMaxChannels] = {};
    float* sliceOutputs[kMaxChannels] = {};
    // An empty block still runs once, with 0 frames, as the host delivered it.
    frames = std::max(frames, 0);
    int done = 0;
    do
    {
        const int n = std::min(slice, frames - done);
        for (int c = 0; c < inputChannels; ++c)
        {
            sliceInputs[c] = inputs != nullptr && inputs[c] != nullptr ? inputs[c] + done : nullptr;
        }
        for (int c = 0; c < outputChannels; ++c)
        {
            sliceOutputs[c] =
                outputs != nullptr && outputs[c] != nullptr ? outputs[c] + done : nullptr;
        }
        ClearChannelBuffers();
        ConnectInputs(0, InputCount(), false);
        ConnectInputs(0, inputChannels, true);
        TakeInputs(0, inputChannels, inputs != nullptr ? sliceInputs : nullptr, n);
        ConnectOutputs(0, outputChannels, true);
        ConnectOutputs(outputChannels, OutputCount() - outputChannels, false);
        TakeOutputs(0, OutputCount(), outputs != nullptr ? sliceOutputs : nullptr);
        if (bypassed)
        {
            RunBypassedBlock(n);
        }
        else
        {
            RunBlock(n);
        }
        done += n;
    } while (done < frames);
}

int IPlugBase::LimitFrames(int frames) const noexcept
{
    return std::clamp(frames, 0, BlockSize());
}

void IPlugBase::TakeInputs(int first, int count, float** data, int frames) noexcept
{
    frames = LimitFrames(frames);
    const int end = RangeEnd(first, count, InputCount());
    int entry = 0;
    for (int c = std::max(first, 0); c < end; ++c)
    {
        InputChannel& channel = inputs_[static_cast<std::size_t>(c)];
        if (!channel.connected)
        {
            continue;
        }
        const float* source = data != nullptr ? data[entry] : nullptr;
        ++entry;
        double* scratch = channel.scratch.data();
        for (int i = 0; i < frames; ++i)
        {
            scratch[i] = source != nullptr ? static_cast<double>(source[i]) : 0.0;
        }
        inputPointers_[static_cast<std::size_t>(channel.slot)] = scratch;
    }
}

void IPlugBase::TakeOutputs(int first, int count, float** data) noexcept
{
    const int end = RangeEnd(first, count, OutputCount());
    int entry = 0;
    for (int c = std::max(first, 0); c < end; ++c)
    {
        OutputChannel& channel = outputs_[static_cast<std::size_t>(c)];
        if (!channel.connected)
        {
            continue;
        }
        outputPointers_[static_cast<std::size_t>(channel.slot)] = channel.scratch.data();
        channel.destination = data != nullptr ? data[entry] : nullptr;
        ++entry;
    }
}

void IPlugBase::ClearChannelBuffers() noexcept
{
    for (InputChannel& channel : inputs_)
    {
        std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
    }
    for (OutputChannel& channel : outputs_)
    {
        std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
    }
}

void IPlugBase::ConvertOutputs(int frames) noexcept
{
    for (OutputChannel& channel : outputs_)
    {
        if (!channel.connected || channel.destination == nullptr)
        {
            continue;
        }
        const double* scratch = outputPointers_[static_cast<std::size_t>(channel.slot)];
        for (int i = 0; i < frames; ++i)
        {
            channel.destination[i] = static_cast<float>(scratch[i]);
        }
    }
}

void IPlugBase::RunBlock(int frames) noexcept
{
    frames = LimitFrames(frames);
    ProcessBlock(inputPointers_.data(), outputPointers_.data(), frames);
    ConvertOutputs(frames);
}

void IPlugBase::RunBypassedBlock(int frames) noexcept
{
    frames = LimitFrames(frames);
    if (latency_ > 0 && delayLine_ != nullptr && delayLine_->latency > 0)
    {
        DelayThrough(frames);
    }
    else
    {
        CopyThrough(frames);
    }
    ConvertOutputs(frames);
}

void IPlugBase::CopyThrough(int frames) noexcept
{
    for (int c = 0; c < OutputCount(); ++c)
    {
        const double* in = c < InputCount() ? inputPointers_[static_cast<std::size_t>(c)] : nullptr;
        CopyOrZero(in, outputPointers_[static_cast<std::size_t>(c)], frames);
    }
}

void IPlugBase::DelayThrough(int frames) noexcept
{
    LatencyDelayLine& line = *delayLine_;
    const int channels = std::min(line.inputs, InputCount());
    for (int i = 0; i < frames; ++i)
    {
        double* slot = line.ring.data() + static_cast<std::size_t>(line.writeFrame) *
                                              static_cast<std::size_t>(line.inputs);
        for (int c = 0; c < channels; ++c)
        {
            const double delayed = slot[c];
            slot[c] = inputPointers_[static_cast<std::size_t>(c)][i];
            if (c < OutputCount())
            {
                outputPointers_[static_cast<std::size_t>(c)][i] = delayed;
            }
        }
        line.writeFrame = (line.writeFrame + 1) % line.latency;
    }
    for (int c = channels; c < OutputCount(); ++c)
    {
        CopyOrZero(nullptr, outputPointers_[static_cast<std::size_t>(c)], frames);
    }
}

void IPlugBase::CreateLatencyDelayLine()
{
    auto line = std::make_unique<LatencyDelayLine>();
    line->inputs = InputCount();
    line->outputs = OutputCount();
    line->latency = latency_;
    line->ring.assign(static_cast<std::size_t>(latency_) * static_cast<std::size_t>(InputCount()),
                      0.0);
    delayLine_ = std::move(line);
}

void IPlugBase::SetEditorSurface(std::unique_ptr<IPlugEditorSurface> surface) noexcept
{
    surface_ = std::move(surface);
}
