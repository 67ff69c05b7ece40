#pragma once

#include "graphics/GraphicsTypes.h"

#include <cairo.h>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

class ycairo_surface;

// Mixin of every control that draws text (its third base): owns a font read from the module's
// resources through FreeType and draws one string aligned inside a rectangle.
class ycairo_text
{
public:
    enum HorizontalAlign : int
    {
        kAlignLeft = 0,
        kAlignRight = 1,
        kAlignCentre = 2,
    };
    enum VerticalAlign : int
    {
        kAlignMiddle = 0,
        kAlignTop = 1,
        kAlignBottom = 2,
    };

    explicit ycairo_text(ycairo_surface* holder);
    virtual ~ycairo_text();
    ycairo_text(const ycairo_text&) = delete;
    ycairo_text& operator=(const ycairo_text&) = delete;

    // Loads the font resource (type 10) with that number; fileName only names it. Returns false
    // when the resource or the face cannot be had; text is then drawn in the context's current
    // font.
    bool LoadFont(int resourceNumber, int resourceType, const char* fileName);
    bool HasOwnFont() const { return ownFont; }

    // Sets colour, font and size on cr and shows text in area with the given alignments.
    void DrawText(cairo_t* cr, const char* text, double fontSize, int alpha, int red, int green,
                  int blue, Rect area, int horizontalAlignment, int verticalAlignment);

    const std::string& LastText() const { return text; }
    const Rect& LastArea() const { return area; }
    const cairo_text_extents_t& TextExtents() const { return textExtents; }
    const cairo_font_extents_t& FontExtents() const { return fontExtents; }
    // Pen position of the last DrawText (left end of the baseline).
    double LastPenX() const { return penX; }
    double LastPenY() const { return penY; }

protected:
    void ReleaseFont();

    std::string text;
    Rect area;
    int horizontalAlignment = kAlignLeft;
    int verticalAlignment = kAlignMiddle;
    cairo_font_face_t* fontFace = nullptr;
    cairo_text_extents_t textExtents{};
    cairo_font_extents_t fontExtents{};
    FT_Library ftLibrary = nullptr;
    FT_Face ftFace = nullptr;
    bool ownFont = false;
    void* moduleHandle = nullptr;
    double penX = 0.0;
    double penY = 0.0;
};
