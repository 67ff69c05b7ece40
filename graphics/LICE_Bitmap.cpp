#include "graphics/LICE_Bitmap.h"

#include <new>

namespace
{

// cairo cannot wrap an image wider or taller than this, so a larger bitmap is useless.
constexpr int kMaxSide = 32767;

} // namespace

LICE_SysBitmap::LICE_SysBitmap(int initialWidth, int initialHeight)
{
    Resize(initialWidth, initialHeight);
}

LICE_SysBitmap::~LICE_SysBitmap() = default;

void* LICE_SysBitmap::Extended(int, void*)
{
    return nullptr;
}

void LICE_SysBitmap::Release()
{
    memory.reset();
    bits = nullptr;
}

// Reported as a failure, never as success: a caller must not draw into a bitmap that does not
// exist.
bool LICE_SysBitmap::Fail()
{
    Release();
    width = 0;
    height = 0;
    allocatedRowSpan = 0;
    allocatedHeight = 0;
    return false;
}

bool LICE_SysBitmap::Resize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height)
    {
        return false;
    }
    if (newWidth < 0 || newHeight < 0 || newWidth > kMaxSide || newHeight > kMaxSide)
    {
        return Fail();
    }
    width = newWidth;
    height = newHeight;
    // Shrinking, or growing back within the allocation, keeps the memory and its row span.
    if (newWidth != 0 && newHeight != 0 && newWidth <= allocatedRowSpan &&
        newHeight <= allocatedHeight && bits)
    {
        return true;
    }
    allocatedRowSpan = (newWidth + 3) & ~3;
    allocatedHeight = newHeight;
    Release();
    if (allocatedRowSpan < 1 || newHeight < 1)
    {
        return false;
    }
    const size_t pixels = static_cast<size_t>(allocatedRowSpan) * static_cast<size_t>(newHeight);
    memory.reset(new (std::nothrow) LICE_pixel[pixels]());
    if (!memory)
    {
        return Fail();
    }
    bits = memory.get();
    return true;
}
