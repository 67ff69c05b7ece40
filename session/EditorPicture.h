#pragma once

#include <cairo.h>

#include <string>
#include <vector>

class VantorKestrune;

namespace kestrune
{

struct EditorPoint
{
    int x = 0;
    int y = 0;
    bool set = false;
};

// Sends the pointer events (hover first, then a left-button press), draws one full editor frame
// and writes the 800 x 600 picture as PNG (a temporary file renamed over `path`). A ToolError
// when the plug-in has no editor or the file cannot be written.
void WriteEditorPicture(VantorKestrune& plug, const std::string& path, EditorPoint hover,
                        EditorPoint press, const std::vector<std::string>& inputs = {});

// Writes a cairo surface as PNG to an output::OutputFile (never over one of `inputs`); a
// ToolError or output::FileError on failure.
void WritePng(cairo_surface_t* surface, const std::string& path,
              const std::vector<std::string>& inputs = {});

} // namespace kestrune
