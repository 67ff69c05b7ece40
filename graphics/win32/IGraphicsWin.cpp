#include "graphics/win32/IGraphicsWin.h"

#include "framework/IPlugParameter.h"
#include "graphics/FrameTick.h"
#include "graphics/IControl.h"
#include "graphics/KeyCodes.h"
#include "graphics/PlatformGraphics.h"

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cmath>
#include <vector>

namespace
{

// Window styles and flags, spelled out where the value itself matters.
constexpr DWORD kEditorWindowStyle = WS_CHILD | WS_VISIBLE;                            // 0x50000000
constexpr DWORD kEditBoxStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL; // 0x50000084
constexpr DWORD kTooltipStyle = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;               // 0x80000003
constexpr LONG kEditBoxMarker = static_cast<LONG>(0xDEADF00B);
constexpr UINT kTooltipToolFlags = TTF_IDISHWND | TTF_SUBCLASS; // 0x11
constexpr DWORD kTooltipClassSet = ICC_TAB_CLASSES;             // 8
constexpr int kWheelDeltaPerNotch = WHEEL_DELTA;
static_assert(kWheelDeltaPerNotch == 120);

// Editor windows open in this process; only touched on the user-interface thread.
int openWindowCount = 0;
// The instance the class was registered for, so that the last close unregisters the same class.
HINSTANCE registeredInstance = nullptr;
// The frame rate of the window being created, read by its WM_CREATE.
int creatingFrameRate = IGraphics::kDefaultFrameRate;

HWND AsWindow(void* handle)
{
    return static_cast<HWND>(handle);
}

int LowWord(uintptr_t value)
{
    return static_cast<int>(value & 0xffff);
}

int HighWord(uintptr_t value)
{
    return static_cast<int>((value >> 16) & 0xffff);
}

int SignedLowWord(intptr_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xffff));
}

int SignedHighWord(intptr_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>((value >> 16) & 0xffff));
}

MouseMods ModsFromKeyState(uintptr_t keyState)
{
    MouseMods mods;
    mods.left = (keyState & MK_LBUTTON) != 0;
    mods.right = (keyState & MK_RBUTTON) != 0;
    mods.shift = (keyState & MK_SHIFT) != 0;
    mods.control = (keyState & MK_CONTROL) != 0;
    // Mouse messages do not carry Alt; ask for the key's state at this moment.
    mods.alt = GetAsyncKeyState(VK_MENU) < 0;
    return mods;
}

RECT ToRECT(const Rect& r)
{
    RECT out;
    out.left = r.left;
    out.top = r.top;
    out.right = r.right;
    out.bottom = r.bottom;
    return out;
}

COLORREF ToColorRef(const Color& c)
{
    return RGB(c.red, c.green, c.blue);
}

IGraphicsWin* EditorOfWindow(HWND hwnd)
{
    return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HINSTANCE InstanceOf(void* moduleHandle)
{
    return moduleHandle ? static_cast<HINSTANCE>(moduleHandle) : GetModuleHandleA(nullptr);
}

} // namespace

// The window procedures; friends of IGraphicsWin so that they reach its message handlers.
struct WinMessages
{
    static LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CREATE)
        {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            const int rate = creatingFrameRate > 0 ? creatingFrameRate : 1;
            SetTimer(hwnd, IGraphicsWin::kFrameTimerId, static_cast<UINT>(1000 / rate), nullptr);
            return 0;
        }
        IGraphicsWin* editor = EditorOfWindow(hwnd);
        if (!editor || editor->window != hwnd)
        {
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        return editor->HandleMessage(message, wParam, lParam);
    }

    static LRESULT CALLBACK EditBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        IGraphicsWin* editor = EditorOfWindow(GetParent(hwnd));
        if (!editor || editor->editWindow != hwnd)
        {
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        return editor->HandleEditMessage(message, wParam, lParam);
    }
};

IGraphicsWin::IGraphicsWin(IPlugBase* owner, int editorWidth, int editorHeight, int rate)
    : IGraphics(owner, editorWidth, editorHeight, rate)
{
}

IGraphicsWin::~IGraphicsWin()
{
    if (window)
    {
        CloseEditorWindow();
    }
}

int IGraphicsWin::OpenWindowCount()
{
    return openWindowCount;
}

namespace
{

bool RegisterEditorClass(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS; // 8
    windowClass.lpfnWndProc = WinMessages::EditorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = IGraphicsWin::kWindowClassName;
    if (!RegisterClassA(&windowClass))
    {
        return false;
    }
    registeredInstance = instance;
    return true;
}

void AddWindowToCount(HINSTANCE instance)
{
    if (openWindowCount++ == 0)
    {
        RegisterEditorClass(instance);
    }
}

void RemoveWindowFromCount()
{
    if (openWindowCount > 0 && --openWindowCount == 0)
    {
        UnregisterClassA(IGraphicsWin::kWindowClassName, registeredInstance);
        registeredInstance = nullptr;
    }
}

} // namespace

void* IGraphicsWin::OpenEditorWindow(void* parent)
{
    parentWindow = parent;
    int x = 0;
    int y = 0;
    int w = width;
    int h = height;
    if (window)
    {
        RECT placed;
        GetWindowRect(AsWindow(window), &placed);
        POINT topLeft{placed.left, placed.top};
        ScreenToClient(AsWindow(parent), &topLeft);
        x = topLeft.x;
        y = topLeft.y;
        w = placed.right - placed.left;
        h = placed.bottom - placed.top;
        CloseEditorWindow();
    }

    const HINSTANCE instance = InstanceOf(moduleHandle);
    AddWindowToCount(instance);
    creatingFrameRate = frameRate;
    // Set before creation so that the first messages after WM_CREATE are already ours.
    HWND created = CreateWindowExA(0, kWindowClassName, "IPlug", kEditorWindowStyle, x, y, w, h,
                                   AsWindow(parent), nullptr, instance, this);
    window = created;
    if (!created)
    {
        RemoveWindowFromCount();
        return nullptr;
    }
    MarkAllControlsDirty();
    if (showTooltips)
    {
        CreateTooltip();
    }
    return window;
}

void IGraphicsWin::CreateTooltip()
{
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), kTooltipClassSet};
    HWND tip = nullptr;
    if (InitCommonControlsEx(&classes))
    {
        tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, kTooltipStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, AsWindow(window),
                              nullptr, InstanceOf(moduleHandle), nullptr);
    }
    if (tip)
    {
        SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = kTooltipToolFlags;
        tool.hwnd = AsWindow(window);
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        char empty[1] = "";
        tool.lpszText = empty;
        if (!SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
        {
            DestroyWindow(tip);
            tip = nullptr;
        }
    }
    tooltipWindow = tip;
    if (!tip)
    {
        showTooltips = false;
    }
}

void IGraphicsWin::DestroyTooltip()
{
    if (tooltipWindow)
    {
        DestroyWindow(AsWindow(tooltipWindow));
    }
    tooltipWindow = nullptr;
    tooltipShown = false;
    tooltipControl = -1;
}

void IGraphicsWin::SetTooltipText(const char* text)
{
    if (!tooltipWindow)
    {
        return;
    }
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = AsWindow(window);
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(AsWindow(tooltipWindow), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void IGraphicsWin::ClearTooltip()
{
    if (tooltipShown)
    {
        SetTooltipText("");
        tooltipShown = false;
    }
}

void IGraphicsWin::CloseEditorWindow()
{
    DestroyTooltip();
    // The box dies with the window; the entry must end too (unapplied) so a later prompt can
    // open a new box.
    EndTextEntry();
    if (!window)
    {
        return;
    }
    HWND closing = AsWindow(window);
    // Forget the window first: the messages of its destruction get default handling.
    window = nullptr;
    DestroyWindow(closing);
    RemoveWindowFromCount();
}

bool IGraphicsWin::PresentArea(const Rect& area)
{
    HWND hwnd = AsWindow(window);
    if (!hwnd)
    {
        return false;
    }
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(hwnd, &paint);
    HDC source = backingBitmap ? static_cast<HDC>(backingBitmap->DeviceContext()) : nullptr;
    bool copied = false;
    if (screen && source)
    {
        copied = BitBlt(screen, area.left, area.top, area.Width(), area.Height(), source, area.left,
                        area.top, SRCCOPY) != 0;
    }
    EndPaint(hwnd, &paint);
    return copied;
}

void IGraphicsWin::PaintNow(const Rect& area, const Rect* exclude)
{
    HWND hwnd = AsWindow(window);
    const RECT dirty = ToRECT(area);
    InvalidateRect(hwnd, &dirty, FALSE);
    if (exclude)
    {
        const RECT box = ToRECT(*exclude);
        ValidateRect(hwnd, &box);
    }
    UpdateWindow(hwnd);
}

void IGraphicsWin::OnFrameTimer()
{
    if (textEntry.IsOpen())
    {
        const TextEntryState state = textEntry.State();
        if (state == TextEntryState::Commit)
        {
            char text[TextEntrySession::kMaxCommittedLength + 1] = "";
            GetWindowTextA(AsWindow(editWindow), text, static_cast<int>(sizeof(text)));
            textEntry.SetText(text);
        }
        if (state == TextEntryState::Commit || state == TextEntryState::Cancel)
        {
            // The box goes before the value is applied: applying may open a new prompt.
            DestroyEditBox();
        }
    }
    RunFrameTick(*this, textEntry,
                 [this](const Rect& area, const Rect* exclude) { PaintNow(area, exclude); });
}

intptr_t IGraphicsWin::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    HWND hwnd = AsWindow(window);
    if (textEntry.IsOpen() && textEntry.State() == TextEntryState::Focused)
    {
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
        {
            textEntry.HandleEvent(TextEntryEvent::ClickInEditor);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    const int x = SignedLowWord(lParam);
    const int y = SignedHighWord(lParam);
    switch (message)
    {
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    case WM_PAINT:
    {
        RECT update;
        if (!GetUpdateRect(hwnd, &update, FALSE))
        {
            break;
        }
        DrawArea(Rect(update.left, update.top, update.right, update.bottom));
        // An editor without controls presents nothing; the area must not stay pending, or
        // WM_PAINT would come back for ever.
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    case WM_CLOSE:
        CloseEditorWindow();
        return 0;
    case WM_KEYDOWN:
    {
        const int key = EditorKeyFromVirtualKey(static_cast<int>(wParam));
        if (key != kKeyNone)
        {
            POINT cursor;
            GetCursorPos(&cursor);
            ScreenToClient(hwnd, &cursor);
            if (DispatchKeyDown(cursor.x, cursor.y, key))
            {
                return 0;
            }
        }
        [[fallthrough]];
    }
    case WM_KEYUP:
    {
        HWND host = GetAncestor(hwnd, GA_ROOT);
        if (host && host != hwnd)
        {
            SendMessageA(host, message, wParam, lParam);
        }
        break;
    }
    case WM_TIMER:
        if (wParam == kFrameTimerId)
        {
            OnFrameTimer();
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
        if (textEntry.IsOpen())
        {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const TextStyle& style = textEntry.Control()->GetTextStyle();
            SetBkColor(dc, ToColorRef(style.background));
            SetTextColor(dc, ToColorRef(style.foreground));
            SetBkMode(dc, OPAQUE);
            // The box's empty part in the same colour as behind the text.
            SetDCBrushColor(dc, ToColorRef(style.background));
            return reinterpret_cast<intptr_t>(GetStockObject(DC_BRUSH));
        }
        break;
    case WM_MOUSEMOVE:
    {
        const MouseMods mods = ModsFromKeyState(wParam);
        if (mods.left || mods.right)
        {
            if (GetCapture() == hwnd && !textEntry.IsOpen())
            {
                DispatchMouseDrag(x, y, mods);
            }
            return 0;
        }
        if (DispatchMouseOver(x, y, mods))
        {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd;
            track.dwHoverTime = HOVER_DEFAULT;
            if (showTooltips && mouseOverIndex != tooltipControl)
            {
                tooltipControl = mouseOverIndex;
                if (tooltipControl >= 0)
                {
                    track.dwFlags |= TME_HOVER;
                }
                ClearTooltip();
            }
            TrackMouseEvent(&track);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        ClearTooltip();
        if (textEntry.IsOpen())
        {
            textEntry.HandleEvent(TextEntryEvent::ClickInEditor);
            return 0;
        }
        SetFocus(hwnd);
        SetCapture(hwnd);
        DispatchMouseDown(x, y, ModsFromKeyState(wParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        ReleaseCapture();
        DispatchMouseUp(x, y, ModsFromKeyState(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        if (DispatchDoubleClick(x, y, ModsFromKeyState(wParam)))
        {
            SetCapture(hwnd);
        }
        return 0;
    case WM_MOUSEWHEEL:
    {
        if (textEntry.IsOpen())
        {
            textEntry.HandleEvent(TextEntryEvent::WheelOverEditor);
            return 0;
        }
        RECT placed;
        GetWindowRect(hwnd, &placed);
        const int notches = WheelNotchesFromDelta(static_cast<int16_t>(HighWord(wParam)));
        DispatchMouseWheel(x - placed.left, y - placed.top,
                           ModsFromKeyState(static_cast<uintptr_t>(LowWord(wParam))), notches);
        return 0;
    }
    case WM_MOUSEHOVER:
    {
        const IControl* hovered = ControlAt(tooltipControl);
        SetTooltipText(hovered ? hovered->Tooltip().c_str() : "");
        tooltipShown = true;
        return 0;
    }
    case WM_MOUSELEAVE:
        ClearTooltip();
        // Coming back onto the same control must ask for its tooltip again.
        tooltipControl = -1;
        DispatchMouseOut();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void IGraphicsWin::BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                                  const char* initialText, IPlugParameter* parameter)
{
    if (!control || textEntry.IsOpen() || editWindow || !window)
    {
        return;
    }
    DWORD alignment = ES_LEFT;
    if (style.alignment == kTextAlignRight)
    {
        alignment = ES_RIGHT;
    }
    else if (style.alignment != kTextAlignLeft)
    {
        alignment = ES_CENTER;
    }
    HWND box =
        CreateWindowExA(0, "EDIT", initialText ? initialText : "", kEditBoxStyle | alignment,
                        area.left, area.top, area.right - area.left + 1, area.bottom - area.top + 1,
                        AsWindow(window), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditBoxId)),
                        InstanceOf(moduleHandle), nullptr);
    if (!box)
    {
        return;
    }
    HFONT font = CreateFontA(
        style.size, 0, 0, 0, (style.style & kTextStyleBold) ? FW_BOLD : FW_DONTCARE,
        (style.style & kTextStyleItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.fontName);
    SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(control->TextEntryLength()), 0);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SetFocus(box);

    // Subclassed only now, so the focus change above leaves the state at None and the editor
    // keeps redrawing around the box while the user types.
    editWindow = box;
    editFont = font;
    editDefaultProc = reinterpret_cast<void*>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WinMessages::EditBoxProc)));
    SetWindowLongPtrA(box, GWLP_USERDATA, kEditBoxMarker);
    textEntry.Open(control, parameter, style, area, initialText);
}

intptr_t IGraphicsWin::HandleEditMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    HWND box = AsWindow(editWindow);
    auto ownProc = reinterpret_cast<WNDPROC>(editDefaultProc);
    const auto passOn = [&] { return CallWindowProcA(ownProc, box, message, wParam, lParam); };
    ClearTooltip();
    switch (message)
    {
    case WM_SETFOCUS:
        textEntry.HandleEvent(TextEntryEvent::GainFocus);
        return passOn();
    case WM_KILLFOCUS:
        textEntry.HandleEvent(TextEntryEvent::LoseFocus);
        return passOn();
    case WM_GETDLGCODE:
    {
        if (textEntry.Parameter())
        {
            return passOn();
        }
        LRESULT code = passOn();
        const auto* query = reinterpret_cast<const MSG*>(lParam);
        if (query && query->message == WM_KEYDOWN && query->wParam == VK_RETURN)
        {
            code |= DLGC_WANTALLKEYS;
        }
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN)
        {
            textEntry.HandleEvent(TextEntryEvent::EnterKey);
            return 0;
        }
        if (wParam == VK_ESCAPE)
        {
            textEntry.HandleEvent(TextEntryEvent::EscapeKey);
            return 0;
        }
        return passOn();
    case WM_CHAR:
    {
        const char c = static_cast<char>(wParam);
        // Enter and Escape already ended the entry; their characters must not reach the text.
        if (c == '\r' || c == '\n' || c == 0x1b)
        {
            return 0;
        }
        IPlugParameter* parameter = textEntry.Parameter();
        if (parameter && c != '\b' &&
            !EntryAcceptsCharacter(static_cast<int>(parameter->Kind()), c))
        {
            return 0;
        }
        return passOn();
    }
    case WM_COMMAND:
        if (HighWord(wParam) == 1)
        {
            textEntry.HandleEvent(TextEntryEvent::CommandNotify);
            return 0;
        }
        return passOn();
    default:
        return passOn();
    }
}

void IGraphicsWin::DestroyEditBox()
{
    if (editWindow)
    {
        HWND box = AsWindow(editWindow);
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editDefaultProc));
        editWindow = nullptr;
        DestroyWindow(box);
    }
    if (editFont)
    {
        DeleteObject(static_cast<HGDIOBJ>(editFont));
    }
    editFont = nullptr;
    editDefaultProc = nullptr;
}

void IGraphicsWin::EndTextEntry()
{
    DestroyEditBox();
    textEntry.Close();
}

void IGraphicsWin::CancelTextEntry()
{
    if (textEntry.IsOpen())
    {
        textEntry.SetState(TextEntryState::Cancel);
    }
}

PopupMenu* IGraphicsWin::ShowPopupMenu(PopupMenu& menu, const Rect& anchor)
{
    DropMouseCapture();
    HWND hwnd = AsWindow(window);
    if (!hwnd)
    {
        return nullptr;
    }

    // menus[d] is the native menu being filled at depth d; FlattenMenu lists a submenu's items
    // right after its parent item, in command order.
    std::vector<HMENU> menus{CreatePopupMenu()};
    for (const MenuCommand& entry : FlattenMenu(menu))
    {
        const size_t depth = static_cast<size_t>(entry.depth);
        menus.resize(depth + 1);
        HMENU target = menus[depth];
        if (entry.flags & kMenuItemSeparator)
        {
            AppendMenuA(target, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (entry.flags & kMenuItemDisabled)
        {
            flags |= MF_GRAYED;
        }
        if (entry.flags & kMenuItemTitle)
        {
            flags |= MF_DISABLED;
        }
        if (entry.flags & kMenuItemChecked)
        {
            flags |= MF_CHECKED;
        }
        if (entry.hasSubmenu)
        {
            HMENU submenu = CreatePopupMenu();
            AppendMenuA(target, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        entry.label.c_str());
            menus.push_back(submenu);
            continue;
        }
        AppendMenuA(target, flags, static_cast<UINT_PTR>(entry.command), entry.label.c_str());
    }

    POINT at{anchor.left, anchor.bottom};
    ClientToScreen(hwnd, &at);
    TrackPopupMenu(menus[0], TPM_LEFTALIGN, at.x, at.y, 0, hwnd, nullptr);

    PopupMenu* chosen = nullptr;
    MSG posted;
    if (PeekMessageA(&posted, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
        HighWord(posted.wParam) == 0)
    {
        chosen = ResolveMenuCommand(menu, LowWord(posted.wParam));
    }
    DestroyMenu(menus[0]);
    InvalidateRect(hwnd, nullptr, FALSE);
    return chosen;
}

IGraphics* CreateIGraphicsWin(IPlugBase* plug, int editorWidth, int editorHeight, int rate)
{
    return new IGraphicsWin(plug, editorWidth, editorHeight, rate);
}

void UseWin32Graphics()
{
    SetPlatformGraphicsFactory(CreateIGraphicsWin);
}
