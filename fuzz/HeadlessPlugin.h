#pragma once

// The product on the headless adapter, a new instance for every input.

#include "fuzz/FuzzSupport.h"
#include "plugin/VantorKestrune.h"
#include "tests/support/PreparedProduct.h"

#include <memory>

namespace fuzzing
{

// A new instance, prepared as a host prepares it. Targets that take one per input make every
// finding replay from its input file alone, whatever ran before it in the fuzzing process.
inline std::unique_ptr<VantorKestrune> FreshPlugin()
{
    return PreparedProduct(48000.0, TestBlock::kFrames);
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
