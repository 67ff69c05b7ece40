// Hostile state chunks: the first byte chooses whether the rest is a document text (framed as
// the plug-in frames it) or a raw chunk read at a position taken from the input.

#include "fuzz/HeadlessPlugin.h"

#include <string>
#include <vector>

namespace
{

std::vector<double> ParameterValues(const VantorKestrune& plugin)
{
    std::vector<double> values;
    for (int i = 0; i < plugin.ParameterCount(); ++i)
    {
        values.push_back(plugin.Param(i)->Value());
    }
    return values;
}

} // namespace

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
        position = fuzzing::PositionNear(fuzzing::TakeInt32(data, size), size);
        chunk.PutBytes(data, static_cast<int>(size));
    }
    else
    {
        chunk.PutStr(std::string(reinterpret_cast<const char*>(data), size));
    }
    const int end = plugin.DeserializeState(chunk, position);
    // The end of a document, the given position after a fallback, or -1.
    if (end > chunk.Size() || end < -1 || (end >= 0 && end != position && end < position + 4))
    {
        std::abort();
    }
    fuzzing::CheckParameters(plugin);

    // Whatever was read saves and reads back as a document that changes nothing.
    const std::vector<double> before = ParameterValues(plugin);
    const auto curveBefore = plugin.Engine().customCurve;
    StateChunk saved;
    if (!plugin.SerializeState(saved) || plugin.DeserializeState(saved, 0) != saved.Size())
    {
        std::abort();
    }
    if (ParameterValues(plugin) != before || plugin.Engine().customCurve != curveBefore)
    {
        std::abort();
    }
    fuzzing::CheckBlockIsFinite(plugin);
    return 0;
}
