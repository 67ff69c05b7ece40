#pragma once

#include "graphics/GraphicsTypes.h"

#include <cairo.h>

// Small drawing helpers shared by the product's controls. Each starts a fresh path, so a current
// point left by text drawing never adds a stray line.

namespace kestrune
{

// Source colour from a Color's red, green and blue with an explicit alpha 0..1.
inline void SetSourceRgbAlpha(cairo_t* cr, const Color& colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, alpha);
}

inline void AddCircle(cairo_t* cr, double cx, double cy, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0.0, 2.0 * 3.14159265358979323846);
}

inline void FillCircle(cairo_t* cr, double cx, double cy, double radius)
{
    cairo_new_path(cr);
    AddCircle(cr, cx, cy, radius);
    cairo_fill(cr);
}

inline void StrokeCircle(cairo_t* cr, double cx, double cy, double radius)
{
    cairo_new_path(cr);
    AddCircle(cr, cx, cy, radius);
    cairo_stroke(cr);
}

} // namespace kestrune
