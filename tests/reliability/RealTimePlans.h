#pragma once

// The host behaviours the real-time tests put each adapter through, and the check that runs
// them with the probe armed around every block.

#include "tests/reliability/RealTimeProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace reliability
{

// Larger than any plan's block, so every block reads real input.
constexpr int kLongestBlock = 65536;

struct BlockPlan
{
    const char* name;
    std::vector<int> frames; // one host block each, in order
    bool bypassed;
};

inline std::vector<int> Repeat(int frames, int count)
{
    return std::vector<int>(static_cast<size_t>(count), frames);
}

inline std::vector<BlockPlan> HostPlans()
{
    return {
        {"steady blocks of 512", Repeat(512, 120), false},
        {"block size grows and shrinks",
         {64, 64, 512, 512, 4096, 4096, 8192, 8192, 4096, 512, 64, 1, 333, 1, 8191, 8192, 64},
         false},
        {"blocks beyond the reserved room",
         {16384, 16384, 65536, 8193, 20000, 256, 65536, 64},
         false},
        {"bypassed, size changing", {512, 512, 64, 8192, 16384, 512}, true},
    };
}

// Runs every plan: `bypass(on)` before it, as the host switches its bypass, then
// `render(frames)` for each block (one host block on this thread, the audio thread, returning
// whether the output is finite) with the probe armed around each call, and expects nothing
// counted. `pluginMutex` is the plug-in lock's native handle, the one lock the audio path may
// take.
template <class Bypass, class Render>
void ExpectRealTimeSafe(Bypass bypass, Render render, const void* pluginMutex)
{
    for (const BlockPlan& plan : HostPlans())
    {
        SCOPED_TRACE(plan.name);
        bypass(plan.bypassed);
        rtprobe::Counts total;
        bool printed = false;
        for (int frames : plan.frames)
        {
            rtprobe::Arm(pluginMutex);
            const bool finite = render(frames);
            const rtprobe::Counts counts = rtprobe::Disarm();
            EXPECT_TRUE(finite) << frames << " frames";
            if ((counts.allocations != 0 || counts.frees != 0 || counts.locks != 0) && !printed)
            {
                printed = true;
                ADD_FAILURE() << "block of " << frames << " frames: " << counts.allocations
                              << " allocations, " << counts.frees << " frees, " << counts.locks
                              << " locks; first one from:";
                rtprobe::PrintFirstEvent();
            }
            total.allocations += counts.allocations;
            total.frees += counts.frees;
            total.locks += counts.locks;
        }
        EXPECT_EQ(total.allocations, 0);
        EXPECT_EQ(total.frees, 0);
        EXPECT_EQ(total.locks, 0);
    }
}

} // namespace reliability
