#pragma once

// The product on the headless adapter, prepared once per fuzz process as a host prepares it.

#include "fuzz/FuzzSupport.h"
#include "plugin/VantorKestrune.h"

#include <memory>

namespace fuzzing
{

inline VantorKestrune& PreparedPlugin()
{
    static std::unique_ptr<VantorKestrune> plugin = []
    {
        std::unique_ptr<VantorKestrune> created(CreatePlugin());
        created->SetHostSampleRate(48000.0);
        created->SetHostBlockSize(TestBlock::kFrames);
        created->ResetProcessing();
        return created;
    }();
    // What the host was told is of no interest here; dropping it keeps the memory flat.
    plugin->ClearHostEvents();
    return *plugin;
}

// Runs a few stereo blocks, enough for the Auto EQ to act on what it measured; aborts when the
// output is not finite.
inline void CheckBlockIsFinite(VantorKestrune& plugin)
{
    for (int i = 0; i < TestBlock::kBlocks; ++i)
    {
        TestBlock block;
        plugin.RenderBlock(block.channels, 2, block.channels, 2, TestBlock::kFrames, false);
        block.CheckFinite();
    }
}

} // namespace fuzzing
