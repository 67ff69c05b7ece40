#pragma once

#include "graphics/IGraphics.h"
#include "graphics/TextEntry.h"

#include <cstdint>

// The editor in a Win32 child window inside the window a host gives it. The frame timer (id 2,
// every trunc(1000 / frame rate) ms) collects the dirty area and paints it; painting copies the
// backing bitmap's DIB section with BitBlt. Mouse and keyboard messages become the editor's
// dispatch calls, unhandled keys go on to the host's top-level window. Tooltips, the popup menu
// and the "EDIT" text-entry box are native.
//
// Everything here runs on the thread that owns the window (the host's user-interface thread).
// Native handles are carried as void* so that includers do not see <windows.h>.
class IGraphicsWin : public IGraphics
{
public:
    static constexpr const char* kWindowClassName = "IPlugWndClass";
    static constexpr int kFrameTimerId = 2;
    static constexpr int kEditBoxId = 99;

    IGraphicsWin(IPlugBase* plug, int width, int height, int frameRate);
    ~IGraphicsWin() override;

    bool PresentArea(const Rect& area) override;
    // Marks an open entry cancelled; the next tick closes it.
    void CancelTextEntry() override;
    const char* DrawingApiName() override { return "Windows GDI"; }
    PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& anchor) override;
    void BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                        const char* initialText, IPlugParameter* parameter) override;
    // Opens the editor as a child of parentWindow (an HWND). Opening again while open replaces
    // the window at the same place and size. Returns the window, or null on failure.
    void* OpenEditorWindow(void* parentWindow) override;
    void CloseEditorWindow() override;
    void* NativeWindow() override { return window; }

    // The plug-in module's instance (HINSTANCE); the window class is registered for it. Null
    // means the executable's own instance.
    void SetModuleHandle(void* instance) { moduleHandle = instance; }
    void* ModuleHandle() const { return moduleHandle; }

    void* EditWindow() const { return editWindow; }
    void* TooltipWindow() const { return tooltipWindow; }
    bool TooltipShown() const { return tooltipShown; }
    const TextEntrySession& TextEntry() const { return textEntry; }

    // Editor windows open in this process; the window class exists while it is above 0.
    static int OpenWindowCount();

private:
    friend struct WinMessages;

    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    intptr_t HandleEditMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    void OnFrameTimer();
    void PaintNow(const Rect& area, const Rect* exclude);
    void DestroyEditBox();
    void EndTextEntry();
    void CreateTooltip();
    void DestroyTooltip();
    void SetTooltipText(const char* text);
    void ClearTooltip();

    void* moduleHandle = nullptr;    // HINSTANCE
    void* window = nullptr;          // HWND of the editor
    void* editWindow = nullptr;      // HWND of the text-entry box
    void* tooltipWindow = nullptr;   // HWND of the tooltip control
    void* parentWindow = nullptr;    // HWND the host gave to OpenEditorWindow
    void* editDefaultProc = nullptr; // the box's own WNDPROC, restored before destruction
    void* editFont = nullptr;        // HFONT of the box
    TextEntrySession textEntry;      // control, parameter and state of the open entry
    bool tooltipShown = false;
    int tooltipControl = -1;
};

// Registers IGraphicsWin as the platform class that plug-in instances create for their editor.
void UseWin32Graphics();
IGraphics* CreateIGraphicsWin(IPlugBase* plug, int width, int height, int frameRate);
