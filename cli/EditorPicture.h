#pragma once

#include <string>

class VantorKestrune;

namespace kestrune::cli
{

struct EditorPoint
{
    int x = 0;
    int y = 0;
    bool set = false;
};

// Sends the pointer events (hover first, then a left-button press), draws one full editor frame
// and writes the 800 x 600 picture as PNG. False with a reason when the file cannot be written.
bool WriteEditorPicture(VantorKestrune& plug, const std::string& path, EditorPoint hover,
                        EditorPoint press, std::string& error);

} // namespace kestrune::cli
