// kestrune response OUT.png: the equaliser's combined magnitude response as a picture.

#include "cli/Commands.h"
#include "cli/PluginSession.h"
#include "cli/ResponsePlot.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{

struct ResponseCommandOptions
{
    std::string outputPath;
    kestrune::cli::SessionOptions session;
};

int RunResponseCommand(const ResponseCommandOptions& options)
{
    std::string error;
    auto plug = kestrune::cli::OpenSession(options.session, error);
    if (!plug)
    {
        std::fprintf(stderr, "kestrune response: %s\n", error.c_str());
        return 1;
    }
    const auto data = kestrune::cli::CollectResponseData(*plug, !options.session.inputPath.empty());
    if (!kestrune::cli::WriteResponsePicture(data, options.outputPath, error))
    {
        std::fprintf(stderr, "kestrune response: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

void AddResponseCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ResponseCommandOptions>();
    CLI::App* command = app.add_subcommand(
        "response", "Plot the equaliser's magnitude response (20 Hz - 20 kHz) into a PNG file");
    command->add_option("OUT.png", options->outputPath, "Picture to write")->required();
    command->add_option("--state", options->session.statePath, "State document to restore");
    command->add_option("--set", options->session.sets,
                        "NAME=VALUE parameter setting, e.g. \"Gain 3=-4.5\"");
    command->add_option("--input", options->session.inputPath,
                        "Audio file to process first; its band levels are drawn as bars");
    command->add_option("--block", options->session.blockFrames, "Frames per processed block")
        ->check(CLI::Range(1, 16384));
    command->callback([options, &context] { context.exitCode = RunResponseCommand(*options); });
}
