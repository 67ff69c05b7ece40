// Hostile state chunks, restored one after another into one instance as a host restores a
// session, a preset, an undo step: each step is either a document text (framed as the plug-in
// frames it) or a raw chunk read at a position taken from the input, and may be followed by
// processed blocks, so that later steps meet the filters, the Auto EQ and the gains earlier
// ones left.
//
// Input: steps of a flags byte, a uint16 length and that many bytes (fewer at the end).
//   flags bit 0: raw chunk (its first four bytes are the int32 read position), else a text;
//   bit 1: process blocks after the step.

#include "fuzz/HeadlessPlugin.h"

#include <cstdio>
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

StateChunk ChunkOfStep(bool raw, const std::uint8_t* data, std::size_t size, int& position)
{
    StateChunk chunk;
    position = 0;
    if (raw)
    {
        position = fuzzing::PositionNear(fuzzing::TakeInt32(data, size), size);
        chunk.PutBytes(data, static_cast<int>(size));
    }
    else
    {
        chunk.PutStr(std::string(reinterpret_cast<const char*>(data), size));
    }
    return chunk;
}

// Whatever was read saves and reads back as a document that changes nothing.
void CheckSavedStateReadsBack(VantorKestrune& plugin)
{
    const std::vector<double> before = ParameterValues(plugin);
    const auto curveBefore = plugin.Engine().customCurve;
    StateChunk saved;
    if (!plugin.SerializeState(saved) || plugin.DeserializeState(saved, 0) != saved.Size())
    {
        std::abort();
    }
    const std::vector<double> after = ParameterValues(plugin);
    for (std::size_t i = 0; i < before.size(); ++i)
    {
        if (after[i] != before[i])
        {
            std::fprintf(stderr, "parameter %zu read back as %.17g, saved %.17g\n", i, after[i],
                         before[i]);
            std::abort();
        }
    }
    const auto& curve = plugin.Engine().customCurve;
    for (std::size_t band = 0; band < curve.size(); ++band)
    {
        if (curve[band] != curveBefore[band])
        {
            std::fprintf(stderr, "curve value %zu read back as %.17g, saved %.17g\n", band,
                         curve[band], curveBefore[band]);
            std::abort();
        }
    }
}

void RestoreStep(VantorKestrune& plugin, std::uint8_t flags, const std::uint8_t* data,
                 std::size_t size)
{
    int position = 0;
    const StateChunk chunk = ChunkOfStep((flags & 1) != 0, data, size, position);
    const int end = plugin.DeserializeState(chunk, position);
    // The given position after a fallback (negative if it was), -1, or the end of a document.
    const bool fallback = end == position;
    if (!fallback && (end > chunk.Size() || end < -1 || (end >= 0 && end < position + 4)))
    {
        std::abort();
    }
    fuzzing::CheckParameters(plugin);
    CheckSavedStateReadsBack(plugin);
    if ((flags & 2) != 0)
    {
        fuzzing::CheckBlockIsFinite(plugin);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<VantorKestrune> plugin = fuzzing::FreshPlugin();
    while (size > 0)
    {
        const auto flags = fuzzing::Take<std::uint8_t>(data, size);
        const std::size_t length =
            std::min<std::size_t>(fuzzing::Take<std::uint16_t>(data, size), size);
        RestoreStep(*plugin, flags, data, length);
        data += length;
        size -= length;
    }
    fuzzing::CheckBlockIsFinite(*plugin);
    return 0;
}
