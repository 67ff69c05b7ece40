// The test host's window on X11: a fixed-size top-level window that closes when the window
// manager asks it to.
#include "apps/aax-host/HostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{

class HostWindowX11 final : public HostWindow
{
public:
    HostWindowX11(Display* display, Window window) : display_(display), window_(window)
    {
        closeAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &closeAtom_, 1);
    }

    ~HostWindowX11() override
    {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    HostWindowX11(const HostWindowX11&) = delete;
    HostWindowX11& operator=(const HostWindowX11&) = delete;

    uintptr_t NativeId() const override { return static_cast<uintptr_t>(window_); }

    int ChildWindowCount() const override
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display_, window_, &root, &parent, &children, &count) == 0)
        {
            return 0;
        }
        if (children != nullptr)
        {
            XFree(children);
        }
        return static_cast<int>(count);
    }

    bool HandleEvents() override
    {
        while (XPending(display_) > 0)
        {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage &&
                static_cast<Atom>(event.xclient.data.l[0]) == closeAtom_)
            {
                open_ = false;
            }
        }
        return open_;
    }

private:
    Display* display_;
    Window window_;
    Atom closeAtom_ = 0;
    bool open_ = true;
};

} // namespace

std::unique_ptr<HostWindow> HostWindow::Open(int width, int height, const std::string& title,
                                             std::string* error)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        if (error != nullptr)
        {
            *error = "cannot open the X display for the editor window (is DISPLAY set?)";
        }
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(
        display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, title.c_str());
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
    XMapWindow(display, window);
    XSync(display, False);
    return std::make_unique<HostWindowX11>(display, window);
}
