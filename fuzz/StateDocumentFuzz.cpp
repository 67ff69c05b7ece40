// Hostile state chunks: the first byte chooses whether the rest is a document text (framed as
// the plug-in frames it) or a raw chunk read at a position taken from the input.

#include "fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    VantorKestrune& plugin = fuzzing::PreparedPlugin();
    const bool rawChunk = (data[0] & 1) != 0;
    ++data;
    --size;
    StateChunk chunk;
    int position = 0;
    if (rawChunk)
    {
        // Positions stay near the chunk so that most of them land inside it.
        position = fuzzing::TakeInt32(data, size) % (static_cast<int>(size) + 8);
        chunk.PutBytes(data, static_cast<int>(size));
    }
    else
    {
        chunk.PutStr(std::string(reinterpret_cast<const char*>(data), size));
    }
    const int end = plugin.DeserializeState(chunk, position);
    if (end > chunk.Size())
    {
        std::abort();
    }
    fuzzing::CheckParameters(plugin);
    // Whatever was read must save and read back as a document.
    StateChunk saved;
    if (!plugin.SerializeState(saved) || plugin.DeserializeState(saved, 0) != saved.Size())
    {
        std::abort();
    }
    fuzzing::CheckBlockIsFinite(plugin);
    return 0;
}
