#pragma once

#include "graphics/GraphicsTypes.h"

#include <cairo.h>

class IControl;
class ycairo_surface;

// Mixin of every cairo-drawn control (its second base): between BeginDraw and EndDraw, cr is the
// editor's shared context clipped to the control's rectangle. Nothing else of the context is
// saved: colour, line width, font and transformation carry over from the previous control, so
// set every state you rely on.
class ycairo_gui
{
public:
    ycairo_gui(ycairo_surface* holder, IControl* control);
    virtual ~ycairo_gui() = default;
    ycairo_gui(const ycairo_gui&) = delete;
    ycairo_gui& operator=(const ycairo_gui&) = delete;

protected:
    void BeginDraw();
    void EndDraw();

    const Rect& rect; // the owning control's drawRect
    int width = 0;    // editor size
    int height = 0;
    ycairo_surface* holder = nullptr;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    IControl* control = nullptr;
};
