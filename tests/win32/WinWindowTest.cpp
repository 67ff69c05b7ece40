// The Windows editor window under Wine, driven by real X input (xdotool), plus the DIB-section
// backing bitmap. Prints "N passed, N failed" and exits non-zero on a failure.
#include "framework/IPlugParameter.h"
#include "graphics/IControl.h"
#include "graphics/win32/IGraphicsWin.h"
#include "tests/support/TestPlugin.h"
#include "tests/win32/WinTestHarness.h"

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using wintest::Check;
using wintest::Pump;
using wintest::PumpUntil;
using wintest::Xdo;

namespace
{

constexpr int kEditorWidth = 400;
constexpr int kEditorHeight = 300;
constexpr int kHostLeft = 40;
constexpr int kHostTop = 30;

class TestPlug : public TestPlugin
{
public:
    enum : int
    {
        kGain = 0, // double -15..15 dB, step 0.1
        kMode = 1, // enum "Low", "Mid", "High"
        kParamCount
    };

    TestPlug()
        : TestPlugin({.channelIOs = "1-1",
                      .effectName = "Test",
                      .productName = "Test",
                      .makerName = "Tester",
                      .version = 0x10000,
                      .uniqueId = 1,
                      .makerId = 2},
                     {GainParameter("Gain"), EnumParameter("Mode", 0, {"Low", "Mid", "High"})})
    {
    }
};

struct Event
{
    std::string kind;
    int x = 0;
    int y = 0;
    MouseMods mods;
    int value = 0; // notches or key
};

// Fills its rectangle of the backing bitmap with one colour and records what reaches it.
class RectControl : public IControl
{
public:
    RectControl(IPlugBase* owner, const Rect& rect, int boundParam, uint32_t rgb,
                const char* tip = "")
        : IControl(owner, rect, boundParam), colour(rgb)
    {
        SetTooltip(tip);
        SetPromptDisabled(false);
    }

    bool Draw(IGraphics& graphics) override
    {
        LICE_IBitmap* bitmap = graphics.BackingBitmap();
        LICE_pixel* bits = bitmap->Bits();
        for (int y = drawRect.top; y < drawRect.bottom; ++y)
        {
            for (int x = drawRect.left; x < drawRect.right; ++x)
            {
                bits[y * bitmap->RowSpan() + x] = colour;
            }
        }
        ++draws;
        return true;
    }
    void HandleMouseDown(int x, int y, MouseMods mods) override
    {
        Log("down", x, y, mods);
        IControl::HandleMouseDown(x, y, mods);
    }
    void HandleMouseUp(int x, int y, MouseMods mods) override { Log("up", x, y, mods); }
    void HandleMouseDrag(int x, int y, int, int, MouseMods mods) override
    {
        Log("drag", x, y, mods);
    }
    void HandleDoubleClick(int x, int y, MouseMods mods) override { Log("double", x, y, mods); }
    void HandleMouseWheel(int x, int y, MouseMods mods, int notches) override
    {
        Log("wheel", x, y, mods, notches);
    }
    bool HandleKeyDown(int x, int y, int key) override
    {
        Log("key", x, y, MouseMods{}, key);
        return handlesKeys;
    }
    void HandleMouseOver(int x, int y, MouseMods mods) override { Log("over", x, y, mods); }
    void HandleMouseOut() override { Log("out", 0, 0, MouseMods{}); }
    void ApplyUserValue(double normalised) override
    {
        appliedDuringMessage = wintest::CurrentMessage();
        ++applied;
        IControl::ApplyUserValue(normalised);
    }

    int Count(const std::string& kind) const
    {
        int n = 0;
        for (const Event& e : events)
        {
            n += e.kind == kind ? 1 : 0;
        }
        return n;
    }
    const Event* Last(const std::string& kind) const
    {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
        {
            if (it->kind == kind)
            {
                return &*it;
            }
        }
        return nullptr;
    }

    uint32_t colour;
    bool handlesKeys = false;
    int draws = 0;
    int applied = 0;
    unsigned appliedDuringMessage = 0;
    std::vector<Event> events;

private:
    void Log(const char* kind, int x, int y, MouseMods mods, int number = 0)
    {
        events.push_back({kind, x, y, mods, number});
    }
};

// Opens a numbered menu with a submenu on a click and keeps what ShowPopupMenu returned.
class MenuControl : public RectControl
{
public:
    using RectControl::RectControl;

    void HandleMouseDown(int, int, MouseMods) override
    {
        PopupMenu menu(2);
        menu.AddItem("One");
        auto submenu = std::make_unique<PopupMenu>();
        submenu->AddItem("Alpha");
        submenu->AddItem("Beta");
        PopupMenu* sub = submenu.get();
        menu.AddSubmenu("Two", std::move(submenu));
        menu.AddItem("Three");
        PopupMenu* chosen = Graphics()->ShowPopupMenu(menu, GetDrawRect());
        resultWasSubmenu = chosen == sub;
        resultWasTop = chosen == &menu;
        chosenIndex = chosen ? chosen->ChosenItemIndex() : -1;
        ++menusShown;
    }

    bool resultWasSubmenu = false;
    bool resultWasTop = false;
    int chosenIndex = -2;
    int menusShown = 0;
};

class RecordingEditor : public IGraphicsWin
{
public:
    using IGraphicsWin::IGraphicsWin;

    bool PresentArea(const Rect& area) override
    {
        presented.push_back(area);
        return IGraphicsWin::PresentArea(area);
    }

    bool Presented(const Rect& area) const
    {
        for (const Rect& r : presented)
        {
            if (r == area)
            {
                return true;
            }
        }
        return false;
    }

    std::vector<Rect> presented;
};

// One plug-in with its editor: background, a gain box (text entry), a mode box (menu), a pad
// for mouse input, a key pad that handles keys and a menu button.
struct Fixture
{
    TestPlug plug;
    RecordingEditor* editor = nullptr;
    RectControl* background = nullptr;
    RectControl* gainBox = nullptr;
    RectControl* modeBox = nullptr;
    RectControl* pad = nullptr;
    RectControl* keyPad = nullptr;
    MenuControl* menuButton = nullptr;

    Fixture()
    {
        editor = new RecordingEditor(&plug, kEditorWidth, kEditorHeight, 30);
        background =
            Add(new RectControl(&plug, Rect(0, 0, kEditorWidth, kEditorHeight), -1, 0x404040));
        gainBox = Add(
            new RectControl(&plug, Rect(20, 20, 120, 60), TestPlug::kGain, 0x0000c0, "Gain box"));
        modeBox = Add(
            new RectControl(&plug, Rect(140, 20, 240, 60), TestPlug::kMode, 0x00c000, "Mode box"));
        pad = Add(new RectControl(&plug, Rect(20, 100, 220, 200), -1, 0xc00000, "Pad"));
        keyPad = Add(new RectControl(&plug, Rect(260, 100, 360, 200), -1, 0xc0c000));
        keyPad->handlesKeys = true;
        menuButton = Add(new MenuControl(&plug, Rect(260, 20, 360, 60), -1, 0x00c0c0));
        editor->SetHandleMouseOver(true);
        editor->SetShowTooltips(true);
        plug.AttachEditor(editor);
    }

    template <class T> T* Add(T* control)
    {
        editor->AddControl(control);
        return control;
    }

    HWND Window() const { return static_cast<HWND>(editor->NativeWindow()); }

    void ClearEvents()
    {
        for (int i = 0; i < editor->ControlCount(); ++i)
        {
            static_cast<RectControl*>(editor->ControlAt(i))->events.clear();
        }
    }
};

// The host's top-level window; records the key messages the editor forwards to it.
std::vector<UINT> hostKeyMessages;
std::vector<WPARAM> hostKeyCodes;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP)
    {
        hostKeyMessages.push_back(message);
        hostKeyCodes.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateHostWindow(int left, int top)
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA host{};
        host.lpfnWndProc = HostProc;
        host.hInstance = GetModuleHandleA(nullptr);
        host.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        host.lpszClassName = "KestruneTestHost";
        registered = RegisterClassA(&host) != 0;
    }
    HWND hwnd = CreateWindowExA(0, "KestruneTestHost", "Host", WS_POPUP | WS_VISIBLE, left, top,
                                kEditorWidth + 100, kEditorHeight + 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(hwnd);
    return hwnd;
}

bool ClassRegistered()
{
    WNDCLASSA info;
    return GetClassInfoA(GetModuleHandleA(nullptr), IGraphicsWin::kWindowClassName, &info) != 0;
}

std::string ClassName(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string WindowText(HWND hwnd)
{
    char text[64] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

// xdotool coordinates of an editor point.
std::string ScreenPoint(HWND editorWindow, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(editorWindow, &p);
    return std::to_string(p.x) + " " + std::to_string(p.y);
}

std::string MoveTo(const Fixture& f, int x, int y)
{
    return "mousemove " + ScreenPoint(f.Window(), x, y) + " ";
}

std::string TooltipText(const Fixture& f)
{
    char text[80] = "?";
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = f.Window();
    tool.uId = reinterpret_cast<UINT_PTR>(f.Window());
    tool.lpszText = text;
    SendMessageA(static_cast<HWND>(f.editor->TooltipWindow()), TTM_GETTEXTA, sizeof(text),
                 reinterpret_cast<LPARAM>(&tool));
    return text;
}

bool Near(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

// ---------------------------------------------------------------------------------------------

void TestBitmap()
{
    struct SizeCase
    {
        int width, height, rowSpan, rowBytes;
    };
    for (const SizeCase& c : {SizeCase{800, 600, 800, 3200}, SizeCase{801, 600, 804, 3216},
                              SizeCase{1, 1, 4, 16}, SizeCase{3, 2, 4, 16}})
    {
        const std::string name =
            "bitmap " + std::to_string(c.width) + "x" + std::to_string(c.height) + ": ";
        LICE_SysBitmap bitmap(c.width, c.height);
        Check(bitmap.Width() == c.width && bitmap.Height() == c.height, name + "size");
        Check(bitmap.RowSpan() == c.rowSpan, name + "row span");
        Check(!bitmap.IsFlipped(), name + "top-down");
        HDC dc = static_cast<HDC>(bitmap.DeviceContext());
        DIBSECTION dib{};
        HGDIOBJ selected = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
        Check(selected && GetObjectA(selected, sizeof(dib), &dib) == sizeof(dib),
              name + "a DIB section is selected into the device context");
        Check(dib.dsBm.bmWidthBytes == c.rowBytes, name + "bytes per row");
        Check(dib.dsBm.bmBits == bitmap.Bits(), name + "the DIB's pixels are Bits()");
        Check(dib.dsBm.bmHeight == c.height && dib.dsBm.bmBitsPixel == 32,
              name + "32 bits per pixel");
    }

    LICE_SysBitmap bitmap(800, 600);
    LICE_pixel* first = bitmap.Bits();
    // A pixel written through Bits() is the one GDI reads at that place.
    first[5 * bitmap.RowSpan() + 7] = 0x00123456;
    Check(GetPixel(static_cast<HDC>(bitmap.DeviceContext()), 7, 5) == RGB(0x12, 0x34, 0x56),
          "bitmap: memory layout is blue, green, red, padding, top row first");
    Check(bitmap.Resize(400, 300) && bitmap.Bits() == first && bitmap.RowSpan() == 800 &&
              bitmap.Width() == 400,
          "bitmap: shrinking keeps the allocation and its row span");
    Check(bitmap.Resize(800, 600) && bitmap.Bits() == first,
          "bitmap: growing back allocates nothing");
    Check(!bitmap.Resize(800, 600) && bitmap.Bits() == first,
          "bitmap: resizing to the current size returns false and changes nothing");
    Check(!bitmap.Resize(0, 0) && bitmap.Bits() == nullptr &&
              GetCurrentObject(static_cast<HDC>(bitmap.DeviceContext()), OBJ_BITMAP) != nullptr,
          "bitmap: 0 x 0 releases the bitmap and restores the previous selection");
    Check(!bitmap.Resize(-5, 10) && bitmap.Width() == 0 && bitmap.Bits() == nullptr,
          "bitmap: a negative side is refused");
    Check(bitmap.Resize(804, 2) && bitmap.RowSpan() == 804, "bitmap: usable again after 0 x 0");
}

void TestLifecycle(HWND host, HWND secondHost)
{
    Check(!ClassRegistered() && IGraphicsWin::OpenWindowCount() == 0,
          "no window class before the first window");
    Fixture a;
    Fixture b;
    HWND first = static_cast<HWND>(a.editor->OpenEditorWindow(host));
    Check(first != nullptr && ClassRegistered() && IGraphicsWin::OpenWindowCount() == 1,
          "the first window registers the class");
    Check(ClassName(first) == "IPlugWndClass" && WindowText(first) == "IPlug" &&
              GetParent(first) == host,
          "the editor window: class \"IPlugWndClass\", title \"IPlug\", child of the host");
    Check((GetWindowLongA(first, GWL_STYLE) & 0x50000000) == 0x50000000 &&
              (GetClassLongA(first, GCL_STYLE) & CS_DBLCLKS) != 0,
          "child and visible window style; the class reports double-clicks");
    RECT size;
    GetClientRect(first, &size);
    Check(size.right == kEditorWidth && size.bottom == kEditorHeight,
          "the window has the editor's size");
    Check(KillTimer(first, IGraphicsWin::kFrameTimerId) != 0, "the frame timer runs with id 2");
    SetTimer(first, IGraphicsWin::kFrameTimerId, 33, nullptr);
    HWND tip = static_cast<HWND>(a.editor->TooltipWindow());
    Check(tip && ClassName(tip) == "tooltips_class32" &&
              (GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
          "the tooltip control is created topmost");

    HWND second = static_cast<HWND>(b.editor->OpenEditorWindow(secondHost));
    Check(second && IGraphicsWin::OpenWindowCount() == 2, "two windows share one class");
    a.editor->CloseEditorWindow();
    Check(a.editor->NativeWindow() == nullptr && !IsWindow(first) && ClassRegistered() &&
              IGraphicsWin::OpenWindowCount() == 1,
          "closing the first window keeps the class");
    Check(a.editor->TooltipWindow() == nullptr && !IsWindow(tip), "closing destroys the tooltip");
    SendMessageA(second, WM_CLOSE, 0, 0);
    Check(b.editor->NativeWindow() == nullptr && !ClassRegistered() &&
              IGraphicsWin::OpenWindowCount() == 0,
          "a close request closes the last window, which unregisters the class");

    // Re-opening: the same place and size, and everything redrawn.
    HWND opened = static_cast<HWND>(a.editor->OpenEditorWindow(host));
    SetWindowPos(opened, nullptr, 15, 25, 380, 280, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(150);
    for (int i = 0; i < a.editor->ControlCount(); ++i)
    {
        a.editor->ControlAt(i)->MarkClean();
    }
    HWND reopened = static_cast<HWND>(a.editor->OpenEditorWindow(host));
    RECT placed;
    GetWindowRect(reopened, &placed);
    POINT topLeft{placed.left, placed.top};
    ScreenToClient(host, &topLeft);
    Check(reopened && !IsWindow(opened) && IGraphicsWin::OpenWindowCount() == 1,
          "opening again replaces the window");
    Check(topLeft.x == 15 && topLeft.y == 25 && placed.right - placed.left == 380 &&
              placed.bottom - placed.top == 280,
          "the new window keeps the old one's place and size");
    bool allDirty = true;
    for (int i = 0; i < a.editor->ControlCount(); ++i)
    {
        allDirty = allDirty && a.editor->ControlAt(i)->IsMarkedDirty();
    }
    Check(allDirty, "opening marks every control dirty");
    a.editor->presented.clear();
    // Everything is dirty; the window clips the repaint to its 380 x 280.
    Check(PumpUntil([&] { return a.editor->Presented(Rect(0, 0, 380, 280)); }),
          "the first tick after opening presents the whole window");
    a.editor->CloseEditorWindow();
    Check(!ClassRegistered(), "class gone after the last close");
}

void TestFrameTimer(Fixture& f)
{
    // Let the opening repaint settle, then nothing is dirty: ticks present nothing.
    PumpUntil([&] { return !f.editor->presented.empty(); });
    Pump(120);
    f.editor->presented.clear();
    Pump(200);
    Check(f.editor->presented.empty(), "idle ticks present nothing");

    f.pad->colour = 0x2060a0;
    f.pad->MarkDirty(false);
    Check(PumpUntil([&] { return !f.editor->presented.empty(); }),
          "a control marked dirty is presented by the timer");
    Check(f.editor->presented.size() == 1 && f.editor->presented[0] == f.pad->GetDrawRect(),
          "the timer presents exactly the dirty area");
    HDC screen = GetDC(f.Window());
    Check(GetPixel(screen, 120, 150) == RGB(0x20, 0x60, 0xa0),
          "the dirty control's new colour reaches the window");
    Check(GetPixel(screen, 300, 250) == RGB(0x40, 0x40, 0x40), "the background stays as it was");
    ReleaseDC(f.Window(), screen);

    f.editor->presented.clear();
    f.pad->MarkDirty(false);
    f.keyPad->MarkDirty(false);
    PumpUntil([&] { return !f.editor->presented.empty(); });
    Check(!f.editor->presented.empty() && f.editor->presented[0] == Rect(20, 100, 360, 200),
          "two dirty controls give one union rectangle");
}

void TestMouse(Fixture& f)
{
    f.ClearEvents();
    // Down on the pad, drag out of the host window to the right, release out there.
    POINT outside{kEditorWidth + 150, 150};
    ClientToScreen(f.Window(), &outside);
    const std::string out = std::to_string(outside.x) + " " + std::to_string(outside.y);
    Xdo(MoveTo(f, 100, 150) + "mousedown 1 " + MoveTo(f, 300, 150) + "mousemove " + out +
            " mouseup 1",
        [&] { return f.pad->Count("up") > 0; });
    const Event* down = f.pad->Last("down");
    const Event* drag = f.pad->Last("drag");
    const Event* up = f.pad->Last("up");
    Check(down && down->x == 100 && down->y == 150 && down->mods.left,
          "mouse-down reaches the pad at editor coordinates");
    Check(drag && drag->x == kEditorWidth + 150 && drag->y == 150,
          "with the capture, the drag outside the window still reaches the pad");
    Check(up && up->x == kEditorWidth + 150, "the mouse-up outside reaches the pad");
    Check(f.keyPad->Count("drag") == 0 && f.keyPad->Count("down") == 0,
          "the control under the dragged pointer gets nothing");
    Check(GetCapture() == nullptr && f.editor->MouseCapture() == -1,
          "the capture ends with the mouse-up");
    Check(GetFocus() == f.Window(), "a click gives the editor the keyboard focus");

    f.ClearEvents();
    Xdo(MoveTo(f, 60, 120) + "click --repeat 2 --delay 60 1",
        [&] { return f.pad->Count("double") > 0 && f.pad->Count("up") > 1; });
    Check(f.pad->Count("double") == 1 && f.pad->Count("down") == 1,
          "a double-click: one press, then HandleDoubleClick");

    f.ClearEvents();
    Xdo(MoveTo(f, 110, 160) + "click 4", [&] { return f.pad->Count("wheel") > 0; });
    Xdo("click 5", [&] { return f.pad->Count("wheel") > 1; });
    Xdo("click 5", [&] { return f.pad->Count("wheel") > 2; });
    const Event* wheel = f.pad->Last("wheel");
    Check(f.pad->Count("wheel") == 3 && f.pad->events.size() >= 3,
          "three wheel steps reach the pad");
    std::vector<int> notches;
    for (const Event& e : f.pad->events)
    {
        if (e.kind == "wheel")
        {
            notches.push_back(e.value);
        }
    }
    Check(notches == std::vector<int>({1, -1, -1}), "wheel up is +1 notch, down -1");
    Check(wheel && wheel->x == 110 && wheel->y == 160,
          "the wheel's screen position is converted to editor coordinates");

    // Wheel data straight from a high-resolution wheel (no X button for it).
    struct WheelCase
    {
        int delta, notches;
    };
    for (const WheelCase& c :
         {WheelCase{60, 0}, WheelCase{-60, 0}, WheelCase{240, 2}, WheelCase{-359, -2}})
    {
        f.pad->events.clear();
        POINT p{50, 150};
        ClientToScreen(f.Window(), &p);
        SendMessageA(f.Window(), WM_MOUSEWHEEL,
                     MAKEWPARAM(0, static_cast<WORD>(static_cast<int16_t>(c.delta))),
                     MAKELPARAM(p.x, p.y));
        const Event* e = f.pad->Last("wheel");
        Check(e && e->value == c.notches,
              "wheel delta " + std::to_string(c.delta) + " gives " + std::to_string(c.notches));
    }

    f.ClearEvents();
    Xdo(MoveTo(f, 70, 130) + "keydown Alt_L click 1 keyup Alt_L",
        [&] { return f.pad->Count("up") > 0 && GetAsyncKeyState(VK_MENU) >= 0; });
    const Event* altDown = f.pad->Last("down");
    Check(altDown && altDown->mods.alt, "Alt held while clicking is reported as alt");
    f.ClearEvents();
    Xdo(MoveTo(f, 70, 130) + "keydown Shift_L click 1 keyup Shift_L",
        [&] { return f.pad->Count("up") > 0; });
    const Event* shiftDown = f.pad->Last("down");
    Check(shiftDown && shiftDown->mods.shift && !shiftDown->mods.alt,
          std::string("Shift comes from the message, Alt is not held (shift ") +
              (shiftDown && shiftDown->mods.shift ? "1" : "0") + ", alt " +
              (shiftDown && shiftDown->mods.alt ? "1" : "0") + ")");
}

void TestKeys(Fixture& f)
{
    Xdo(MoveTo(f, 300, 250) + "click 1", [&] { return f.background->Count("up") > 0; });
    hostKeyMessages.clear();
    hostKeyCodes.clear();
    Xdo("key a", [] { return hostKeyMessages.size() >= 2; });
    Check(hostKeyMessages.size() == 2 && hostKeyMessages[0] == WM_KEYDOWN &&
              hostKeyCodes[0] == 'A' && hostKeyMessages[1] == WM_KEYUP,
          "a key over the background goes on to the host window");

    f.ClearEvents();
    hostKeyMessages.clear();
    Xdo(MoveTo(f, 300, 150) + "key b Up", [&] { return f.keyPad->Count("key") >= 2; });
    std::vector<int> keys;
    for (const Event& e : f.keyPad->events)
    {
        if (e.kind == "key")
        {
            keys.push_back(e.value);
        }
    }
    Check(keys == std::vector<int>({16, 1}), "B and Up reach the control as keys 16 and 1");
    bool hostSawDown = false;
    for (UINT m : hostKeyMessages)
    {
        hostSawDown = hostSawDown || m == WM_KEYDOWN;
    }
    Check(!hostSawDown && !hostKeyMessages.empty(),
          "handled key-downs stay in the editor; key-ups still reach the host");
}

void TestHoverAndTooltip(Fixture& f)
{
    Xdo(MoveTo(f, 300, 250));
    f.ClearEvents();
    Xdo(MoveTo(f, 100, 160), [&] { return f.pad->Count("over") > 0; });
    Check(f.pad->Count("over") >= 1, "moving over the pad dispatches hover");
    Check(PumpUntil([&] { return f.editor->TooltipShown(); }),
          "hovering a while asks for the tooltip");
    Check(TooltipText(f) == "Pad", "the tooltip text is the pad's tooltip");

    f.ClearEvents();
    Xdo(MoveTo(f, 70, 40), [&] { return f.gainBox->Count("over") > 0 && f.pad->Count("out") > 0; });
    Check(f.gainBox->Count("over") >= 1 && f.pad->Count("out") == 1,
          "moving onto another control: the new one gets hover, the old one mouse-out");
    Check(!f.editor->TooltipShown() && TooltipText(f).empty(),
          "changing controls clears the tooltip text");
    PumpUntil([&] { return f.editor->TooltipShown(); });
    Check(TooltipText(f) == "Gain box", "the new control's tooltip after hovering");

    POINT away{kEditorWidth + 300, kEditorHeight + 300};
    ClientToScreen(f.Window(), &away);
    f.ClearEvents();
    Xdo("mousemove " + std::to_string(away.x) + " " + std::to_string(away.y));
    Check(PumpUntil([&] { return f.gainBox->Count("out") > 0; }),
          "leaving the window sends mouse-out");
    Check(!f.editor->TooltipShown() && TooltipText(f).empty() && f.editor->MouseOverIndex() == -1,
          "leaving clears the tooltip and the hovered control");
}

void CALLBACK EndAnyMenu(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

void TestPopupMenus(Fixture& f)
{
    IPlugParameter* mode = f.plug.Param(TestPlug::kMode);
    // A safety net: a menu that no key reaches must not hang the run.
    const UINT_PTR rescue = SetTimer(nullptr, 0, 4000, EndAnyMenu);

    Xdo(MoveTo(f, 190, 40) + "click 3 sleep 0.5 key Down Down Return",
        [&] { return Near(mode->Value(), 1.0); });
    Check(Near(mode->Value(), 1.0), "choosing the second menu entry sets the enum to 1 (\"Mid\")");

    f.editor->presented.clear();
    Xdo(MoveTo(f, 190, 40) + "click 3 sleep 0.5 key Escape");
    Check(Near(mode->Value(), 1.0), "a dismissed menu leaves the parameter unchanged");
    Check(PumpUntil([&] { return f.editor->Presented(Rect(0, 0, kEditorWidth, kEditorHeight)); }),
          "a dismissed menu still redraws the whole window");

    Xdo(MoveTo(f, 310, 40) + "click 1 sleep 0.5 key Down Down Right Down Return",
        [&] { return f.menuButton->menusShown == 1; });
    Check(f.menuButton->menusShown == 1 && f.menuButton->resultWasSubmenu &&
              f.menuButton->chosenIndex == 1,
          "a submenu entry is found by its command: the submenu, item 1");
    Xdo(MoveTo(f, 310, 40) + "click 1 sleep 0.5 key Down Down Down Return",
        [&] { return f.menuButton->menusShown == 2; });
    Check(f.menuButton->resultWasTop && f.menuButton->chosenIndex == 2,
          "the entry after a submenu: the top menu, item 2");
    KillTimer(nullptr, rescue);
}

void OpenGainEntry(Fixture& f)
{
    Xdo(MoveTo(f, 70, 40) + "click 3");
    PumpUntil([&] { return f.editor->EditWindow() != nullptr; });
}

void TestTextEntry(Fixture& f)
{
    IPlugParameter* gain = f.plug.Param(TestPlug::kGain);
    OpenGainEntry(f);
    HWND box = static_cast<HWND>(f.editor->EditWindow());
    Check(box && ClassName(box) == "Edit" && GetParent(box) == f.Window() &&
              GetDlgCtrlID(box) == IGraphicsWin::kEditBoxId,
          "a right-click on the gain box opens an EDIT child with id 99");
    Check(box && WindowText(box) == "0.0" &&
              static_cast<DWORD>(GetWindowLongPtrA(box, GWLP_USERDATA)) == 0xDEADF00B,
          "the box holds the current value text and is marked 0xDEADF00B");
    Check(box && (GetWindowLongA(box, GWL_STYLE) & 0x50000085) == 0x50000085,
          "child, visible, multi-line, auto-scrolling and centred");
    Check(GetFocus() == box && f.editor->TextEntry().State() == TextEntryState::None,
          "the box has the focus and the state is None");

    Xdo("type 1x2.5", [&] { return WindowText(box).size() > 3; });
    Check(WindowText(box) == "12.5",
          "typing 1x2.5 leaves 12.5: the x is swallowed (box: \"" + WindowText(box) + "\")");
    f.gainBox->applied = 0;
    Xdo("key Return");
    Check(PumpUntil([&] { return f.editor->EditWindow() == nullptr; }),
          "Enter closes the box at a tick");
    Check(Near(gain->Value(), 12.5), "Enter applies 12.5 to the parameter");
    Check(f.gainBox->applied == 1 && f.gainBox->appliedDuringMessage == WM_TIMER,
          "the value is applied by the frame timer, not by the key");
    Check(!IsWindow(box) && !f.editor->TextEntry().IsOpen(), "the box is destroyed");

    OpenGainEntry(f);
    Xdo("type 3", [&] { return WindowText(static_cast<HWND>(f.editor->EditWindow())) == "3"; });
    Xdo("key Escape");
    Check(PumpUntil([&] { return f.editor->EditWindow() == nullptr; }), "Escape closes the box");
    Check(Near(gain->Value(), 12.5), "Escape leaves the value unchanged");

    OpenGainEntry(f);
    Xdo("type 7", [&] { return WindowText(static_cast<HWND>(f.editor->EditWindow())) == "7"; });
    f.ClearEvents();
    Xdo(MoveTo(f, 100, 150) + "click 1");
    Check(PumpUntil([&] { return f.editor->EditWindow() == nullptr; }) && Near(gain->Value(), 7.0),
          "a click elsewhere in the editor commits the entry");
    Check(f.pad->Count("down") == 0, "the committing click reaches no control");

    OpenGainEntry(f);
    Xdo("type 9", [&] { return WindowText(static_cast<HWND>(f.editor->EditWindow())) == "9"; });
    f.editor->CancelTextEntry();
    Check(PumpUntil([&] { return f.editor->EditWindow() == nullptr; }) && Near(gain->Value(), 7.0),
          "cancelling from the editor closes the box without a value");

    OpenGainEntry(f);
    f.editor->CloseEditorWindow();
    Check(!f.editor->TextEntry().IsOpen() && f.editor->EditWindow() == nullptr,
          "closing the window ends an open entry");
    Check(Near(gain->Value(), 7.0), "...without applying it");
}

} // namespace

int main()
{
    wintest::StartWatchdog(150);
    HWND host = CreateHostWindow(kHostLeft, kHostTop);
    HWND secondHost = CreateHostWindow(kHostLeft + 600, kHostTop + 500);
    Check(host && secondHost, "host windows");
    Pump(200);

    TestBitmap();
    TestLifecycle(host, secondHost);

    Fixture f;
    Check(f.editor->OpenEditorWindow(host) != nullptr, "the editor opens");
    TestFrameTimer(f);
    TestMouse(f);
    TestKeys(f);
    TestHoverAndTooltip(f);
    TestPopupMenus(f);
    TestTextEntry(f);

    // Reopened after a close with an open entry, prompts work again.
    f.editor->OpenEditorWindow(host);
    Pump(100);
    OpenGainEntry(f);
    Check(f.editor->EditWindow() != nullptr, "a new prompt opens after the window was reopened");
    f.editor->CloseEditorWindow();

    DestroyWindow(secondHost);
    DestroyWindow(host);
    return wintest::Finish();
}
