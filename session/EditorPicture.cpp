#include "session/EditorPicture.h"

#include "graphics/IGraphics.h"
#include "graphics/ycairo_surface.h"
#include "plugin/VantorKestrune.h"
#include "session/AudioSession.h"

#include <cairo.h>

namespace kestrune
{

void WritePng(cairo_surface_t* surface, const std::string& path,
              const std::vector<std::string>& inputs)
{
    cairo_surface_flush(surface);
    output::OutputFile file = output::OutputFile::Open(path, inputs);
    // The stream callback cannot throw through cairo: a write error is kept and reported after.
    struct Sink
    {
        output::OutputFile& file;
        std::string error;
    } sink{file, {}};
    const auto write = [](void* closure, const unsigned char* data, unsigned int length)
    {
        auto& target = *static_cast<Sink*>(closure);
        try
        {
            target.file.Write(data, length);
            return CAIRO_STATUS_SUCCESS;
        }
        catch (const output::FileError& error)
        {
            target.error = error.what();
            return CAIRO_STATUS_WRITE_ERROR;
        }
    };
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, write, &sink);
    if (!sink.error.empty())
    {
        throw ToolError(sink.error);
    }
    if (status != CAIRO_STATUS_SUCCESS)
    {
        throw ToolError("cannot write " + path + ": " + cairo_status_to_string(status));
    }
    file.Commit();
}

void WriteEditorPicture(VantorKestrune& plug, const std::string& path, EditorPoint hover,
                        EditorPoint press, const std::vector<std::string>& inputs)
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
    WritePng(surface->Surface(), path, inputs);
}

} // namespace kestrune
