#include "controls/ICairoToggles.h"

#include "controls/CairoShapes.h"

namespace
{

// The ring and, when the value is above 0, the dot of a switch or contact. Greying is not shown.
void DrawRoundButton(cairo_t* cr, const Rect& bounds, const Color& colour, double value)
{
    const double w = bounds.Width();
    const int lw = static_cast<int>(w / 10.0);
    const double cx = bounds.left + 0.5 * w;
    const double cy = bounds.top + 0.5 * bounds.Height();
    kestrune::SetSourceRgbAlpha(cr, colour, 1.0);
    cairo_set_line_width(cr, lw);
    kestrune::StrokeCircle(cr, cx, cy, 0.5 * w - lw);
    if (value > 0.0)
        kestrune::FillCircle(cr, cx, cy, 0.5 * w - 2.0 * lw);
}

} // namespace

ICairoSwitch::ICairoSwitch(IPlugBase* plugIn, int parameter, ycairo_surface* holderSurface,
                           const Rect& bounds, const Color& ringColour)
    : IControl(plugIn, bounds, parameter), ycairo_gui(holderSurface, this), colour(ringColour)
{
}

ICairoSwitch::~ICairoSwitch() = default;

void ICairoSwitch::HandleMouseDown(int, int, MouseMods)
{
    double next = GetValue() + 1.0;
    if (next > 1.001)
        next = 0.0;
    SetValue(next);
    MarkDirty(true);
}

bool ICairoSwitch::Draw(IGraphics&)
{
    BeginDraw();
    if (!cr)
        return true;
    DrawRoundButton(cr, drawRect, colour, GetValue());
    EndDraw();
    return true;
}

ICairoContact::ICairoContact(IPlugBase* plugIn, int parameter, ycairo_surface* holderSurface,
                             const Rect& bounds, const Color& ringColour)
    : IControl(plugIn, bounds, parameter), ycairo_gui(holderSurface, this), colour(ringColour)
{
}

ICairoContact::~ICairoContact() = default;

void ICairoContact::HandleMouseDown(int, int, MouseMods)
{
    SetValue(1.0);
    MarkDirty(true);
}

void ICairoContact::HandleMouseUp(int, int, MouseMods)
{
    SetValue(0.0);
    MarkDirty(true);
}

bool ICairoContact::Draw(IGraphics&)
{
    BeginDraw();
    if (!cr)
        return true;
    DrawRoundButton(cr, drawRect, colour, GetValue());
    EndDraw();
    return true;
}
