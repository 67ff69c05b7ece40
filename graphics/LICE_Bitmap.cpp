#include "graphics/LICE_Bitmap.h"

#include <new>

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
    geometry.Clear();
    return false;
}

bool LICE_SysBitmap::Resize(int newWidth, int newHeight)
{
    switch (geometry.Plan(newWidth, newHeight, bits != nullptr))
    {
    case BitmapGeometry::Step::Unchanged:
        return false;
    case BitmapGeometry::Step::Rejected:
        return Fail();
    case BitmapGeometry::Step::KeepAllocation:
        return true;
    case BitmapGeometry::Step::Reallocate:
        break;
    }
    Release();
    if (geometry.Empty())
    {
        return false;
    }
    const size_t pixels =
        static_cast<size_t>(geometry.RowSpan()) * static_cast<size_t>(geometry.RowsHeld());
    memory.reset(new (std::nothrow) LICE_pixel[pixels]());
    if (!memory)
    {
        return Fail();
    }
    bits = memory.get();
    return true;
}
