// Finds the first viewable window of a given size on the X display ($DISPLAY), saves its
// picture as a PNG and prints how many distinct colours it shows, so a test can tell a drawn
// editor from an empty window.
//   kestrune_lv2_xshot WIDTH HEIGHT OUT.png
// Exit status: 0 when saved, 1 when no such window exists, 2 on bad use or failure.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace
{

Window FindWindow(Display* display, Window parent, int width, int height)
{
    Window root = 0;
    Window parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0)
    {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && attributes.width == width &&
            attributes.height == height)
        {
            found = children[i];
        }
        else
        {
            found = FindWindow(display, children[i], width, height);
        }
    }
    if (children != nullptr)
    {
        XFree(children);
    }
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: kestrune_lv2_xshot WIDTH HEIGHT OUT.png\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || width <= 0 || height <= 0)
    {
        std::fprintf(stderr, "kestrune_lv2_xshot: no display or bad size\n");
        return 2;
    }
    const Window window = FindWindow(display, DefaultRootWindow(display), width, height);
    if (window == 0)
    {
        XCloseDisplay(display);
        return 1;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        XCloseDisplay(display);
        return 2;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::set<unsigned long> colours;
    for (int y = 0; y < height; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y) & 0xFFFFFFul;
            row[x] = static_cast<std::uint32_t>(pixel);
            colours.insert(pixel);
        }
    }
    cairo_surface_mark_dirty(surface);
    const bool saved = cairo_surface_write_to_png(surface, argv[3]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    XDestroyImage(image);
    XCloseDisplay(display);
    std::printf("window 0x%lx %dx%d, %zu distinct colours\n", window, width, height,
                colours.size());
    return saved ? 0 : 2;
}
