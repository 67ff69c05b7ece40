// Hostile parameter chunks read at any position.

#include "fuzz/HeadlessPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<VantorKestrune> instance = fuzzing::FreshPlugin();
    VantorKestrune& plugin = *instance;
    const int position = fuzzing::PositionNear(fuzzing::TakeInt32(data, size), size);
    StateChunk chunk;
    chunk.PutBytes(data, static_cast<int>(size));
    const int end = plugin.UnserializeParams(chunk, position);
    if (end > chunk.Size())
    {
        std::abort();
    }
    fuzzing::CheckParameters(plugin);
    fuzzing::CheckBlockIsFinite(plugin);
    return 0;
}
