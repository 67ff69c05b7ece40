#include "graphics/ycairo_text.h"

#include "graphics/ycairo_surface.h"
#include "resources/ModuleResources.h"

#include <cairo-ft.h>

namespace
{

// The FreeType objects behind one loaded font. cairo may keep a font face (and with it the
// FT_Face) alive in its font caches after the control is gone, so the face and its library are
// released when cairo drops the last reference, not when the control is destroyed.
struct FreeTypeFont
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

void ReleaseFreeTypeFont(void* data)
{
    auto* font = static_cast<FreeTypeFont*>(data);
    FT_Done_Face(font->face);
    FT_Done_FreeType(font->library);
    delete font;
}

const cairo_user_data_key_t kFreeTypeFontKey{};

} // namespace

ycairo_text::ycairo_text(ycairo_surface* holder)
    : moduleHandle(holder ? holder->ModuleHandle() : nullptr)
{
}

ycairo_text::~ycairo_text()
{
    ReleaseFont();
}

void ycairo_text::ReleaseFont()
{
    if (fontFace)
    {
        cairo_font_face_destroy(fontFace);
    }
    fontFace = nullptr;
    ftFace = nullptr;
    ftLibrary = nullptr;
    ownFont = false;
}

bool ycairo_text::LoadFont(int resourceNumber, int resourceType, const char*)
{
    ReleaseFont();
    kestrune::ResourceBytes bytes;
    if (!kestrune::FindModuleResource(moduleHandle, resourceNumber, resourceType, bytes))
    {
        return false;
    }
    auto* font = new FreeTypeFont;
    if (FT_Init_FreeType(&font->library) != 0)
    {
        delete font;
        return false;
    }
    // The resource bytes live as long as the process, so the face may point into them.
    if (FT_New_Memory_Face(font->library, bytes.data, static_cast<FT_Long>(bytes.size), 0,
                           &font->face) != 0)
    {
        FT_Done_FreeType(font->library);
        delete font;
        return false;
    }
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(font->face, 0);
    if (cairo_font_face_set_user_data(face, &kFreeTypeFontKey, font, ReleaseFreeTypeFont) !=
        CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(face);
        ReleaseFreeTypeFont(font);
        return false;
    }
    fontFace = face;
    ftLibrary = font->library;
    ftFace = font->face;
    ownFont = true;
    return true;
}

void ycairo_text::DrawText(cairo_t* cr, const char* newText, double fontSize, int alpha, int red,
                           int green, int blue, Rect newArea, int hAlign, int vAlign)
{
    if (!cr)
    {
        return;
    }
    cairo_set_source_rgba(cr, red / 255.0, green / 255.0, blue / 255.0, alpha / 255.0);
    if (ownFont)
    {
        cairo_set_font_face(cr, fontFace);
    }
    cairo_set_font_size(cr, fontSize);

    text = newText ? newText : "";
    area = newArea;
    horizontalAlignment = hAlign;
    verticalAlignment = vAlign;
    cairo_font_extents(cr, &fontExtents);
    cairo_text_extents(cr, text.c_str(), &textExtents);

    const double left = area.left;
    const double right = area.right;
    const double top = area.top;
    const double bottom = area.bottom;
    const double inkWidth = textExtents.width + textExtents.x_bearing;
    double x = left;
    if (hAlign == kAlignRight)
    {
        x = right - inkWidth;
    }
    else if (hAlign == kAlignCentre)
    {
        x = left + (right - left - inkWidth) * 0.5;
    }
    double y = bottom - (bottom - top - fontExtents.height) * 0.5 - fontExtents.descent;
    if (vAlign == kAlignTop)
    {
        y = top + fontExtents.ascent;
    }
    else if (vAlign == kAlignBottom)
    {
        y = bottom - fontExtents.descent;
    }
    penX = x;
    penY = y;
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}
