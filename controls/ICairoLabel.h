#pragma once

#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_text.h"

#include <string>

// A fixed text in a chosen font, centred in its rectangle; bound to no parameter.
class ICairoLabel : public IControl, public ycairo_gui, public ycairo_text
{
public:
    // fontResource names the font (101, 102 or 103); fileName only documents it. sizeFactor is
    // the text size as a fraction of the control's height.
    ICairoLabel(IPlugBase* plug, ycairo_surface* surface, const Rect& rect, const Color& colour,
                const char* text, int fontResource, const char* fileName, double sizeFactor);
    ~ICairoLabel() override;

    bool Draw(IGraphics& graphics) override;

    const std::string& Text() const { return labelText; }

private:
    std::string labelText;
    Color colour;
    double sizeFactor = 0.5;
};
