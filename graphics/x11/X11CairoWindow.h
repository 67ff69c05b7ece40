#pragma once

#include "graphics/x11/X11Image.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <vector>

namespace kestrune::x11
{

// A small window of our own drawn with cairo into a private pixel buffer and copied to the
// screen: the popup menu, the tooltip and the text-entry box. Popups are override-redirect
// top-level windows (no window manager decoration or placement); the text-entry box is a
// child of the editor window. Used on the editor window's thread only.
class X11CairoWindow
{
public:
    X11CairoWindow() = default;
    ~X11CairoWindow();
    X11CairoWindow(const X11CairoWindow&) = delete;
    X11CairoWindow& operator=(const X11CairoWindow&) = delete;

    // Creates and maps the window at (x, y) relative to parent; popup selects an
    // override-redirect window (parent should then be the root window).
    bool Create(Display* display, Window parent, int x, int y, int width, int height, bool popup,
                long eventMask);
    void Destroy();

    // Moves and resizes the window; the drawing buffer follows the new size.
    void Reshape(int x, int y, int width, int height);

    // Context over the whole buffer; draw, then call Show to put the picture on the screen.
    cairo_t* Cairo() const { return cr; }
    void Show();

    bool IsOpen() const { return window != 0; }
    Window Handle() const { return window; }
    int Width() const { return width; }
    int Height() const { return height; }
    int X() const { return x; }
    int Y() const { return y; }

    // Pixel (x, y) of the buffer as 0xRRGGBB; used by tests and for checks of the drawing code.
    std::uint32_t PixelAt(int px, int py) const;

private:
    bool AllocateBuffer();
    void ReleaseBuffer();

    Display* display = nullptr;
    Window window = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    X11ImagePresenter presenter;
};

} // namespace kestrune::x11
