#include "aax/sdk/AAX_Module.h"

#include <atomic>

namespace
{
std::atomic<int32_t> liveObjects{0};
} // namespace

void AAX_ModuleObjectCreated()
{
    liveObjects.fetch_add(1, std::memory_order_relaxed);
}

void AAX_ModuleObjectDestroyed()
{
    liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

int32_t AAX_ModuleObjectCount()
{
    return liveObjects.load(std::memory_order_relaxed);
}
