#include "graphics/LICE_Bitmap.h"

#include <windows.h>

namespace
{

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
    geometry.Clear();
    return false;
}

bool LICE_SysBitmap::Resize(int newWidth, int newHeight)
{
    if (!deviceContext)
    {
        geometry.Clear();
        bits = nullptr;
        return false;
    }
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
    ReleaseBitmap();
    if (geometry.Empty())
    {
        return false;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = geometry.RowSpan();
    info.bmiHeader.biHeight = -geometry.RowsHeld(); // negative: rows top-down
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
