#pragma once

#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_text.h"

#include <string>

// The footer's rotary control, drawn flat: a thin outer ring, a thick arc growing clockwise with
// the value over 270 degrees, a short indicator at the value's angle, a half-transparent inner
// disc and the value text with its unit in the middle. Vertical dragging changes the value, a
// click on the text or a double-click opens a value entry, Alt-click restores the default.
class ICairoFlatKnob : public IKnobControl, public ycairo_gui, public ycairo_text
{
public:
    // Where the value text goes; this editor only places it inside the knob.
    static constexpr int kTextInside = 2;

    ICairoFlatKnob(IPlugBase* plug, int paramIndex, ycairo_surface* surface, const Rect& rect,
                   const Color& knobColour, int textPlacement, int textOffset);
    ~ICairoFlatKnob() override;

    void HandleMouseDown(int x, int y, MouseMods mods) override;
    void HandleDoubleClick(int x, int y, MouseMods mods) override;
    bool Draw(IGraphics& graphics) override;

    const Rect& TextRect() const { return textRect; }
    const std::string& ValueText() const { return valueText; }
    const Color& KnobColour() const { return knobColour; }

private:
    Color knobColour; // alpha rewritten at every draw: 255, or 128 while greyed
    Rect textRect;    // value text, and where a click opens the value entry
    std::string valueText;
    double knobYOffset = 0.0;
};
