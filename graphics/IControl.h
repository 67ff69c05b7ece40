#pragma once

#include "graphics/GraphicsTypes.h"

#include <atomic>
#include <deque>
#include <string>

class IPlugBase;
class IGraphics;

// One element of the editor: owns a rectangle, optionally binds to one plug-in parameter and keeps
// its value normalised (0..1). The editor core owns every control once it is added.
//
// Threads: the editor thread calls the mouse handlers, Draw, MarkClean and IsMarkedDirty; the
// host's parameter thread and the audio thread reach UpdateFromParameter and MarkDirty. The value,
// the default and the redraw/visibility flags are atomics so the editor never waits and never
// reads a torn value; a mark made while a frame runs is drawn at the next tick.
class IControl
{
public:
    // A secondary parameter binding; its value is written from the parameter thread.
    struct AuxBinding
    {
        std::atomic<double> value{-1.0};
        int paramIndex = -1;

        explicit AuxBinding(int index) : paramIndex(index) {}
    };

    IControl(IPlugBase* plug, const Rect& rect, int paramIndex);
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // Virtual operations, in their fixed order.
    virtual ~IControl();
    virtual void HandleMouseDown(int x, int y, MouseMods mods);
    virtual void HandleMouseUp(int x, int y, MouseMods mods);
    virtual void HandleMouseDrag(int x, int y, int dX, int dY, MouseMods mods);
    virtual void HandleDoubleClick(int x, int y, MouseMods mods);
    virtual void HandleMouseWheel(int x, int y, MouseMods mods, int notches);
    virtual bool HandleKeyDown(int x, int y, int key);
    virtual void HandleMouseOver(int x, int y, MouseMods mods);
    virtual void HandleMouseOut();
    virtual bool Draw(IGraphics& graphics) = 0;
    virtual void HandleScaleChange(double ratio);
    virtual void UpdateFromParameter(double normalised);
    virtual void ApplyUserValue(double normalised);
    virtual void AcceptEnteredText(const char* text);
    virtual void SetHidden(bool hide);
    virtual void SetGrayed(bool gray);
    virtual bool HitTest(int x, int y);
    virtual void MarkDirty(bool pushToParameter);
    // What MarkDirty(false) does to this control alone (the value clamped, a redraw asked for),
    // without handing the value to the other controls of its parameter: for marking every
    // control at once, where each already holds its parameter's value.
    void MarkForRedraw() noexcept;
    virtual void MarkClean();
    virtual bool IsMarkedDirty();
    virtual void IdleTick();
    virtual void UpdateAuxFromParameter(int auxIndex, double normalised);
    virtual void MoveTo(int x, int y);

    // Asks the editor for a popup menu or text entry anchored at the control's rectangle.
    void PromptForValue();
    // The same, anchored at an area chosen by the control.
    void PromptForValueIn(const Rect& area);

    int AuxIndexOf(int parameterIndex) const;
    int AddAuxBinding(int parameterIndex);
    int AuxBindingCount() const { return static_cast<int>(auxBindings.size()); }
    double AuxValue(int auxIndex) const;

    IPlugBase* Plug() const { return plug; }
    // The editor the control was added to; null before AddControl.
    IGraphics* Graphics() const { return owningGraphics; }
    int ParamIndex() const { return paramIndex; }
    int ListIndex() const { return listIndex; }
    double GetValue() const { return value.load(); }
    void SetValue(double normalised) { value.store(normalised); }
    double GetDefaultValue() const { return defaultValue.load(); }
    void SetClamp(double low, double high);
    const Rect& GetDrawRect() const { return drawRect; }
    const Rect& GetTargetRect() const { return targetRect; }
    void SetTargetRect(const Rect& rect) { targetRect = rect; }
    const TextStyle& GetTextStyle() const { return textStyle; }
    int TextEntryLength() const { return textEntryLength; }
    void SetTextEntryLength(int length) { textEntryLength = length; }
    const std::string& Tooltip() const { return tooltip; }
    void SetTooltip(const char* text) { tooltip = text ? text : ""; }

    bool IsHidden() const { return hidden.load(); }
    bool IsGrayed() const { return grayed.load(); }
    bool IsRedrawPending() const { return (redrawFlags.load() & kRedrawPending) != 0; }
    // Asks for one more frame after the next draw (from Draw, for example, to animate).
    void SetRedrawPending() { redrawFlags.fetch_or(kRedrawPending); }
    bool IsPromptDisabled() const { return promptDisabled; }
    void SetPromptDisabled(bool disabled) { promptDisabled = disabled; }
    bool DoubleClickAsDown() const { return doubleClickAsDown; }
    void SetDoubleClickAsDown(bool asDown) { doubleClickAsDown = asDown; }
    bool HoverWhenGrayed() const { return hoverWhenGrayed; }
    void SetHoverWhenGrayed(bool hover) { hoverWhenGrayed = hover; }

protected:
    int textEntryLength = 7; // characters the text-entry box accepts
    TextStyle textStyle;
    IPlugBase* plug = nullptr;
    Rect drawRect;
    Rect targetRect; // receives the mouse; equals drawRect unless a subclass changes it
    int paramIndex = -1;
    int listIndex = 0;
    std::deque<AuxBinding> auxBindings; // deque: bindings hold atomics and never move
    std::atomic<double> value{0.0};
    std::atomic<double> defaultValue{-1.0}; // negative: no double-click default yet
    double clampLow = 0.0;
    double clampHigh = 1.0;
    // The dirty flag (draw at the next frame) and the redraw-pending flag (keep dirty for one
    // more frame after the next draw) in one atomic word, so that MarkDirty on the audio thread
    // and MarkClean on the editor thread can never lose a mark between them.
    static constexpr unsigned kDirty = 1;
    static constexpr unsigned kRedrawPending = 2;
    std::atomic<unsigned> redrawFlags{kDirty};
    std::atomic<bool> hidden{false};
    std::atomic<bool> grayed{false};
    bool promptDisabled = true;
    bool doubleClickAsDown = false;
    bool hoverWhenGrayed = false;
    std::string tooltip;

private:
    friend class IGraphics;

    IGraphics* owningGraphics = nullptr; // written by AddControl
};

// A control whose value follows vertical or horizontal dragging and the mouse wheel.
class IKnobControl : public IControl
{
public:
    enum Direction : int
    {
        kVertical = 0,
        kHorizontal = 1,
    };

    IKnobControl(IPlugBase* plug, const Rect& rect, int paramIndex, int direction = kVertical,
                 double gearing = 4.0);

    void HandleMouseDrag(int x, int y, int dX, int dY, MouseMods mods) override;
    void HandleMouseWheel(int x, int y, MouseMods mods, int notches) override;

protected:
    int direction = kVertical;
    double gearing = 4.0; // divisor of the drag sensitivity
};

// Wheel steps shared by knobs and the band faders: 0.01 per notch, 0.001 with Control or Shift.
double WheelStep(MouseMods mods);
