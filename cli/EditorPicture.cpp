#include "cli/EditorPicture.h"

#include "graphics/IGraphics.h"
#include "graphics/ycairo_surface.h"
#include "plugin/VantorKestrune.h"

#include <cairo.h>

namespace kestrune::cli
{

bool WriteEditorPicture(VantorKestrune& plug, const std::string& path, EditorPoint hover,
                        EditorPoint press, std::string& error)
{
    auto* graphics = dynamic_cast<IGraphics*>(plug.Editor());
    auto* surface = dynamic_cast<ycairo_surface*>(plug.EditorSurface());
    if (!graphics || !surface || !surface->Surface())
    {
        error = "the plug-in has no editor";
        return false;
    }
    if (hover.set)
        graphics->DispatchMouseOver(hover.x, hover.y, {});
    if (press.set)
        graphics->DispatchMouseDown(press.x, press.y, {true, false, false, false, false});
    graphics->MarkAllControlsDirty();
    graphics->DrawArea(Rect(0, 0, graphics->Width(), graphics->Height()));
    cairo_surface_flush(surface->Surface());
    const cairo_status_t status = cairo_surface_write_to_png(surface->Surface(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
    {
        error = "cannot write " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

} // namespace kestrune::cli
