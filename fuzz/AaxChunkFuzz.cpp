// Hostile chunk records through the AAX adapter's chunk calls: data of any content, size fields
// that lie about the data area (negative, zero, shorter than the data, longer than the text
// inside claims), foreign chunk identifiers and chunk indices.
//
// Input: steps of an operation byte, an int32 size field, an int32 chunk identifier or index,
// a uint16 data length and that many bytes of data (fewer at the end), one instance for all.
//   operation bits 0-1: 0 apply, 1 compare, 2 fill into a data area of the size field's bytes,
//   3 size and identifier queries; bit 2: the plug-in's own identifier (else the input's).

#include "fuzz/AaxPlugin.h"

#include <algorithm>
#include <cstring>

namespace
{

// Data areas are never larger than this; a larger size field is folded into it.
constexpr std::int32_t kMaxDataBytes = 1 << 16;

// After any call: the chunk the plug-in fills now compares equal to its current state.
void CheckFillCompares(VantorKestrune& plugin)
{
    const auto id = static_cast<AAX_CTypeID>(plugin.UniqueId());
    uint32_t size = 0;
    if (plugin.ChunkSize(id, &size) != AAX_SUCCESS || size == 0 || size > kMaxDataBytes)
    {
        std::abort();
    }
    fuzzing::ChunkRecord record(static_cast<std::int32_t>(size));
    record.Get()->fSize = static_cast<std::int32_t>(size);
    record.Get()->fChunkID = id;
    bool equal = false;
    if (plugin.FillChunk(id, record.Get()) != AAX_SUCCESS ||
        record.Get()->fSize != static_cast<std::int32_t>(size) ||
        plugin.CompareChunk(record.Get(), &equal) != AAX_SUCCESS || !equal)
    {
        std::abort();
    }
}

void RunStep(fuzzing::AaxInstance& instance, std::uint8_t operation, std::int32_t sizeField,
             std::int32_t idOrIndex, const std::uint8_t* data, std::int32_t length)
{
    VantorKestrune& plugin = *instance.plugin;
    if (sizeField > kMaxDataBytes)
    {
        sizeField %= kMaxDataBytes + 1;
    }
    const AAX_CTypeID id = (operation & 4) != 0 ? static_cast<AAX_CTypeID>(plugin.UniqueId())
                                                : static_cast<AAX_CTypeID>(idOrIndex);
    const bool ownId = id == static_cast<AAX_CTypeID>(plugin.UniqueId());

    switch (operation & 3)
    {
    case 0:
    case 1:
    {
        // The data area holds the input's bytes and, when the size field claims more, zeros.
        fuzzing::ChunkRecord record(std::max(length, sizeField));
        std::memcpy(record.Data(), data, static_cast<std::size_t>(length));
        record.Get()->fSize = sizeField;
        record.Get()->fChunkID = id;
        if ((operation & 3) == 0)
        {
            const AAX_Result result = plugin.ApplyChunk(id, record.Get());
            if (result != (ownId ? AAX_SUCCESS : AAX_ERROR_INVALID_CHUNK_ID))
            {
                std::abort();
            }
        }
        else
        {
            bool equal = false;
            if (plugin.CompareChunk(record.Get(), &equal) != AAX_SUCCESS || (!ownId && !equal))
            {
                std::abort();
            }
        }
        break;
    }
    case 2:
    {
        // The host claims a data area of the size field's bytes; exactly that much exists.
        fuzzing::ChunkRecord record(std::max(sizeField, 0));
        record.Get()->fSize = sizeField;
        const AAX_Result result = plugin.FillChunk(id, record.Get());
        if (result == AAX_SUCCESS &&
            (!ownId || record.Get()->fSize < 0 || record.Get()->fSize > std::max(sizeField, 0)))
        {
            std::abort();
        }
        break;
    }
    default:
    {
        uint32_t chunkSize = 1;
        const AAX_Result sizeResult = plugin.ChunkSize(id, &chunkSize);
        if (ownId ? (sizeResult != AAX_SUCCESS || chunkSize == 0)
                  : (sizeResult != AAX_ERROR_INVALID_CHUNK_ID || chunkSize != 0))
        {
            std::abort();
        }
        AAX_CTypeID found = 1;
        const AAX_Result idResult = plugin.ChunkIdAt(idOrIndex, &found);
        if (idOrIndex == 0
                ? (idResult != AAX_SUCCESS || found != static_cast<AAX_CTypeID>(plugin.UniqueId()))
                : (idResult != AAX_ERROR_INVALID_CHUNK_INDEX || found != 0))
        {
            std::abort();
        }
        break;
    }
    }
    fuzzing::CheckParameters(plugin);
    CheckFillCompares(plugin);
    fuzzing::CheckRenderIsFinite(instance);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<fuzzing::AaxInstance> instance = fuzzing::FreshAaxInstance();
    while (size > 0)
    {
        const auto operation = fuzzing::Take<std::uint8_t>(data, size);
        const std::int32_t sizeField = fuzzing::TakeInt32(data, size);
        const std::int32_t idOrIndex = fuzzing::TakeInt32(data, size);
        const std::size_t length =
            std::min<std::size_t>(fuzzing::Take<std::uint16_t>(data, size), size);
        RunStep(*instance, operation, sizeField, idOrIndex, data,
                static_cast<std::int32_t>(length));
        data += length;
        size -= length;
    }
    return 0;
}
