#pragma once

// Project headers (and GoogleTest, included before this file) first: Xlib's None and Bool
// macros would rewrite their names.
#include "tests/support/TestPlugin.h"

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/TextEntry.h"
#include "graphics/x11/IGraphicsX11.h"
#include "graphics/x11/X11Errors.h"
#include "graphics/x11/X11TextBox.h"
#include "tests/x11/XvfbServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A plug-in with one parameter of each kind the editor prompts differently for.
class X11TestPlug : public TestPlugin
{
public:
    enum : int
    {
        kGain = 0,        // double -15..15 dB, step 0.1: text entry
        kIntegration = 1, // enum "0.5s", "1s", "2s", "4s", default "1s": popup menu
        kParamCount
    };

    X11TestPlug()
        : TestPlugin(
              {.effectName = "Test",
               .productName = "Test",
               .makerName = "Tester",
               .version = 0x10000,
               .uniqueId = 1,
               .makerId = 2},
              {GainParameter("Gain"), EnumParameter("Integration", 1, {"0.5s", "1s", "2s", "4s"})})
    {
    }

    int GestureCount(HostEvent::Kind kind) const
    {
        int count = 0;
        for (const HostEvent& event : HostEvents())
        {
            count += event.kind == kind ? 1 : 0;
        }
        return count;
    }
};

// Fills its rectangle of the backing bitmap with one colour whose red component shows the
// value; records the events that reach it (read them on the editor thread).
class SwatchControl : public IKnobControl
{
public:
    SwatchControl(IPlugBase* owner, const Rect& rect, int parameterIndex, int greenComponent,
                  int blueComponent)
        : IKnobControl(owner, rect, parameterIndex, kVertical, 1.0), green(greenComponent),
          blue(blueComponent)
    {
    }

    static std::uint32_t ColourFor(double value, int green, int blue)
    {
        const auto red = static_cast<std::uint32_t>(std::lround(value * 255.0));
        return (red << 16) | (static_cast<std::uint32_t>(green) << 8) |
               static_cast<std::uint32_t>(blue);
    }
    std::uint32_t Colour() const { return ColourFor(GetValue(), green, blue); }

    bool Draw(IGraphics& graphics) override
    {
        LICE_IBitmap* bitmap = graphics.BackingBitmap();
        const std::uint32_t colour = Colour();
        for (int y = drawRect.top; y < drawRect.bottom; ++y)
        {
            for (int x = drawRect.left; x < drawRect.right; ++x)
            {
                bitmap->Bits()[y * bitmap->RowSpan() + x] = colour;
            }
        }
        return true;
    }
    void HandleMouseDown(int x, int y, MouseMods mods) override
    {
        Log("down", x, y);
        IKnobControl::HandleMouseDown(x, y, mods);
    }
    void HandleMouseUp(int x, int y, MouseMods) override { Log("up", x, y); }
    void HandleMouseDrag(int x, int y, int dX, int dY, MouseMods mods) override
    {
        Log("drag", x, y);
        IKnobControl::HandleMouseDrag(x, y, dX, dY, mods);
    }
    void HandleDoubleClick(int x, int y, MouseMods mods) override
    {
        Log("double", x, y);
        IKnobControl::HandleDoubleClick(x, y, mods);
    }
    void HandleMouseWheel(int x, int y, MouseMods mods, int notches) override
    {
        Log("wheel" + std::to_string(notches), x, y);
        IKnobControl::HandleMouseWheel(x, y, mods, notches);
    }
    void HandleMouseOver(int x, int y, MouseMods) override { Log("over", x, y); }
    void HandleMouseOut() override { Log("out", -1, -1); }

    bool Saw(const std::string& what) const
    {
        for (const std::string& event : events)
        {
            if (event.rfind(what + "@", 0) == 0)
            {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> events;

private:
    void Log(const std::string& what, int x, int y)
    {
        events.push_back(what + "@" + std::to_string(x) + "," + std::to_string(y));
    }

    int green;
    int blue;
};

// Runs an editor's window on a thread of its own, as a host's UI thread would, and lets the
// test run code there.
class EditorThread
{
public:
    explicit EditorThread(IGraphicsX11& driven) : editor(driven)
    {
        thread = std::thread(
            [this]
            {
                while (!stop.load())
                {
                    this->editor.Idle();
                    const int waitMs = std::min(this->editor.MsUntilDue(), 5);
                    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(waitMs, 1)));
                }
            });
    }
    ~EditorThread() { Stop(); }
    EditorThread(const EditorThread&) = delete;
    EditorThread& operator=(const EditorThread&) = delete;

    void Stop()
    {
        if (thread.joinable())
        {
            stop.store(true);
            thread.join();
        }
    }

    // Runs task on the editor thread and waits for its result. Not while a popup menu is open:
    // the menu's modal loop runs no posted tasks.
    template <typename Task> auto Run(Task task) -> decltype(task())
    {
        using Result = decltype(task());
        auto promise = std::make_shared<std::promise<Result>>();
        std::future<Result> future = promise->get_future();
        editor.Post(
            [promise, task]() mutable
            {
                if constexpr (std::is_void_v<Result>)
                {
                    task();
                    promise->set_value();
                }
                else
                {
                    promise->set_value(task());
                }
            });
        return future.get();
    }

private:
    IGraphicsX11& editor;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Waits (bounded) for something the editor thread does asynchronously.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (condition())
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

// The test's own connection to the server: real input through XTest, pixels read back from the
// screen.
class XClient
{
public:
    XClient() : display(XOpenDisplay(nullptr)) {}
    ~XClient()
    {
        if (display != nullptr)
        {
            XCloseDisplay(display);
        }
    }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    Display* Get() const { return display; }
    Window Root() const { return DefaultRootWindow(display); }

    void MoveTo(int x, int y)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, 0);
        XSync(display, False);
    }
    void Button(unsigned button, bool press)
    {
        XTestFakeButtonEvent(display, button, press ? True : False, 0);
        XSync(display, False);
    }
    void Click(unsigned button)
    {
        Button(button, true);
        Button(button, false);
    }
    void Key(KeySym symbol)
    {
        const KeyCode code = XKeysymToKeycode(display, symbol);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        XSync(display, False);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
        {
            Key(c == '.' ? XK_period : c == '-' ? XK_minus : static_cast<KeySym>(c));
        }
    }

    // Screen position of a window's top-left corner.
    void Origin(Window window, int& x, int& y)
    {
        Window child = 0;
        XTranslateCoordinates(display, window, Root(), 0, 0, &x, &y, &child);
    }

    // Screen pixel as 0xRRGGBB.
    std::uint32_t Pixel(int x, int y)
    {
        XImage* image = XGetImage(display, Root(), x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
        {
            return 0xdeadbeef;
        }
        const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xffffffu;
        XDestroyImage(image);
        return pixel;
    }

    // Mapped override-redirect windows directly under the root: our menus and tooltips.
    std::vector<Window> Popups()
    {
        std::vector<Window> found;
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, Root(), &root, &parent, &children, &count) == 0)
        {
            return found;
        }
        // A menu that closes between the query and the look at it is gone, not an error.
        const kestrune::x11::X11ErrorTrap trap(display);
        for (unsigned i = 0; i < count; ++i)
        {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.override_redirect && attributes.map_state == IsViewable)
            {
                found.push_back(children[i]);
            }
        }
        if (children != nullptr)
        {
            XFree(children);
        }
        return found;
    }

    // Whether another client holds the pointer grab (an open menu does).
    bool PointerGrabbed()
    {
        const int result = XGrabPointer(display, Root(), False, ButtonPressMask, GrabModeAsync,
                                        GrabModeAsync, 0, 0, CurrentTime);
        if (result == GrabSuccess)
        {
            XUngrabPointer(display, CurrentTime);
        }
        XSync(display, False);
        return result == AlreadyGrabbed;
    }

    void Geometry(Window window, int& width, int& height)
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        width = attributes.width;
        height = attributes.height;
    }

private:
    Display* display;
};
