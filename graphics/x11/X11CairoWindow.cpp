#include "graphics/x11/X11CairoWindow.h"

#include <algorithm>

namespace kestrune::x11
{

X11CairoWindow::~X11CairoWindow()
{
    Destroy();
}

bool X11CairoWindow::Create(Display* displayIn, Window parent, int xIn, int yIn, int widthIn,
                            int heightIn, bool popup, long eventMask)
{
    Destroy();
    if (displayIn == nullptr || parent == 0)
    {
        return false;
    }
    display = displayIn;
    x = xIn;
    y = yIn;
    width = std::max(1, widthIn);
    height = std::max(1, heightIn);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = popup ? True : False;
    attributes.event_mask = eventMask | ExposureMask;
    attributes.background_pixmap = None;
    attributes.save_under = popup ? True : False;
    window =
        XCreateWindow(display, parent, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWEventMask | CWBackPixmap | CWSaveUnder, &attributes);
    if (window == 0 || !AllocateBuffer())
    {
        Destroy();
        return false;
    }
    XMapRaised(display, window);
    return true;
}

bool X11CairoWindow::AllocateBuffer()
{
    ReleaseBuffer();
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                  CAIRO_FORMAT_RGB24, width, height, width * 4);
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    {
        return false;
    }
    return presenter.Open(display, window, width, height);
}

void X11CairoWindow::ReleaseBuffer()
{
    presenter.Close();
    if (cr != nullptr)
    {
        cairo_destroy(cr);
        cr = nullptr;
    }
    if (surface != nullptr)
    {
        cairo_surface_destroy(surface);
        surface = nullptr;
    }
}

void X11CairoWindow::Destroy()
{
    ReleaseBuffer();
    if (display != nullptr && window != 0)
    {
        XDestroyWindow(display, window);
        XFlush(display);
    }
    window = 0;
    display = nullptr;
}

void X11CairoWindow::Reshape(int xIn, int yIn, int widthIn, int heightIn)
{
    if (window == 0)
    {
        return;
    }
    x = xIn;
    y = yIn;
    width = std::max(1, widthIn);
    height = std::max(1, heightIn);
    XMoveResizeWindow(display, window, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    AllocateBuffer();
}

void X11CairoWindow::Show()
{
    if (window == 0 || surface == nullptr)
    {
        return;
    }
    cairo_surface_flush(surface);
    presenter.Present(pixels.data(), width, 0, 0, width, height);
}

std::uint32_t X11CairoWindow::PixelAt(int px, int py) const
{
    if (px < 0 || py < 0 || px >= width || py >= height)
    {
        return 0;
    }
    return pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(px)] &
           0xffffffu;
}

} // namespace kestrune::x11
