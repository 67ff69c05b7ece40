#pragma once

// The product on the AAX adapter, created and initialised for every input the way a host does
// it in-process: a stereo controller at 48 kHz and an automation that answers every value
// request at once with a host update.

#include "aax/host/AaxHost.h"
#include "fuzz/FuzzSupport.h"
#include "plugin/VantorKestrune.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace fuzzing
{

struct AaxInstance
{
    aaxhost::Controller controller{AAX_eStemFormat_Stereo, AAX_eStemFormat_Stereo, 48000.0f};
    aaxhost::Automation automation;
    std::unique_ptr<VantorKestrune> plugin;
};

// A new instance for every input, so that a finding replays from its input file alone.
inline std::unique_ptr<AaxInstance> FreshAaxInstance()
{
    auto created = std::make_unique<AaxInstance>();
    created->plugin.reset(CreatePlugin());
    if (created->plugin->Initialize(&created->controller, &created->automation) != AAX_SUCCESS)
    {
        std::abort();
    }
    created->automation.Connect(created->plugin.get());
    return created;
}

// Runs one stereo render call; aborts when the output is not finite.
inline void CheckRenderIsFinite(AaxInstance& instance)
{
    TestBlock block;
    std::int32_t frames = TestBlock::kFrames;
    AAX_SRenderContext context;
    context.fields[0] = block.channels;
    context.fields[1] = block.channels;
    context.fields[3] = &frames;
    instance.plugin->Render(&context);
    block.CheckFinite();
}

// A chunk record as a host allocates it: the header plus exactly `dataBytes` bytes of data
// area (at least one), so that ASan reports the first byte read or written past it.
class ChunkRecord
{
public:
    explicit ChunkRecord(std::int32_t dataBytes)
        : size_(AAX_ChunkRecordBytes(dataBytes)), bytes_(new std::uint8_t[size_]())
    {
    }
    AAX_SPlugInChunk* Get() { return reinterpret_cast<AAX_SPlugInChunk*>(bytes_.get()); }
    char* Data() { return AAX_ChunkData(Get()); }
    std::size_t DataCapacity() const { return size_ - offsetof(AAX_SPlugInChunk, fData); }

private:
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> bytes_;
};

} // namespace fuzzing
