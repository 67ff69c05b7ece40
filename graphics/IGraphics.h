#pragma once

#include "framework/IPlugEditor.h"
#include "graphics/GraphicsTypes.h"
#include "graphics/LICE_Bitmap.h"
#include "graphics/PopupMenu.h"

#include <memory>
#include <string>
#include <vector>

class IControl;
class IPlugBase;
class IPlugParameter;
class IViewContainer;

// The editor: owns the controls and the backing bitmap, runs the frame cycle (collect the dirty
// area, draw it, present it), dispatches mouse and key events and turns value prompts into popup
// menus or text entries. Everything that needs a window system is a virtual operation that a
// platform class implements (IGraphicsOffscreen here, the X11 and Windows windows elsewhere).
//
// Threads: events, frames and prompts run on the editor thread. UpdateControlsForParameter,
// SetParameterControlsGrayed and MarkAllControlsDirty are also called from the host's parameter
// thread and the audio thread; they only touch the controls' atomic values and flags.
class IGraphics : public IPlugEditor
{
public:
    static constexpr int kDefaultFrameRate = 30;

    IGraphics(IPlugBase* plug, int width, int height, int frameRate);
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // Virtual operations, in their fixed order.
    virtual bool PresentArea(const Rect& area) = 0;
    virtual bool MeasureText(const TextStyle& style, const char* text, Rect& bounds);
    virtual void CancelTextEntry();
    virtual void Resize(int newWidth, int newHeight);
    virtual bool WindowIsOpen();
    virtual const char* DrawingApiName();
    virtual int ShowMessageBox(const char* text, const char* caption, int type);
    virtual PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& anchor) = 0;
    virtual void BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                                const char* initialText, IPlugParameter* parameter) = 0;
    virtual void HostPath(std::string& path);
    virtual void PluginPath(std::string& path);
    virtual void DesktopPath(std::string& path);
    virtual void DocumentsPath(std::string& path);
    virtual void AppDataPath(std::string& path, bool common);
    virtual void UserAppDataPath(std::string& path);
    virtual bool PromptForFile(std::string& fileName, bool save, const char* extensions);
    virtual bool PromptForColor(Color& color, const char* prompt);
    virtual bool OpenURL(const char* url, const char* confirmText);
    virtual int PlatformQuery(void* a, int b, int c, int d);
    virtual void* OpenEditorWindow(void* parentWindow) = 0;
    virtual void PlatformHookWithArgument(void* argument);
    virtual void PlatformHook();
    virtual void CloseEditorWindow() = 0;
    virtual void* NativeWindow() = 0;
    virtual bool ClipboardText(std::string& text);
    virtual void SetParentTransparency(int alpha);
    ~IGraphics() override;
    virtual double ScreenScale();
    virtual void SetMouseCursor(int shape);
    virtual void HideMouseCursor();
    virtual void ShowMouseCursor();
    virtual void PlatformIdle();
    virtual LICE_IBitmap* LoadResourceBitmap(int resourceNumber);

    // Appends the control (the editor owns it from here on) and returns its list index.
    int& AddControl(IControl* control);
    IControl* ControlAt(int index) const;
    int ControlCount() const { return static_cast<int>(controls.size()); }

    // Creates the backing bitmap at the editor's size; called once when the editor is attached.
    void CreateBackingStore() override;
    LICE_IBitmap* BackingBitmap() const { return backingBitmap.get(); }

    void UpdateControlsForParameter(int paramIndex, double value, bool normalised) override;
    void SetParameterControlsGrayed(int paramIndex, bool gray);
    void MarkAllControlsDirty();

    // Opens a popup menu (parameters with display texts) or a text entry for the control.
    void PromptForParameter(IControl* control, IPlugParameter* parameter, const Rect* anchor);

    // The two halves of a frame: the area to redraw (area enters empty), then its drawing pass,
    // which ends by presenting that area.
    bool CollectDirtyArea(Rect& area);
    bool DrawArea(const Rect& area);

    void DispatchMouseDown(int x, int y, MouseMods mods);
    void DispatchMouseUp(int x, int y, MouseMods mods);
    void DispatchMouseDrag(int x, int y, MouseMods mods);
    // True when the window must capture the mouse.
    bool DispatchDoubleClick(int x, int y, MouseMods mods);
    void DispatchMouseWheel(int x, int y, MouseMods mods, int notches);
    bool DispatchMouseOver(int x, int y, MouseMods mods);
    void DispatchMouseOut();
    // True when a control handled the key; otherwise the key belongs to the host.
    bool DispatchKeyDown(int x, int y, int key);

    int FindControlAt(int x, int y, bool forHover) const;
    void DropMouseCapture();

    IPlugBase* Plug() const { return plug; }
    int Width() const { return width; }
    int Height() const { return height; }
    int FrameRate() const { return frameRate; }
    int MouseCapture() const { return mouseCapture; }
    int LastMouseX() const { return lastMouseX; }
    int LastMouseY() const { return lastMouseY; }
    int MouseOverIndex() const { return mouseOverIndex; }
    bool HandlesMouseOver() const { return handleMouseOver; }
    void SetHandleMouseOver(bool handle) { handleMouseOver = handle; }
    bool ShowsTooltips() const { return showTooltips; }
    void SetShowTooltips(bool show) { showTooltips = show; }
    IViewContainer* ViewContainer() const { return viewContainer; }
    void SetViewContainer(IViewContainer* container) { viewContainer = container; }

protected:
    IPlugBase* plug = nullptr;
    std::vector<IControl*> controls; // drawing order; hit testing runs last to first
    int width = 0;
    int height = 0;
    int frameRate = kDefaultFrameRate;
    std::unique_ptr<LICE_IBitmap> backingBitmap;
    int mouseCapture = -1;
    int lastMouseX = -1;
    int lastMouseY = -1;
    int mouseOverIndex = -1;
    bool handleMouseOver = false;
    bool showTooltips = false;
    int idleTicks = 0; // consecutive ticks that found nothing to redraw
    IViewContainer* viewContainer = nullptr;
    int gestureParam = -1; // parameter whose end gesture the next release sends; editor thread

private:
    bool OfferClickToHost(int paramIndex, MouseMods mods);
    // The host hears of every change from the editor inside a begin/end pair: a press (or a
    // double-click) opens the gesture of its parameter, the release closes it, and a press
    // whose release never came (a menu took it) closes the previous one first.
    void BeginGesture(int paramIndex);
    void EndGesture();
    void PromptWithMenu(IControl* control, IPlugParameter* parameter, const Rect& anchor);
};
