#pragma once

#include "session/AudioSession.h"

#include <atomic>
#include <thread>
#include <vector>

class VantorKestrune;

// Plays audio through a plug-in instance on an audio thread of its own, one block per block
// duration of wall-clock time, as a host's audio thread does; the output is discarded. The
// thread allocates nothing once started and takes only the plug-in lock, per block.
class RealtimePlayer
{
public:
    RealtimePlayer(VantorKestrune& plugin, const AudioData& audio, int blockFrames, bool loop);
    ~RealtimePlayer();
    RealtimePlayer(const RealtimePlayer&) = delete;
    RealtimePlayer& operator=(const RealtimePlayer&) = delete;

    // Nothing happens without audio.
    void Start();
    void Stop();

private:
    void Play();

    VantorKestrune& plugin;
    const AudioData& audio;
    int blockFrames;
    bool loop;
    std::vector<double> in0, in1, out0, out1;
    std::atomic<bool> stop{false};
    std::thread thread;
};
