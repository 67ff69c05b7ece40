#pragma once

#include "graphics/IControl.h"

#include <cairo.h>

class ycairo_surface;

// Control 0 of the editor: refills the whole editor with the background colour at every frame,
// before the controls inside the update area draw over it.
class ycairo_background : public IControl
{
public:
    ycairo_background(IPlugBase* plug, const Rect& rect, double red, double green, double blue,
                      ycairo_surface* holder, IGraphics* editor);

    bool Draw(IGraphics& graphics) override;

private:
    double red = 0.0; // 0..1
    double green = 0.0;
    double blue = 0.0;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ycairo_surface* holder = nullptr;
};
