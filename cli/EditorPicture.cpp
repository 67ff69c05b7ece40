#include "cli/EditorPicture.h"

#include "cli/AudioSession.h"
#include "graphics/IGraphics.h"
#include "graphics/ycairo_surface.h"
#include "plugin/VantorKestrune.h"

#include <cairo.h>

namespace kestrune::cli
{

void WritePng(cairo_surface_t* surface, const std::string& path)
{
    cairo_surface_flush(surface);
    StagedFile staged(path);
    const cairo_status_t status =
        cairo_surface_write_to_png(surface, staged.TemporaryPath().c_str());
    if (status != CAIRO_STATUS_SUCCESS)
    {
        throw ToolError("cannot write " + path + ": " + cairo_status_to_string(status));
    }
    staged.Commit();
}

void WriteEditorPicture(VantorKestrune& plug, const std::string& path, EditorPoint hover,
                        EditorPoint press)
{
    auto* graphics = dynamic_cast<IGraphics*>(plug.Editor());
    auto* surface = dynamic_cast<ycairo_surface*>(plug.EditorSurface());
    if (!graphics || !surface || !surface->Surface())
        throw ToolError("the plug-in has no editor");
    if (hover.set)
        graphics->DispatchMouseOver(hover.x, hover.y, {});
    if (press.set)
        graphics->DispatchMouseDown(press.x, press.y, {true, false, false, false, false});
    graphics->MarkAllControlsDirty();
    graphics->DrawArea(Rect(0, 0, graphics->Width(), graphics->Height()));
    WritePng(surface->Surface(), path);
}

} // namespace kestrune::cli
