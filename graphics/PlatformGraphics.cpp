#include "graphics/PlatformGraphics.h"

#include "graphics/IGraphicsOffscreen.h"

#include <atomic>

namespace
{

std::atomic<PlatformGraphicsFactory> registeredFactory{nullptr};

} // namespace

IGraphics* CreatePlatformGraphics(IPlugBase* plug, int width, int height, int frameRate)
{
    if (PlatformGraphicsFactory factory = registeredFactory.load())
    {
        return factory(plug, width, height, frameRate);
    }
    return new IGraphicsOffscreen(plug, width, height, frameRate);
}

PlatformGraphicsFactory SetPlatformGraphicsFactory(PlatformGraphicsFactory factory)
{
    return registeredFactory.exchange(factory);
}
