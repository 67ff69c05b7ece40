#pragma once

#include "graphics/BitmapGeometry.h"

#include <cstdint>
#include <memory>

// 32-bit pixel: blue, green, red and a padding byte in memory order (cairo's RGB24).
using LICE_pixel = uint32_t;

// A bitmap the editor draws into and the window copies to the screen.
class LICE_IBitmap
{
public:
    virtual ~LICE_IBitmap() = default;
    // First pixel of the top row.
    virtual LICE_pixel* Bits() = 0;
    virtual int Width() = 0;
    virtual int Height() = 0;
    // Pixels per row in memory.
    virtual int RowSpan() = 0;
    // False: rows are stored top-down.
    virtual bool IsFlipped() = 0;
    virtual bool Resize(int width, int height) = 0;
    // Native source for copies to the screen; null where the window copies from Bits().
    virtual void* DeviceContext() = 0;
    virtual void* Extended(int id, void* data) = 0;
};

#if defined(_WIN32)
// On Windows the backing store is a DIB section in a memory device context.
#include "graphics/win32/LICE_SysBitmapWin.h"
#else
// The editor's backing store: a plain top-down 32-bit pixel buffer whose rows are the width
// rounded up to a multiple of 4 pixels. Shrinking within the allocation keeps it. A negative side,
// a side above 32767 pixels (cairo's limit) or a failed allocation leaves it empty and Resize
// returns false.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
    LICE_SysBitmap(int width = 0, int height = 0);
    ~LICE_SysBitmap() override;

    LICE_pixel* Bits() override { return bits; }
    int Width() override { return geometry.Width(); }
    int Height() override { return geometry.Height(); }
    int RowSpan() override { return geometry.RowSpan(); }
    bool IsFlipped() override { return false; }
    bool Resize(int newWidth, int newHeight) override;
    void* DeviceContext() override { return nullptr; }
    void* Extended(int id, void* data) override;

private:
    void Release();
    bool Fail();

    BitmapGeometry geometry;
    LICE_pixel* bits = nullptr;
    std::unique_ptr<LICE_pixel[]> memory;
};
#endif
