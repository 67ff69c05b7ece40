#include "graphics/LICE_Bitmap.h"

#include <windows.h>

namespace
{

// cairo cannot wrap an image wider or taller than this, so a larger bitmap is useless.
constexpr int kMaxSide = 32767;

HDC AsDC(void* handle)
{
    return static_cast<HDC>(handle);
}

} // namespace

LICE_SysBitmap::LICE_SysBitmap(int initialWidth, int initialHeight)
{
    deviceContext = CreateCompatibleDC(nullptr);
    Resize(initialWidth, initialHeight);
}

LICE_SysBitmap::~LICE_SysBitmap()
{
    ReleaseBitmap();
    if (deviceContext)
    {
        DeleteDC(AsDC(deviceContext));
    }
}

void* LICE_SysBitmap::Extended(int, void*)
{
    return nullptr;
}

void LICE_SysBitmap::ReleaseBitmap()
{
    if (bitmap)
    {
        SelectObject(AsDC(deviceContext), static_cast<HGDIOBJ>(previousSelection));
        DeleteObject(static_cast<HGDIOBJ>(bitmap));
    }
    bitmap = nullptr;
    previousSelection = nullptr;
    bits = nullptr;
}

// Reported as a failure, never as success: a caller must not draw into a bitmap that does not
// exist.
bool LICE_SysBitmap::Fail()
{
    ReleaseBitmap();
    width = 0;
    height = 0;
    allocatedRowSpan = 0;
    allocatedHeight = 0;
    return false;
}

bool LICE_SysBitmap::Resize(int newWidth, int newHeight)
{
    if (!deviceContext)
    {
        width = 0;
        height = 0;
        bits = nullptr;
        return false;
    }
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
    // Shrinking, or growing back within the allocation, keeps the DIB and its row span.
    if (newWidth != 0 && newHeight != 0 && newWidth <= allocatedRowSpan &&
        newHeight <= allocatedHeight && bits)
    {
        return true;
    }
    allocatedRowSpan = (newWidth + 3) & ~3;
    allocatedHeight = newHeight;
    ReleaseBitmap();
    if (allocatedRowSpan < 1 || newHeight < 1)
    {
        return false;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = allocatedRowSpan;
    info.bmiHeader.biHeight = -newHeight; // negative: rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP created =
        CreateDIBSection(AsDC(deviceContext), &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!created || !pixels)
    {
        if (created)
        {
            DeleteObject(created);
        }
        return Fail();
    }
    bitmap = created;
    bits = static_cast<LICE_pixel*>(pixels);
    previousSelection = SelectObject(AsDC(deviceContext), created);
    return true;
}
