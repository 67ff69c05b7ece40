#pragma once

// Included through graphics/LICE_Bitmap.h on Windows; LICE_IBitmap comes from there.

// The editor's backing store on Windows: a top-down 32-bit DIB section selected into a memory
// device context, so the same pixels are drawn into directly and copied to the window with
// BitBlt. Rows are the width rounded up to a multiple of 4 pixels; shrinking, or growing back
// within the allocation, keeps it. A negative side, a side above 32767 pixels, or a failed
// allocation leaves the bitmap empty (0 x 0, no pixels) and Resize returns false.
//
// Handles are kept as void* so that includers do not see <windows.h>.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
    LICE_SysBitmap(int width = 0, int height = 0);
    ~LICE_SysBitmap() override;
    LICE_SysBitmap(const LICE_SysBitmap&) = delete;
    LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

    LICE_pixel* Bits() override { return bits; }
    int Width() override { return geometry.Width(); }
    int Height() override { return geometry.Height(); }
    int RowSpan() override { return geometry.RowSpan(); }
    bool IsFlipped() override { return false; }
    bool Resize(int newWidth, int newHeight) override;
    // The memory device context (HDC) the DIB section is selected into.
    void* DeviceContext() override { return deviceContext; }
    void* Extended(int id, void* data) override;

private:
    void ReleaseBitmap();
    bool Fail();

    BitmapGeometry geometry;
    LICE_pixel* bits = nullptr;
    void* deviceContext = nullptr;     // HDC
    void* bitmap = nullptr;            // HBITMAP of the current DIB section
    void* previousSelection = nullptr; // HGDIOBJ selected before ours, restored before deletion
};
