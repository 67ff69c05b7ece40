// kestrune editor OUT.png: one frame of the plug-in's editor as a picture.

#include "cli/Commands.h"
#include "cli/EditorPicture.h"
#include "cli/PluginSession.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{

struct EditorCommandOptions
{
    std::string outputPath;
    kestrune::cli::SessionOptions session;
    std::string hover;
    std::string press;
};

bool ParsePoint(const std::string& text, kestrune::cli::EditorPoint& point)
{
    int x = 0;
    int y = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d,%d%c", &x, &y, &extra) != 2)
        return false;
    point = {x, y, true};
    return true;
}

int RunEditorCommand(const EditorCommandOptions& options)
{
    kestrune::cli::EditorPoint hover;
    kestrune::cli::EditorPoint press;
    if (!options.hover.empty() && !ParsePoint(options.hover, hover))
    {
        std::fprintf(stderr, "kestrune editor: --hover wants X,Y, not \"%s\"\n",
                     options.hover.c_str());
        return 1;
    }
    if (!options.press.empty() && !ParsePoint(options.press, press))
    {
        std::fprintf(stderr, "kestrune editor: --press wants X,Y, not \"%s\"\n",
                     options.press.c_str());
        return 1;
    }
    std::string error;
    auto plug = kestrune::cli::OpenSession(options.session, error);
    if (!plug)
    {
        std::fprintf(stderr, "kestrune editor: %s\n", error.c_str());
        return 1;
    }
    if (!kestrune::cli::WriteEditorPicture(*plug, options.outputPath, hover, press, error))
    {
        std::fprintf(stderr, "kestrune editor: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

void AddEditorCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<EditorCommandOptions>();
    CLI::App* command =
        app.add_subcommand("editor", "Draw one frame of the 800 x 600 editor into a PNG file");
    command->add_option("OUT.png", options->outputPath, "Picture to write")->required();
    command->add_option("--input", options->session.inputPath,
                        "Audio file to process first (WAV, FLAC, ...)");
    command->add_option("--state", options->session.statePath, "State document to restore");
    command->add_option("--set", options->session.sets,
                        "NAME=VALUE parameter setting, e.g. \"Gain 3=-4.5\" or \"Auto Eq=Static\"");
    command->add_option("--block", options->session.blockFrames, "Frames per processed block")
        ->check(CLI::Range(1, 16384));
    command->add_option("--hover", options->hover, "Pointer over X,Y before the frame");
    command->add_option("--press", options->press, "Mouse-down at X,Y before the frame");
    command->callback([options, &context] { context.exitCode = RunEditorCommand(*options); });
}
