#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

namespace kestrune::x11
{

// Copies rectangles of a 32-bit top-down pixel buffer (blue, green, red, padding in memory order,
// the backing bitmap's layout) to one X window. Uses a MIT-SHM image when the server offers it
// for this connection and falls back to XPutImage otherwise. Used on the window's thread only.
class X11ImagePresenter
{
public:
    X11ImagePresenter() = default;
    ~X11ImagePresenter();
    X11ImagePresenter(const X11ImagePresenter&) = delete;
    X11ImagePresenter& operator=(const X11ImagePresenter&) = delete;

    // Prepares copies of up to maxWidth x maxHeight pixels into window; allowShm false forces the
    // XPutImage path. Returns false when the window's visual cannot show the pixels.
    bool Open(Display* display, Window window, int maxWidth, int maxHeight, bool allowShm = true);
    void Close();

    // Copies the area (x, y, width, height) of pixels (rowSpanPixels apart) to the same position
    // of the window. The area is clipped to the buffer size given to Open.
    void Present(const std::uint32_t* pixels, int rowSpanPixels, int x, int y, int width,
                 int height);

    bool UsesShm() const { return shmImage != nullptr; }

private:
    bool OpenShm();
    void PresentDirect(const std::uint32_t* pixels, int rowSpanPixels, int x, int y, int width,
                       int height);
    void PresentConverted(const std::uint32_t* pixels, int rowSpanPixels, int x, int y, int width,
                          int height);

    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    bool nativeLayout = false; // the visual stores pixels exactly as the buffer does
    XShmSegmentInfo shmInfo{};
    XImage* shmImage = nullptr;
    XImage* convertImage = nullptr; // client image for visuals with another pixel layout
};

} // namespace kestrune::x11
