#include "graphics/x11/IGraphicsX11.h"

// Project headers before Xlib: its None and Bool macros would rewrite their names.
#include "framework/IPlugParameter.h"
#include "graphics/FrameTick.h"
#include "graphics/IControl.h"
#include "graphics/KeyCodes.h"
#include "graphics/PlatformGraphics.h"
#include "graphics/x11/X11EditorWindow.h"
#include "graphics/x11/X11Errors.h"
#include "graphics/x11/X11Menu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>

namespace
{

using namespace kestrune::x11;

std::atomic<int> gOpenEditorWindows{0};
std::atomic<bool> gShmAllowed{true};

constexpr long kEditorEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
    LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
constexpr unsigned kAnyButtonMask = Button1Mask | Button2Mask | Button3Mask;

Window WindowFromNative(void* native)
{
    return static_cast<Window>(reinterpret_cast<std::uintptr_t>(native));
}

void* NativeFromWindow(Window window)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window));
}

bool IsEmptyArea(const Rect& area)
{
    return area.right <= area.left || area.bottom <= area.top;
}

Rect Intersection(const Rect& a, const Rect& b)
{
    return Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
}

} // namespace

namespace kestrune::x11
{

X11EditorWindow::X11EditorWindow(IGraphicsX11& editorIn) : editor(editorIn)
{
    if (pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
    {
        wakePipe[0] = wakePipe[1] = -1;
    }
}

X11EditorWindow::~X11EditorWindow()
{
    if (window != 0)
    {
        CloseEditorWindow();
    }
    for (int descriptor : wakePipe)
    {
        if (descriptor >= 0)
        {
            close(descriptor);
        }
    }
}

long X11EditorWindow::NowMs() const
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - epoch).count());
}

void* X11EditorWindow::OpenEditorWindow(void* parentNative)
{
    int x = 0;
    int y = 0;
    if (window != 0)
    {
        // The new window replaces the open one at the same place.
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) != 0)
        {
            x = attributes.x;
            y = attributes.y;
        }
        CloseEditorWindow();
    }
    parentWindow = WindowFromNative(parentNative);
    InitXThreadsOnce();
    gOpenEditorWindows.fetch_add(1);
    if (!CreateWindow(parentWindow, x, y))
    {
        gOpenEditorWindows.fetch_sub(1);
        return nullptr;
    }
    editor.MarkAllControlsDirty();
    tickPeriodMs = 1000 / std::max(1, editor.FrameRate());
    nextTick = Clock::now() + std::chrono::milliseconds(tickPeriodMs);
    return NativeFromWindow(window);
}

bool X11EditorWindow::CreateWindow(Window parent, int x, int y)
{
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        return false;
    }
    const Window root = DefaultRootWindow(display);
    const bool topLevel = parent == 0;
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEditorEventMask;
    attributes.background_pixmap = None; // painted from the backing bitmap, never erased
    attributes.bit_gravity = NorthWestGravity;
    {
        // A parent id that is not (or no longer) a window must fail the open, not the process.
        X11ErrorTrap trap(display);
        window = XCreateWindow(
            display, topLevel ? root : parent, x, y, static_cast<unsigned>(editor.Width()),
            static_cast<unsigned>(editor.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
            CWEventMask | CWBackPixmap | CWBitGravity, &attributes);
        if (trap.Caught())
        {
            window = 0;
        }
    }
    if (window == 0)
    {
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    if (topLevel)
    {
        XStoreName(display, window, windowTitle.c_str());
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = editor.Width();
        hints->min_height = hints->max_height = editor.Height();
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
        deleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindowAtom, 1);
    }
    XMapWindow(display, window);
    XSync(display, False);
    if (!presenter.Open(display, window, editor.Width(), editor.Height(), gShmAllowed.load()))
    {
        DestroyWindow();
        return false;
    }
    return true;
}

void X11EditorWindow::DestroyWindow()
{
    presenter.Close();
    textBox.Destroy();
    tooltip.Destroy();
    if (display != nullptr)
    {
        if (window != 0)
        {
            XDestroyWindow(display, window);
        }
        XCloseDisplay(display);
    }
    display = nullptr;
    window = 0;
}

void X11EditorWindow::CloseEditorWindow()
{
    if (window == 0)
    {
        return;
    }
    ClearTooltip();
    tooltipControl = -1;
    hover.Disarm();
    // An entry still open ends without applying its text, so a later prompt can open a new box.
    if (textEntry.IsOpen())
    {
        textEntry.Close();
    }
    DestroyWindow();
    gOpenEditorWindows.fetch_sub(1);
    editor.DropMouseCapture();
    hasCapture = false;
    leavePendingOnRelease = false;
    suppressRelease = false;
    releaseAfterMenu = false;
    closeRequested = false;
    pendingPaint = Rect();
    doubleClicks.Reset();
}

void* X11EditorWindow::NativeWindow()
{
    return window != 0 ? NativeFromWindow(window) : nullptr;
}

void X11EditorWindow::SetWindowTitle(const char* title)
{
    windowTitle = title != nullptr ? title : "";
    if (window != 0 && parentWindow == 0)
    {
        XStoreName(display, window, windowTitle.c_str());
        XFlush(display);
    }
}

bool X11EditorWindow::PresentArea(const Rect& area)
{
    LICE_IBitmap* bitmap = editor.BackingBitmap();
    if (window == 0 || bitmap == nullptr || bitmap->Bits() == nullptr)
    {
        return false;
    }
    const auto present = [&](const Rect& part)
    {
        if (!IsEmptyArea(part))
        {
            presenter.Present(bitmap->Bits(), bitmap->RowSpan(), part.left, part.top, part.Width(),
                              part.Height());
        }
    };
    const Rect excluded = presentExclude != nullptr ? Intersection(area, *presentExclude) : Rect();
    if (IsEmptyArea(excluded))
    {
        present(area);
        return true;
    }
    present(Rect(area.left, area.top, area.right, excluded.top));
    present(Rect(area.left, excluded.bottom, area.right, area.bottom));
    present(Rect(area.left, excluded.top, excluded.left, excluded.bottom));
    present(Rect(excluded.right, excluded.top, area.right, excluded.bottom));
    return true;
}

void X11EditorWindow::AddPendingPaint(const Rect& area)
{
    pendingPaint = pendingPaint.Union(area);
}

void X11EditorWindow::PaintPending()
{
    if (window == 0 || pendingPaint.IsEmpty())
    {
        return;
    }
    const Rect area = Intersection(pendingPaint, Rect(0, 0, editor.Width(), editor.Height()));
    pendingPaint = Rect();
    if (!IsEmptyArea(area))
    {
        editor.DrawArea(area);
    }
}

// ---------------------------------------------------------------------------------------------
// Event loop

void X11EditorWindow::Post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(postedMutex);
        posted.push_back(std::move(task));
    }
    if (wakePipe[1] >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
    }
}

void X11EditorWindow::RunPostedTasks()
{
    if (wakePipe[0] >= 0)
    {
        char buffer[64];
        while (read(wakePipe[0], buffer, sizeof buffer) > 0)
        {
        }
    }
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(postedMutex);
        tasks.swap(posted);
    }
    for (auto& task : tasks)
    {
        task();
    }
}

void X11EditorWindow::Idle()
{
    while (display != nullptr && !closeRequested && XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        HandleEvent(event);
    }
    if (closeRequested)
    {
        CloseEditorWindow();
        if (closeHandler)
        {
            closeHandler();
        }
    }
    if (display != nullptr)
    {
        PaintPending();
        CheckHover();
        TickIfDue();
        XFlush(display);
    }
    RunPostedTasks();
}

int X11EditorWindow::MsUntilDue() const
{
    long wait = tickPeriodMs;
    if (display != nullptr)
    {
        wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now()).count();
        const long hoverWait = hover.MsUntilFire(NowMs());
        if (hoverWait >= 0)
        {
            wait = std::min(wait, hoverWait);
        }
    }
    return static_cast<int>(std::clamp(wait, 0L, static_cast<long>(tickPeriodMs)));
}

void X11EditorWindow::RunUntilClosed()
{
    while (display != nullptr)
    {
        Idle();
        if (display == nullptr)
        {
            break;
        }
        if (XPending(display) > 0)
        {
            continue;
        }
        pollfd descriptors[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        poll(descriptors, wakePipe[0] >= 0 ? 2 : 1, MsUntilDue());
    }
    RunPostedTasks();
}

void X11EditorWindow::TickIfDue()
{
    const Clock::time_point now = Clock::now();
    if (now < nextTick)
    {
        return;
    }
    nextTick += std::chrono::milliseconds(tickPeriodMs);
    if (nextTick <= now)
    {
        nextTick = now + std::chrono::milliseconds(tickPeriodMs); // do not catch up on a stall
    }
    RunFrameTimer();
}

void X11EditorWindow::RunFrameTimer()
{
    const PaintNow paint = [this](const Rect& area, const Rect* exclude)
    {
        presentExclude = exclude;
        editor.DrawArea(area);
        presentExclude = nullptr;
    };
    RunFrameTick(editor, textEntry, paint);
    if (!textEntry.IsOpen() && textBox.IsOpen())
    {
        EndTextEntryWindow();
    }
}

void X11EditorWindow::HandleEvent(XEvent& event)
{
    if (textBox.IsOpen() && event.xany.window == textBox.Handle())
    {
        HandleTextBoxEvent(event);
        return;
    }
    if (tooltip.IsOpen() && event.xany.window == tooltip.Handle())
    {
        if (event.type == Expose)
        {
            tooltip.Show();
        }
        return;
    }
    if (event.xany.window != window)
    {
        return;
    }
    // While the box has the keyboard focus only a left or right click (abandoning the entry)
    // and the keys typed into the box are handled.
    const bool entryFocused = textEntry.IsOpen() && textEntry.State() == TextEntryState::Focused;
    switch (event.type)
    {
    case Expose:
        AddPendingPaint(Rect(event.xexpose.x, event.xexpose.y,
                             event.xexpose.x + event.xexpose.width,
                             event.xexpose.y + event.xexpose.height));
        break;
    case ConfigureNotify:
        if (!entryFocused)
        {
            AddPendingPaint(Rect(0, 0, editor.Width(), editor.Height()));
        }
        break;
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom)
        {
            closeRequested = true;
        }
        break;
    case FocusOut:
        if (textEntry.IsOpen() && event.xfocus.mode == NotifyNormal &&
            event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer)
        {
            textEntry.HandleEvent(TextEntryEvent::LoseFocus);
        }
        break;
    case KeyPress:
    case KeyRelease:
        HandleKey(event.xkey);
        break;
    case ButtonPress:
        HandleButtonPress(event.xbutton);
        break;
    case ButtonRelease:
        if (!entryFocused)
        {
            HandleButtonRelease(event.xbutton);
        }
        break;
    case MotionNotify:
        // Only the latest position of a burst of motion matters; never merge across another
        // event (a press or release in between changes what the motion means).
        while (XEventsQueued(display, QueuedAlready) > 0)
        {
            XEvent next;
            XPeekEvent(display, &next);
            if (next.type != MotionNotify || next.xmotion.window != window)
            {
                break;
            }
            XNextEvent(display, &event);
        }
        if (!entryFocused)
        {
            HandleMotion(event.xmotion);
        }
        break;
    case EnterNotify:
        leavePendingOnRelease = false;
        break;
    case LeaveNotify:
        if (!entryFocused)
        {
            HandleLeave(event.xcrossing);
        }
        break;
    default:
        break;
    }
}

void X11EditorWindow::HandleEventWhileModal(XEvent& event)
{
    // Input belongs to the menu; the editor only keeps its picture and notes a close request.
    if (event.xany.window == window)
    {
        if (event.type == Expose)
        {
            AddPendingPaint(Rect(event.xexpose.x, event.xexpose.y,
                                 event.xexpose.x + event.xexpose.width,
                                 event.xexpose.y + event.xexpose.height));
        }
        else if (event.type == ClientMessage &&
                 static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom)
        {
            closeRequested = true;
        }
    }
    else if (textBox.IsOpen() && event.xany.window == textBox.Handle() && event.type == Expose)
    {
        textBox.Show();
    }
}

void X11EditorWindow::HandleButtonPress(XButtonEvent& event)
{
    const unsigned button = event.button;
    const MouseMods mods = ModsFromState(event.state, button);
    if (textEntry.IsOpen() && textEntry.State() == TextEntryState::Focused)
    {
        if (button == kButtonLeft || button == kButtonRight)
        {
            textEntry.HandleEvent(TextEntryEvent::ClickInEditor);
        }
        return;
    }
    if (button == kButtonWheelUp || button == kButtonWheelDown)
    {
        if (textEntry.IsOpen())
        {
            textEntry.HandleEvent(TextEntryEvent::WheelOverEditor);
        }
        else
        {
            editor.DispatchMouseWheel(event.x, event.y, mods, WheelNotches(button));
        }
        return;
    }
    if (button != kButtonLeft && button != kButtonMiddle && button != kButtonRight)
    {
        return;
    }
    if (tooltipShown)
    {
        ClearTooltip();
    }
    if (textEntry.IsOpen())
    {
        // The click commits the entry and reaches no control, its release neither.
        textEntry.HandleEvent(TextEntryEvent::ClickInEditor);
        suppressRelease = true;
        return;
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    hasCapture = true;
    pressedButton = button;
    releaseAfterMenu = false;
    if (button == kButtonLeft && doubleClicks.Press(event.time, event.x, event.y))
    {
        hasCapture = editor.DispatchDoubleClick(event.x, event.y, mods);
    }
    else
    {
        if (button != kButtonLeft)
        {
            doubleClicks.Reset();
        }
        editor.DispatchMouseDown(event.x, event.y, mods);
    }
    if (releaseAfterMenu)
    {
        // The popup menu swallowed the release of the click that opened it: finish the click on
        // the pressed control, so it sees its mouse-up and the host gesture is closed.
        releaseAfterMenu = false;
        hasCapture = false;
        editor.DispatchMouseUp(event.x, event.y, ModsFromState(event.state));
    }
}

void X11EditorWindow::HandleButtonRelease(XButtonEvent& event)
{
    const unsigned button = event.button;
    if (button != kButtonLeft && button != kButtonMiddle && button != kButtonRight)
    {
        return;
    }
    if (suppressRelease)
    {
        suppressRelease = false;
        return;
    }
    hasCapture = false;
    editor.DispatchMouseUp(event.x, event.y, ModsFromState(event.state, 0, button));
    if (leavePendingOnRelease &&
        (event.state & kAnyButtonMask & ~(Button1Mask << (button - 1))) == 0)
    {
        leavePendingOnRelease = false;
        const bool inside =
            event.x >= 0 && event.y >= 0 && event.x < editor.Width() && event.y < editor.Height();
        if (!inside)
        {
            ClearTooltip();
            tooltipControl = -1;
            hover.Disarm();
            editor.DispatchMouseOut();
        }
    }
}

void X11EditorWindow::HandleMotion(XMotionEvent& event)
{
    const MouseMods mods = ModsFromState(event.state);
    if (mods.left || mods.right)
    {
        if (hasCapture && !textEntry.IsOpen())
        {
            editor.DispatchMouseDrag(event.x, event.y, mods);
        }
        return;
    }
    const long now = NowMs();
    hover.PointerMoved(now, event.x, event.y);
    pointerX = event.x;
    pointerY = event.y;
    if (!editor.DispatchMouseOver(event.x, event.y, mods) || !editor.ShowsTooltips())
    {
        return;
    }
    if (editor.MouseOverIndex() != tooltipControl)
    {
        tooltipControl = editor.MouseOverIndex();
        if (tooltipControl >= 0)
        {
            hover.Arm(now, event.x, event.y);
        }
        else
        {
            hover.Disarm();
        }
        if (tooltipShown)
        {
            ClearTooltip();
        }
    }
}

void X11EditorWindow::HandleLeave(XCrossingEvent& event)
{
    if (event.detail == NotifyInferior || event.mode == NotifyGrab)
    {
        return; // into the text box, or a menu took the pointer
    }
    if ((event.state & kAnyButtonMask) != 0)
    {
        leavePendingOnRelease = true; // the drag goes on outside; leave once it ends
        return;
    }
    ClearTooltip();
    tooltipControl = -1;
    hover.Disarm();
    editor.DispatchMouseOut();
}

void X11EditorWindow::CheckHover()
{
    if (!hover.Fire(NowMs()) || !editor.ShowsTooltips())
    {
        return;
    }
    IControl* control = editor.ControlAt(tooltipControl);
    ShowTooltipText(control != nullptr ? control->Tooltip() : std::string(), pointerX, pointerY);
}

void X11EditorWindow::ShowTooltipText(const std::string& text, int x, int y)
{
    tooltip.Destroy();
    tooltipText = text;
    tooltipShown = true;
    if (text.empty())
    {
        return; // an empty tooltip shows nothing
    }
    cairo_surface_t* measureSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* measure = cairo_create(measureSurface);
    cairo_select_font_face(measure, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(measure, kMenuFontSizePx);
    cairo_text_extents_t extents{};
    cairo_text_extents(measure, text.c_str(), &extents);
    cairo_font_extents_t font{};
    cairo_font_extents(measure, &font);
    cairo_destroy(measure);
    cairo_surface_destroy(measureSurface);

    const int boxWidth = static_cast<int>(extents.x_advance) + 10;
    const int boxHeight = static_cast<int>(font.height) + 6;
    int screenX = 0;
    int screenY = 0;
    Window child = 0;
    const Window root = DefaultRootWindow(display);
    XTranslateCoordinates(display, window, root, x, y, &screenX, &screenY, &child);
    // Below and right of the pointer, so the pointer never covers it.
    if (!tooltip.Create(display, root, screenX + 12, screenY + 20, boxWidth, boxHeight, true, 0))
    {
        editor.SetShowTooltips(false);
        return;
    }
    cairo_t* cr = tooltip.Cairo();
    cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    cairo_paint(cr);
    cairo_rectangle(cr, 1, 1, boxWidth - 2, boxHeight - 2);
    cairo_set_source_rgb(cr, 1.0, 1.0, 0.88);
    cairo_fill(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kMenuFontSizePx);
    cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    cairo_move_to(cr, 5, 3 + font.ascent);
    cairo_show_text(cr, text.c_str());
    tooltip.Show();
}

void X11EditorWindow::ClearTooltip()
{
    tooltip.Destroy();
    tooltipText.clear();
    tooltipShown = false;
}

// ---------------------------------------------------------------------------------------------
// Keys

void X11EditorWindow::HandleKey(XKeyEvent& event)
{
    if (textEntry.IsOpen())
    {
        if (event.type == KeyPress)
        {
            HandleTextBoxKey(event);
        }
        return;
    }
    if (event.type == KeyPress)
    {
        const int key = EditorKeyFromKeysym(XLookupKeysym(&event, 0));
        if (key != kKeyNone && editor.DispatchKeyDown(event.x, event.y, key))
        {
            return;
        }
    }
    ForwardKeyToHost(event);
}

void X11EditorWindow::ForwardKeyToHost(XKeyEvent& event)
{
    if (parentWindow == 0)
    {
        return; // a top-level editor has no host to hand keys to
    }
    // The host's top-level window: the ancestor just below the root.
    Window current = parentWindow;
    for (;;)
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, current, &root, &parent, &children, &count) == 0)
        {
            return;
        }
        if (children != nullptr)
        {
            XFree(children);
        }
        if (parent == root || parent == 0)
        {
            break;
        }
        current = parent;
    }
    XKeyEvent forwarded = event;
    forwarded.window = current;
    forwarded.subwindow = 0;
    forwarded.send_event = True;
    XSendEvent(display, current, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask,
               reinterpret_cast<XEvent*>(&forwarded));
}

// ---------------------------------------------------------------------------------------------
// Text entry

void X11EditorWindow::BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                                     const char* initialText, IPlugParameter* parameter)
{
    if (control == nullptr || textEntry.IsOpen() || window == 0)
    {
        return;
    }
    if (!textEntry.Open(control, parameter, style, area, initialText))
    {
        return;
    }
    TextBoxModel::CharacterFilter filter;
    if (parameter != nullptr)
    {
        const int kind = static_cast<int>(parameter->Kind());
        filter = [kind](char c) { return EntryAcceptsCharacter(kind, c); };
    }
    textBoxModel.Open(textEntry.Text(), control->TextEntryLength(), std::move(filter));
    const int boxWidth = area.right - area.left + 1;
    const int boxHeight = area.bottom - area.top + 1;
    if (!textBox.Create(display, window, area.left, area.top, boxWidth, boxHeight, false,
                        ButtonPressMask))
    {
        textEntry.Close();
        return;
    }
    DrawTextBoxWindow();
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XFlush(display);
}

void X11EditorWindow::CancelTextEntry()
{
    textEntry.SetState(TextEntryState::Cancel);
}

void X11EditorWindow::DrawTextBoxWindow()
{
    if (!textBox.IsOpen())
    {
        return;
    }
    DrawTextBox(textBox.Cairo(), textBoxModel, textEntry.Style(), textBox.Width(), textBox.Height(),
                true);
    textBox.Show();
}

void X11EditorWindow::EndTextEntryWindow()
{
    textBox.Destroy();
    textBoxModel = TextBoxModel();
}

void X11EditorWindow::HandleTextBoxEvent(XEvent& event)
{
    if (tooltipShown)
    {
        ClearTooltip();
    }
    if (event.type == Expose)
    {
        textBox.Show();
    }
    else if (event.type == ButtonPress && event.xbutton.button == kButtonLeft)
    {
        textBoxModel.PlaceCaret(TextBoxPositionAt(textBox.Cairo(), textBoxModel, textEntry.Style(),
                                                  textBox.Width(), event.xbutton.x));
        DrawTextBoxWindow();
    }
}

void X11EditorWindow::HandleTextBoxKey(XKeyEvent& event)
{
    if (tooltipShown)
    {
        ClearTooltip();
    }
    char typed[8] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(&event, typed, sizeof typed, &symbol, nullptr);
    const bool shift = (event.state & ShiftMask) != 0;
    switch (symbol)
    {
    case XK_Return:
    case XK_KP_Enter:
        textEntry.HandleEvent(TextEntryEvent::EnterKey);
        return;
    case XK_Escape:
        textEntry.HandleEvent(TextEntryEvent::EscapeKey);
        return;
    case XK_BackSpace:
        textBoxModel.Backspace();
        break;
    case XK_Delete:
    case XK_KP_Delete:
        textBoxModel.DeleteForward();
        break;
    case XK_Left:
    case XK_KP_Left:
        textBoxModel.MoveCaret(-1, shift);
        break;
    case XK_Right:
    case XK_KP_Right:
        textBoxModel.MoveCaret(1, shift);
        break;
    case XK_Home:
    case XK_KP_Home:
        textBoxModel.MoveCaretHome(shift);
        break;
    case XK_End:
    case XK_KP_End:
        textBoxModel.MoveCaretEnd(shift);
        break;
    default:
        if ((event.state & ControlMask) != 0 && (symbol == XK_a || symbol == XK_A))
        {
            textBoxModel.SelectAll();
        }
        else if (count == 1 && std::isprint(static_cast<unsigned char>(typed[0])) != 0)
        {
            textBoxModel.Type(typed[0]);
        }
        break;
    }
    textEntry.SetText(textBoxModel.Text().c_str());
    DrawTextBoxWindow();
}

// ---------------------------------------------------------------------------------------------
// Popup menu

PopupMenu* X11EditorWindow::ShowPopupMenu(PopupMenu& menu, const Rect& anchor)
{
    editor.DropMouseCapture();
    if (display == nullptr)
    {
        return nullptr;
    }
    const bool clickInProgress = hasCapture;
    hasCapture = false;
    ClearTooltip();
    int screenX = 0;
    int screenY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), anchor.left, anchor.bottom,
                          &screenX, &screenY, &child);
    inModalMenu = true;
    X11MenuSession session(
        display, menu, [this](XEvent& event) { HandleEventWhileModal(event); },
        [this]
        {
            PaintPending();
            TickIfDue();
        },
        [this] { return MsUntilDue(); });
    const int command = session.Run(screenX, screenY);
    inModalMenu = false;
    PopupMenu* chosen = command >= 0 ? ResolveMenuCommand(menu, command) : nullptr;
    AddPendingPaint(Rect(0, 0, editor.Width(), editor.Height()));

    if (clickInProgress)
    {
        // Finish the click now; a release of its button still to come is then swallowed.
        releaseAfterMenu = true;
        Window root = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned mask = 0;
        const unsigned buttonMask = Button1Mask << (pressedButton - 1);
        suppressRelease = XQueryPointer(display, window, &root, &child, &rootX, &rootY, &windowX,
                                        &windowY, &mask) != 0 &&
                          (mask & buttonMask) != 0;
    }
    return chosen;
}

} // namespace kestrune::x11

using kestrune::x11::X11EditorWindow;

IGraphicsX11::IGraphicsX11(IPlugBase* plugIn, int widthIn, int heightIn, int frameRateIn)
    : IGraphics(plugIn, widthIn, heightIn, frameRateIn),
      window(std::make_unique<X11EditorWindow>(*this))
{
}

// The window goes first: closing it may still touch the controls, which IGraphics deletes.
IGraphicsX11::~IGraphicsX11()
{
    window.reset();
}

bool IGraphicsX11::PresentArea(const Rect& area)
{
    return window->PresentArea(area);
}
void IGraphicsX11::CancelTextEntry()
{
    window->CancelTextEntry();
}
PopupMenu* IGraphicsX11::ShowPopupMenu(PopupMenu& menu, const Rect& anchor)
{
    return window->ShowPopupMenu(menu, anchor);
}
void IGraphicsX11::BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                                  const char* initialText, IPlugParameter* parameter)
{
    window->BeginTextEntry(control, style, area, initialText, parameter);
}
void* IGraphicsX11::OpenEditorWindow(void* parentWindow)
{
    return window->OpenEditorWindow(parentWindow);
}
void IGraphicsX11::CloseEditorWindow()
{
    window->CloseEditorWindow();
}
void* IGraphicsX11::NativeWindow()
{
    return window->NativeWindow();
}
void IGraphicsX11::Idle()
{
    window->Idle();
}
int IGraphicsX11::MsUntilDue() const
{
    return window->MsUntilDue();
}
void IGraphicsX11::RunUntilClosed()
{
    window->RunUntilClosed();
}
void IGraphicsX11::Post(std::function<void()> task)
{
    window->Post(std::move(task));
}
void IGraphicsX11::SetWindowTitle(const char* title)
{
    window->SetWindowTitle(title);
}
void IGraphicsX11::SetCloseHandler(std::function<void()> handler)
{
    window->SetCloseHandler(std::move(handler));
}
int IGraphicsX11::OpenWindowCount()
{
    return gOpenEditorWindows.load();
}

void IGraphicsX11::SetShmAllowed(bool allowed)
{
    gShmAllowed.store(allowed);
}
_XDisplay* IGraphicsX11::XDisplay() const
{
    return window->XDisplay();
}
unsigned long IGraphicsX11::XWindow() const
{
    return window->XWindow();
}
unsigned long IGraphicsX11::TextBoxWindow() const
{
    return window->TextBoxWindow();
}
unsigned long IGraphicsX11::TooltipWindow() const
{
    return window->TooltipWindow();
}
const std::string& IGraphicsX11::TooltipText() const
{
    return window->TooltipText();
}
const TextEntrySession& IGraphicsX11::TextEntry() const
{
    return window->TextEntry();
}
const kestrune::x11::TextBoxModel& IGraphicsX11::TextBox() const
{
    return window->TextBox();
}
bool IGraphicsX11::UsesShm() const
{
    return window->UsesShm();
}

void IGraphicsX11::PlatformIdle()
{
    Idle();
}

void UseX11Graphics()
{
    SetPlatformGraphicsFactory(&CreateIGraphicsX11);
}

IGraphics* CreateIGraphicsX11(IPlugBase* plug, int width, int height, int frameRate)
{
    return new IGraphicsX11(plug, width, height, frameRate);
}
