#include "graphics/x11/X11Image.h"

#include "graphics/x11/X11Errors.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kestrune::x11
{
namespace
{

int BitsPerPixelForDepth(Display* display, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bitsPerPixel = 0;
    for (int i = 0; i < count; ++i)
    {
        if (formats[i].depth == depth)
        {
            bitsPerPixel = formats[i].bits_per_pixel;
        }
    }
    if (formats != nullptr)
    {
        XFree(formats);
    }
    return bitsPerPixel;
}

} // namespace

X11ImagePresenter::~X11ImagePresenter()
{
    Close();
}

bool X11ImagePresenter::Open(Display* displayIn, Window windowIn, int maxWidthIn, int maxHeightIn,
                             bool allowShm)
{
    Close();
    if (displayIn == nullptr || windowIn == 0 || maxWidthIn <= 0 || maxHeightIn <= 0)
    {
        return false;
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(displayIn, windowIn, &attributes) == 0)
    {
        return false;
    }
    display = displayIn;
    window = windowIn;
    visual = attributes.visual;
    depth = attributes.depth;
    maxWidth = maxWidthIn;
    maxHeight = maxHeightIn;
    gc = XCreateGC(display, window, 0, nullptr);
    nativeLayout = visual->c_class == TrueColor && (depth == 24 || depth == 32) &&
                   visual->red_mask == 0xff0000 && visual->green_mask == 0x00ff00 &&
                   visual->blue_mask == 0x0000ff && ImageByteOrder(display) == LSBFirst &&
                   BitsPerPixelForDepth(display, depth) == 32;
    if (nativeLayout && allowShm)
    {
        OpenShm();
    }
    if (!nativeLayout)
    {
        convertImage =
            XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(maxWidth), static_cast<unsigned>(maxHeight), 32, 0);
        if (convertImage == nullptr)
        {
            Close();
            return false;
        }
        convertImage->data =
            static_cast<char*>(std::calloc(static_cast<std::size_t>(convertImage->bytes_per_line),
                                           static_cast<std::size_t>(maxHeight)));
    }
    return true;
}

bool X11ImagePresenter::OpenShm()
{
    if (XShmQueryExtension(display) == False)
    {
        return false;
    }
    shmImage =
        XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shmInfo,
                        static_cast<unsigned>(maxWidth), static_cast<unsigned>(maxHeight));
    if (shmImage == nullptr)
    {
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(shmImage->bytes_per_line) *
                              static_cast<std::size_t>(shmImage->height);
    shmInfo.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmInfo.shmid < 0)
    {
        XDestroyImage(shmImage);
        shmImage = nullptr;
        return false;
    }
    shmInfo.shmaddr = static_cast<char*>(shmat(shmInfo.shmid, nullptr, 0));
    shmImage->data = shmInfo.shmaddr;
    shmInfo.readOnly = False;
    bool attached = false;
    if (shmInfo.shmaddr != reinterpret_cast<char*>(-1))
    {
        // A remote server accepts the request but cannot reach the segment: catch its error.
        X11ErrorTrap trap(display);
        attached = XShmAttach(display, &shmInfo) != False;
        XSync(display, False);
        attached = attached && !trap.Caught();
    }
    shmctl(shmInfo.shmid, IPC_RMID, nullptr);
    if (!attached)
    {
        if (shmInfo.shmaddr != reinterpret_cast<char*>(-1))
        {
            shmdt(shmInfo.shmaddr);
        }
        shmImage->data = nullptr;
        XDestroyImage(shmImage);
        shmImage = nullptr;
        shmInfo = {};
        return false;
    }
    return true;
}

void X11ImagePresenter::Close()
{
    if (display != nullptr && shmImage != nullptr)
    {
        XShmDetach(display, &shmInfo);
        XSync(display, False);
        shmdt(shmInfo.shmaddr);
        shmImage->data = nullptr;
        XDestroyImage(shmImage);
    }
    shmImage = nullptr;
    shmInfo = {};
    if (convertImage != nullptr)
    {
        XDestroyImage(convertImage); // frees the pixel memory calloc'ed in Open
        convertImage = nullptr;
    }
    if (display != nullptr && gc != nullptr)
    {
        XFreeGC(display, gc);
    }
    gc = nullptr;
    display = nullptr;
    window = 0;
}

void X11ImagePresenter::Present(const std::uint32_t* pixels, int rowSpanPixels, int x, int y,
                                int width, int height)
{
    if (display == nullptr || pixels == nullptr)
    {
        return;
    }
    const int left = std::max(0, x);
    const int top = std::max(0, y);
    const int right = std::min(maxWidth, x + width);
    const int bottom = std::min(maxHeight, y + height);
    if (right <= left || bottom <= top)
    {
        return;
    }
    if (shmImage != nullptr)
    {
        const std::size_t rowBytes = static_cast<std::size_t>(right - left) * 4;
        for (int row = top; row < bottom; ++row)
        {
            const std::uint32_t* source =
                pixels + static_cast<std::ptrdiff_t>(row) * rowSpanPixels + left;
            char* target = shmImage->data +
                           static_cast<std::ptrdiff_t>(row) * shmImage->bytes_per_line + left * 4;
            std::memcpy(target, source, rowBytes);
        }
        XShmPutImage(display, window, gc, shmImage, left, top, left, top,
                     static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top),
                     False);
        // The segment is written again at the next present: wait until the server has read it.
        XSync(display, False);
    }
    else if (nativeLayout)
    {
        PresentDirect(pixels, rowSpanPixels, left, top, right - left, bottom - top);
    }
    else
    {
        PresentConverted(pixels, rowSpanPixels, left, top, right - left, bottom - top);
    }
}

void X11ImagePresenter::PresentDirect(const std::uint32_t* pixels, int rowSpanPixels, int x, int y,
                                      int width, int height)
{
    // A client-side image header over the caller's memory: XPutImage reads it synchronously.
    XImage image{};
    image.width = rowSpanPixels;
    image.height = y + height;
    image.xoffset = 0;
    image.format = ZPixmap;
    image.data = const_cast<char*>(reinterpret_cast<const char*>(pixels));
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bytes_per_line = rowSpanPixels * 4;
    image.bits_per_pixel = 32;
    image.red_mask = visual->red_mask;
    image.green_mask = visual->green_mask;
    image.blue_mask = visual->blue_mask;
    if (XInitImage(&image) == 0)
    {
        return;
    }
    XPutImage(display, window, gc, &image, x, y, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XFlush(display);
}

void X11ImagePresenter::PresentConverted(const std::uint32_t* pixels, int rowSpanPixels, int x,
                                         int y, int width, int height)
{
    if (convertImage == nullptr || convertImage->data == nullptr)
    {
        return;
    }
    for (int row = y; row < y + height; ++row)
    {
        for (int column = x; column < x + width; ++column)
        {
            const std::uint32_t pixel =
                pixels[static_cast<std::ptrdiff_t>(row) * rowSpanPixels + column];
            const unsigned long red = (pixel >> 16) & 0xff;
            const unsigned long green = (pixel >> 8) & 0xff;
            const unsigned long blue = pixel & 0xff;
            unsigned long value = 0;
            value |= ((red * visual->red_mask) / 255) & visual->red_mask;
            value |= ((green * visual->green_mask) / 255) & visual->green_mask;
            value |= ((blue * visual->blue_mask) / 255) & visual->blue_mask;
            XPutPixel(convertImage, column, row, value);
        }
    }
    XPutImage(display, window, gc, convertImage, x, y, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XFlush(display);
}

} // namespace kestrune::x11
