// kestrune editor OUT.png: one frame of the plug-in's editor as a picture.

#include <memory>
#include <string>
#include <vector>

#include "apps/kestrune/Commands.h"
#include "session/AudioSession.h"
#include "session/EditorPicture.h"
#include "session/SessionOptions.h"

namespace
{

struct EditorOptions
{
    std::string output;
    std::string input;
    SessionOptions session;
    std::string hover;
    std::string press;
};

kestrune::EditorPoint ParsePoint(const char* option, const std::string& text)
{
    int x = 0;
    int y = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d,%d%c", &x, &y, &extra) != 2)
        throw ToolError(std::string(option) + " wants X,Y, not \"" + text + "\"");
    return {x, y, true};
}

void RunEditor(const EditorOptions& options)
{
    kestrune::EditorPoint hover;
    kestrune::EditorPoint press;
    if (!options.hover.empty())
        hover = ParsePoint("--hover", options.hover);
    if (!options.press.empty())
        press = ParsePoint("--press", options.press);
    const auto session = SessionAfterInput(options.session, options.input);
    kestrune::WriteEditorPicture(session->Plugin(), options.output, hover, press,
                                      {options.session.stateFile});
}

} // namespace

void AddEditorCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<EditorOptions>();
    CLI::App* command =
        app.add_subcommand("editor", "Draw one frame of the 800 x 600 editor into a PNG file");
    command->add_option("OUT", options->output, "picture to write (PNG)")->required();
    command->add_option("--input", options->input, "process this audio file first");
    AddSessionOptions(*command, options->session, kSessionBlock);
    command->add_option("--hover", options->hover,
                        "pointer over X,Y before the frame (the analyser's readout)");
    command->add_option("--press", options->press, "left mouse-down at X,Y before the frame");
    SetCommandWork(*command, context, [options] { RunEditor(*options); });
}
