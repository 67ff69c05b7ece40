#pragma once

// Internal to the X11 editor window: the window, its event handling and its timers. Included by
// IGraphicsX11.cpp only (it brings in Xlib).

#include "graphics/IGraphics.h"
#include "graphics/TextEntry.h"
#include "graphics/x11/X11CairoWindow.h"
#include "graphics/x11/X11Image.h"
#include "graphics/x11/X11Input.h"
#include "graphics/x11/X11TextBox.h"

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class IGraphicsX11;

namespace kestrune::x11
{

class X11EditorWindow
{
public:
    explicit X11EditorWindow(IGraphicsX11& editor);
    ~X11EditorWindow();
    X11EditorWindow(const X11EditorWindow&) = delete;
    X11EditorWindow& operator=(const X11EditorWindow&) = delete;

    bool PresentArea(const Rect& area);
    void CancelTextEntry();
    PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& anchor);
    void BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                        const char* initialText, IPlugParameter* parameter);
    void* OpenEditorWindow(void* parentWindow);
    void CloseEditorWindow();
    void* NativeWindow();
    void Idle();
    int MsUntilDue() const;
    void RunUntilClosed();
    void Post(std::function<void()> task);
    void SetWindowTitle(const char* title);
    void SetCloseHandler(std::function<void()> handler) { closeHandler = std::move(handler); }

    Display* XDisplay() const { return display; }
    Window XWindow() const { return window; }
    Window TextBoxWindow() const { return textBox.Handle(); }
    Window TooltipWindow() const { return tooltip.Handle(); }
    const std::string& TooltipText() const { return tooltipText; }
    const TextEntrySession& TextEntry() const { return textEntry; }
    const TextBoxModel& TextBox() const { return textBoxModel; }
    bool UsesShm() const { return presenter.UsesShm(); }

private:
    using Clock = std::chrono::steady_clock;

    IGraphicsX11& editor;
    bool CreateWindow(Window parent, int x, int y);
    void DestroyWindow();
    void HandleEvent(XEvent& event);
    void HandleEventWhileModal(XEvent& event);
    void HandleButtonPress(XButtonEvent& event);
    void HandleButtonRelease(XButtonEvent& event);
    void HandleMotion(XMotionEvent& event);
    void HandleLeave(XCrossingEvent& event);
    void HandleKey(XKeyEvent& event);
    void HandleTextBoxKey(XKeyEvent& event);
    void HandleTextBoxEvent(XEvent& event);
    void ForwardKeyToHost(XKeyEvent& event);
    void AddPendingPaint(const Rect& area);
    void PaintPending();
    void RunFrameTimer();
    void TickIfDue();
    void CheckHover();
    void RunPostedTasks();
    void DrawTextBoxWindow();
    void EndTextEntryWindow();
    void ShowTooltipText(const std::string& text, int x, int y);
    void ClearTooltip();
    long NowMs() const;

    Display* display = nullptr;
    Window window = 0;
    Window parentWindow = 0;
    Atom deleteWindowAtom = 0;
    std::string windowTitle = "IPlug";
    X11ImagePresenter presenter;
    int tickPeriodMs = 33;
    Clock::time_point nextTick;
    Clock::time_point epoch = Clock::now();

    bool hasCapture = false;            // a button went down in the window and is still held
    bool leavePendingOnRelease = false; // the pointer left while a button was held
    bool closeRequested = false;
    bool suppressRelease = false; // the press committed a text entry: its release goes nowhere
    bool releaseAfterMenu = false;
    unsigned pressedButton = 1; // button of the click in progress // the popup menu swallowed the
                                // release of its opening click
    int pointerX = 0;           // last hover position, where a tooltip appears
    int pointerY = 0;
    bool inModalMenu = false;
    DoubleClickDetector doubleClicks;
    Rect pendingPaint;                    // exposed or invalidated area waiting to be painted
    const Rect* presentExclude = nullptr; // area the current paint must not copy to the screen

    TextEntrySession textEntry;
    TextBoxModel textBoxModel;
    X11CairoWindow textBox;

    X11CairoWindow tooltip;
    HoverTimer hover;
    bool tooltipShown = false; // a tooltip text is set (possibly empty, which shows nothing)
    int tooltipControl = -1;   // control the tooltip was last prepared for
    std::string tooltipText;

    std::function<void()> closeHandler;
    std::mutex postedMutex;
    std::vector<std::function<void()>> posted;
    int wakePipe[2] = {-1, -1}; // written by Post to wake RunUntilClosed
};

} // namespace kestrune::x11
