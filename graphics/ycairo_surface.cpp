#include "graphics/ycairo_surface.h"

#include "graphics/IGraphics.h"
#include "graphics/ycairo_background.h"

ycairo_surface::ycairo_surface(IPlugBase* owner) : plug(owner) {}

ycairo_surface::~ycairo_surface()
{
    Release();
}

void ycairo_surface::Release()
{
    if (context)
    {
        cairo_destroy(context);
        context = nullptr;
    }
    if (surface)
    {
        cairo_surface_destroy(surface);
        surface = nullptr;
    }
}

void ycairo_surface::CreateBackground(IGraphics* editor, int, int red, int green, int blue)
{
    if (!editor)
    {
        return;
    }
    width = editor->Width();
    height = editor->Height();
    backgroundRed = red / 255.0;
    backgroundGreen = green / 255.0;
    backgroundBlue = blue / 255.0;
    editor->AddControl(new ycairo_background(plug, Rect(0, 0, width, height), backgroundRed,
                                             backgroundGreen, backgroundBlue, this, editor));
}

void ycairo_surface::AttachToGraphics(IPlugEditor* plugEditor)
{
    auto* editor = dynamic_cast<IGraphics*>(plugEditor);
    LICE_IBitmap* bitmap = editor ? editor->BackingBitmap() : nullptr;
    if (!bitmap || !bitmap->Bits())
    {
        return;
    }
    Release();
    width = bitmap->Width();
    height = bitmap->Height();
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, bitmap->RowSpan());
    surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bitmap->Bits()),
                                                  CAIRO_FORMAT_RGB24, width, height, stride);
    context = cairo_create(surface);
    cairo_rectangle(context, 0.0, 0.0, width, height);
    cairo_set_source_rgb(context, backgroundRed, backgroundGreen, backgroundBlue);
    cairo_fill(context);
}
