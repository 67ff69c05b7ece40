#include "graphics/ycairo_gui.h"

#include "graphics/IControl.h"
#include "graphics/ycairo_surface.h"

ycairo_gui::ycairo_gui(ycairo_surface* surfaceHolder, IControl* owner)
    : rect(owner->GetDrawRect()), width(surfaceHolder ? surfaceHolder->Width() : 0),
      height(surfaceHolder ? surfaceHolder->Height() : 0), holder(surfaceHolder), control(owner)
{
}

void ycairo_gui::BeginDraw()
{
    surface = holder ? holder->Surface() : nullptr;
    cr = holder ? holder->Context() : nullptr;
    if (!cr)
    {
        return;
    }
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
}

void ycairo_gui::EndDraw()
{
    if (cr)
    {
        cairo_reset_clip(cr);
    }
}
