#include "graphics/ycairo_background.h"

#include "graphics/ycairo_surface.h"

ycairo_background::ycairo_background(IPlugBase* owner, const Rect& rect, double r, double g,
                                     double b, ycairo_surface* surfaceHolder, IGraphics*)
    : IControl(owner, rect, -1), red(r), green(g), blue(b), holder(surfaceHolder)
{
}

bool ycairo_background::Draw(IGraphics&)
{
    surface = holder ? holder->Surface() : nullptr;
    cr = holder ? holder->Context() : nullptr;
    if (!cr)
    {
        return false;
    }
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, drawRect.left, drawRect.top, drawRect.Width(), drawRect.Height());
    cairo_set_source_rgb(cr, red, green, blue);
    cairo_fill(cr);
    return true;
}
