#include "apps/editor/JackAudio.h"

#include "plugin/VantorKestrune.h"

#include <jack/jack.h>

#include <algorithm>
#include <cstdio>

namespace
{

constexpr const char* kInputNames[2] = {"in_l", "in_r"};
constexpr const char* kOutputNames[2] = {"out_l", "out_r"};

// libjack reports a missing server on standard error in several lines; the program says it in
// one of its own instead.
void IgnoreJackError(const char* /*message*/) {}

// Port names matching `pattern` with `flags`, in the server's order.
std::vector<std::string> PortNames(jack_client_t* client, const char* pattern, unsigned long flags)
{
    std::vector<std::string> names;
    if (const char** ports = jack_get_ports(client, pattern, nullptr, flags))
    {
        for (const char** port = ports; *port != nullptr; ++port)
        {
            names.emplace_back(*port);
        }
        jack_free(ports);
    }
    return names;
}

} // namespace

JackAudio::JackAudio(const std::string& clientName)
{
    jack_set_error_function(&IgnoreJackError);
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    jack_set_error_function(nullptr);
    if (client_ == nullptr)
    {
        throw ToolError("no JACK server is running (start one, or use --audio none)");
    }
    for (int c = 0; c < 2; ++c)
    {
        inputs_[c] = jack_port_register(client_, kInputNames[c], JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsInput, 0);
        outputs_[c] = jack_port_register(client_, kOutputNames[c], JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsOutput, 0);
        if (inputs_[c] == nullptr || outputs_[c] == nullptr)
        {
            jack_client_close(client_);
            throw ToolError("the JACK server refused our ports");
        }
    }
}

JackAudio::~JackAudio()
{
    if (!serverGone_.load())
    {
        jack_deactivate(client_);
    }
    jack_client_close(client_);
}

int JackAudio::SampleRateHz() const noexcept
{
    return static_cast<int>(jack_get_sample_rate(client_));
}

int JackAudio::BufferFrames() const noexcept
{
    return static_cast<int>(jack_get_buffer_size(client_));
}

void JackAudio::Start(VantorKestrune& plugin, const AudioData& file, bool loop)
{
    if (file.Frames() > 0 && file.sampleRateHz != SampleRateHz())
    {
        throw ToolError("the input is " + std::to_string(file.sampleRateHz) +
                        " Hz, the JACK server runs at " + std::to_string(SampleRateHz()) + " Hz");
    }
    plugin_ = &plugin;
    file_ = file.Frames() > 0 ? &file : nullptr;
    loop_ = loop;
    blockFrames_ = std::max(1, BufferFrames());
    for (int c = 0; c < 2; ++c)
    {
        in_[c].assign(static_cast<std::size_t>(blockFrames_), 0.0);
        out_[c].assign(static_cast<std::size_t>(blockFrames_), 0.0);
    }
    jack_set_process_callback(client_, &JackAudio::Process, this);
    jack_on_shutdown(client_, &JackAudio::Shutdown, this);
    if (jack_activate(client_) != 0)
    {
        throw ToolError("the JACK server did not activate the client");
    }
}

void JackAudio::ConnectPair(const std::string& from, const std::string& to)
{
    const int result = jack_connect(client_, from.c_str(), to.c_str());
    if (result != 0 && result != EEXIST)
    {
        throw ToolError("cannot connect " + from + " to " + to);
    }
}

void JackAudio::ConnectToSystem()
{
    const auto playback = PortNames(client_, nullptr, JackPortIsPhysical | JackPortIsInput);
    const auto capture = PortNames(client_, nullptr, JackPortIsPhysical | JackPortIsOutput);
    for (std::size_t c = 0; c < 2; ++c)
    {
        if (!playback.empty())
        {
            ConnectPair(jack_port_name(outputs_[c]), playback[std::min(c, playback.size() - 1)]);
        }
        if (!capture.empty())
        {
            ConnectPair(capture[std::min(c, capture.size() - 1)], jack_port_name(inputs_[c]));
        }
    }
}

void JackAudio::ConnectToClient(const std::string& name)
{
    const std::string pattern = "^" + name + ":";
    const auto theirInputs = PortNames(client_, pattern.c_str(), JackPortIsInput);
    const auto theirOutputs = PortNames(client_, pattern.c_str(), JackPortIsOutput);
    if (theirInputs.empty() && theirOutputs.empty())
    {
        throw ToolError("no JACK client \"" + name + "\" with audio ports");
    }
    for (std::size_t c = 0; c < 2; ++c)
    {
        if (c < theirInputs.size())
        {
            ConnectPair(jack_port_name(outputs_[c]), theirInputs[c]);
        }
        if (c < theirOutputs.size())
        {
            ConnectPair(theirOutputs[c], jack_port_name(inputs_[c]));
        }
    }
}

int JackAudio::Process(uint32_t frames, void* self) noexcept
{
    static_cast<JackAudio*>(self)->ProcessCycle(static_cast<int>(frames));
    return 0;
}

void JackAudio::Shutdown(void* self) noexcept
{
    static_cast<JackAudio*>(self)->serverGone_.store(true);
}

void JackAudio::ProcessCycle(int frames) noexcept
{
    const float* live[2];
    float* outputs[2];
    for (int c = 0; c < 2; ++c)
    {
        live[c] = static_cast<const float*>(jack_port_get_buffer(inputs_[c], frames));
        outputs[c] = static_cast<float*>(jack_port_get_buffer(outputs_[c], frames));
    }
    if (file_ != nullptr && !playing_.load(std::memory_order_relaxed))
    {
        std::fill_n(outputs[0], frames, 0.0f);
        std::fill_n(outputs[1], frames, 0.0f);
        return;
    }
    // A server that grew its buffer after we started: the plug-in runs it in blocks of the
    // size it was prepared for.
    for (int offset = 0; offset < frames; offset += blockFrames_)
    {
        const int n = std::min(blockFrames_, frames - offset);
        ReadInputs(live, offset, n);
        double* in[2] = {in_[0].data(), in_[1].data()};
        double* out[2] = {out_[0].data(), out_[1].data()};
        {
            const auto lock = plugin_->LockPlugin();
            plugin_->ProcessBlock(in, out, n);
        }
        for (int c = 0; c < 2; ++c)
        {
            std::transform(out[c], out[c] + n, outputs[c] + offset,
                           [](double sample) { return static_cast<float>(sample); });
        }
    }
}

void JackAudio::ReadInputs(const float* const* live, int offset, int frames) noexcept
{
    const bool fromFile = file_ != nullptr && !fileFinished_.load(std::memory_order_relaxed);
    if (!fromFile)
    {
        for (int c = 0; c < 2; ++c)
        {
            std::copy_n(live[c] + offset, frames, in_[c].begin());
        }
        return;
    }
    const auto& channels = file_->channels;
    for (int i = 0; i < frames; ++i)
    {
        if (filePosition_ >= file_->Frames())
        {
            filePosition_ = 0;
            if (!loop_)
            {
                fileFinished_.store(true);
                std::fill(in_[0].begin() + i, in_[0].begin() + frames, 0.0);
                std::fill(in_[1].begin() + i, in_[1].begin() + frames, 0.0);
                return;
            }
        }
        const auto position = static_cast<std::size_t>(filePosition_++);
        in_[0][static_cast<std::size_t>(i)] = channels[0][position];
        in_[1][static_cast<std::size_t>(i)] = channels[channels.size() > 1 ? 1 : 0][position];
    }
}
