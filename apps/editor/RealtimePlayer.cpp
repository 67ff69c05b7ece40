#include "apps/editor/RealtimePlayer.h"

#include "plugin/VantorKestrune.h"

#include <algorithm>
#include <chrono>

RealtimePlayer::RealtimePlayer(VantorKestrune& plugIn, const AudioData& audioIn, int frames,
                               bool loopIn)
    : plugin(plugIn), audio(audioIn), blockFrames(frames), loop(loopIn),
      in0(static_cast<std::size_t>(frames)), in1(static_cast<std::size_t>(frames)),
      out0(static_cast<std::size_t>(frames)), out1(static_cast<std::size_t>(frames))
{
}

RealtimePlayer::~RealtimePlayer()
{
    Stop();
}

void RealtimePlayer::Start()
{
    if (audio.Frames() == 0 || audio.sampleRateHz <= 0 || thread.joinable())
    {
        return;
    }
    stop.store(false);
    thread = std::thread([this] { Play(); });
}

void RealtimePlayer::Stop()
{
    stop.store(true);
    if (thread.joinable())
    {
        thread.join();
    }
}

void RealtimePlayer::Play()
{
    using Clock = std::chrono::steady_clock;
    const bool mono = audio.channels.size() == 1;
    const auto blockDuration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(blockFrames) / audio.sampleRateHz));
    auto deadline = Clock::now();
    int start = 0;
    while (!stop.load())
    {
        if (start >= audio.Frames())
        {
            if (!loop)
            {
                return;
            }
            start = 0;
        }
        const int n = std::min(blockFrames, audio.Frames() - start);
        std::copy_n(audio.channels[0].begin() + start, n, in0.begin());
        if (mono)
        {
            std::fill_n(in1.begin(), n, 0.0); // the mono configuration's unused second input
        }
        else
        {
            std::copy_n(audio.channels[1].begin() + start, n, in1.begin());
        }
        double* inputs[2] = {in0.data(), in1.data()};
        double* outputs[2] = {out0.data(), out1.data()};
        {
            const auto lock = plugin.LockPlugin();
            plugin.ProcessBlock(inputs, outputs, n);
        }
        start += n;
        deadline += blockDuration;
        std::this_thread::sleep_until(deadline);
    }
}
