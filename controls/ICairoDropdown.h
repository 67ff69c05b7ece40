#pragma once

#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_text.h"

#include <string>

// A parameter's value as text in an outlined box; a click opens the value prompt (a menu of the
// display texts, or a text entry for a number).
class ICairoDropdown : public IControl, public ycairo_gui, public ycairo_text
{
public:
    ICairoDropdown(IPlugBase* plug, ycairo_surface* surface, const Rect& rect, int paramIndex,
                   const Color& colour, int showUnit);
    ~ICairoDropdown() override;

    void HandleMouseDown(int x, int y, MouseMods mods) override;
    void HandleDoubleClick(int x, int y, MouseMods mods) override;
    bool Draw(IGraphics& graphics) override;

    const std::string& ValueText() const { return valueText; }

private:
    Color colour;
    int showUnit = 0; // non-zero: append a space and the parameter's label
    std::string valueText;
};
