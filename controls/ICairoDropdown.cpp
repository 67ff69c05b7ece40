#include "controls/ICairoDropdown.h"

#include "controls/CairoShapes.h"
#include "controls/ValueText.h"
#include "resources/ModuleResources.h"

ICairoDropdown::ICairoDropdown(IPlugBase* plugIn, ycairo_surface* holderSurface, const Rect& bounds,
                               int parameter, const Color& boxColour, int unitShown)
    : IControl(plugIn, bounds, parameter), ycairo_gui(holderSurface, this),
      ycairo_text(holderSurface), colour(boxColour), showUnit(unitShown)
{
    promptDisabled = false;
    LoadFont(kestrune::kFontTitilliumDisplay, kestrune::kResourceTypeRawData,
             kestrune::kTitilliumFileName);
}

ICairoDropdown::~ICairoDropdown() = default;

void ICairoDropdown::HandleMouseDown(int, int, MouseMods mods)
{
    if (mods.left || mods.right)
        PromptForValue();
}

void ICairoDropdown::HandleDoubleClick(int x, int y, MouseMods mods)
{
    HandleMouseDown(x, y, mods);
}

bool ICairoDropdown::Draw(IGraphics&)
{
    const double alpha = IsGrayed() ? 0.4 : 1.0;
    const int w = drawRect.Width();
    const int h = drawRect.Height();
    BeginDraw();
    if (!cr)
        return true;
    cairo_new_path(cr);
    cairo_set_line_width(cr, h / 12);
    kestrune::SetSourceRgbAlpha(cr, colour, colour.alpha / 255.0 * alpha);
    cairo_rectangle(cr, drawRect.left, drawRect.top, w, h);
    cairo_stroke(cr);

    valueText = showUnit ? kestrune::ParameterValueText(plug, paramIndex, " ")
                         : kestrune::ParameterValueTextOnly(plug, paramIndex);
    DrawText(cr, valueText.c_str(), 0.5 * h, static_cast<int>(colour.alpha * alpha), colour.red,
             colour.green, colour.blue, drawRect, kAlignCentre, kAlignMiddle);
    EndDraw();
    return true;
}
