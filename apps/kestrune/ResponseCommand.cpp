// kestrune response OUT.png: the equaliser's combined magnitude response as a picture.

#include <memory>
#include <string>
#include <vector>

#include "apps/kestrune/Commands.h"
#include "apps/kestrune/ResponsePlot.h"
#include "session/AudioSession.h"
#include "session/SessionOptions.h"

namespace
{

struct ResponseOptions
{
    std::string output;
    std::string input;
    SessionOptions session;
};

void RunResponse(const ResponseOptions& options)
{
    const auto session = SessionAfterInput(options.session, options.input);
    const auto data = kestrune::cli::CollectResponseData(session->Plugin(), !options.input.empty());
    kestrune::cli::WriteResponsePicture(data, options.output, {options.session.stateFile});
}

} // namespace

void AddResponseCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ResponseOptions>();
    CLI::App* command = app.add_subcommand(
        "response", "Plot the equaliser's magnitude response (20 Hz - 20 kHz) into a PNG file");
    command->add_option("OUT", options->output, "picture to write (PNG)")->required();
    AddSessionOptions(*command, options->session, kSessionBlock);
    command->add_option("--input", options->input,
                        "process this audio file first and draw its band levels as bars");
    SetCommandWork(*command, context, [options] { RunResponse(*options); });
}
