#pragma once

#include "graphics/IGraphics.h"

#include <functional>
#include <memory>
#include <string>

struct _XDisplay;
class TextEntrySession;

namespace kestrune::x11
{
class X11EditorWindow;
class TextBoxModel;
} // namespace kestrune::x11

// The editor in an X11 window. OpenEditorWindow creates a child of the window id it is given (a
// host's window, an LV2 UI parent) or a top-level window for id 0, with a display connection of
// its own, so several editors of one process never share Xlib state. The frame timer, painting,
// mouse and keys, tooltips, the popup menu and the text-entry box all run on the thread that
// drives the window: its own loop (RunUntilClosed) or a host's idle callback (Idle).
//
// Native window ids are X Window ids carried in the void* of the editor interface. This header
// keeps Xlib out of its includers (Xlib's None and Bool macros clash with ordinary names).
class IGraphicsX11 : public IGraphics
{
public:
    IGraphicsX11(IPlugBase* plug, int width, int height, int frameRate);
    ~IGraphicsX11() override;

    bool PresentArea(const Rect& area) override;
    void CancelTextEntry() override;
    const char* DrawingApiName() override { return "Xlib"; }
    PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& anchor) override;
    void BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                        const char* initialText, IPlugParameter* parameter) override;
    void* OpenEditorWindow(void* parentWindow) override;
    void CloseEditorWindow() override;
    void* NativeWindow() override;
    // A host's idle call: the same as Idle().
    void PlatformIdle() override;

    // Handles every event that has arrived, then runs the frame timer, the hover timer and the
    // posted tasks when they are due. Never blocks; call it from the window's thread at least
    // every MsUntilDue() milliseconds (a host's idle callback, or RunUntilClosed).
    void Idle();
    // Milliseconds until the next timer is due (0 when one is due now).
    int MsUntilDue() const;
    // Drives the window from the calling thread until it is closed (by the user, by
    // CloseEditorWindow or by a posted task). Returns at once when no window is open.
    void RunUntilClosed();

    // Runs task on the window's thread at its next Idle; safe from any thread. Posted tasks also
    // run while no window is open, whenever Idle is called.
    void Post(std::function<void()> task);

    // Top-level windows only: the title shown by the window manager (default "IPlug").
    void SetWindowTitle(const char* title);
    // Called on the window's thread after the user asked to close the window and it was closed.
    void SetCloseHandler(std::function<void()> handler);

    // Editor windows open in this process.
    static int OpenWindowCount();
    // Whether windows opened from now on may present through MIT-SHM (default true); false
    // forces XPutImage, as over a remote connection.
    static void SetShmAllowed(bool allowed);

    // The window's own display connection, the window, the text-entry box and the tooltip
    // window (0 while not shown), as X ids.
    _XDisplay* XDisplay() const;
    unsigned long XWindow() const;
    unsigned long TextBoxWindow() const;
    unsigned long TooltipWindow() const;
    const std::string& TooltipText() const;
    const TextEntrySession& TextEntry() const;
    const kestrune::x11::TextBoxModel& TextBox() const;
    bool UsesShm() const;

private:
    std::unique_ptr<kestrune::x11::X11EditorWindow> window;
};

// Registers IGraphicsX11 as the platform class that plug-in instances create for their editor.
void UseX11Graphics();
IGraphics* CreateIGraphicsX11(IPlugBase* plug, int width, int height, int frameRate);
