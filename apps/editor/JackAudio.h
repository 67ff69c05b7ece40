#pragma once

#include "session/AudioSession.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VantorKestrune;
typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// The plug-in as a JACK client: stereo inputs in_l and in_r, outputs out_l and out_r, the
// plug-in run on JACK's process thread. A file given to Start plays into the plug-in in place
// of the inputs, from the first cycle after BeginPlaying (until then the outputs are silent and
// the plug-in does not run, so the file meets it as fresh as `kestrune process` does); after
// the file the live inputs come through. The process thread allocates nothing and takes only
// the plug-in lock.
class JackAudio
{
public:
    // Opens a client on a running server (none is started); a ToolError when there is none.
    explicit JackAudio(const std::string& clientName);
    ~JackAudio();
    JackAudio(const JackAudio&) = delete;
    JackAudio& operator=(const JackAudio&) = delete;

    int SampleRateHz() const noexcept;
    int BufferFrames() const noexcept;

    // Activates the client with the plug-in, prepared at the server's rate, and the file (mono
    // or stereo at that rate; empty: live inputs only).
    void Start(VantorKestrune& plugin, const AudioData& file, bool loop);
    // Outputs to the system's playback ports and the system's capture ports to the inputs.
    void ConnectToSystem();
    // Outputs to the input ports of the client `name`, in order, and its outputs to ours.
    void ConnectToClient(const std::string& name);
    void BeginPlaying() noexcept { playing_.store(true); }

    bool FileFinished() const noexcept { return fileFinished_.load(); }
    bool ServerGone() const noexcept { return serverGone_.load(); }

private:
    static int Process(uint32_t frames, void* self) noexcept;
    static void Shutdown(void* self) noexcept;
    void ProcessCycle(int frames) noexcept;
    // Fills the plug-in's inputs for `frames` frames from `offset` in the cycle.
    void ReadInputs(const float* const* live, int offset, int frames) noexcept;
    void ConnectPair(const std::string& from, const std::string& to);

    jack_client_t* client_ = nullptr;
    std::array<jack_port_t*, 2> inputs_{};
    std::array<jack_port_t*, 2> outputs_{};
    VantorKestrune* plugin_ = nullptr;
    const AudioData* file_ = nullptr;
    bool loop_ = false;
    int blockFrames_ = 0;
    long filePosition_ = 0;
    std::array<std::vector<double>, 2> in_;
    std::array<std::vector<double>, 2> out_;
    std::atomic<bool> playing_{false};
    std::atomic<bool> fileFinished_{false};
    std::atomic<bool> serverGone_{false};
};
