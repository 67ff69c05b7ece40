// kestrune response OUT.png: the equaliser's combined magnitude response as a picture.

#include <memory>
#include <string>
#include <vector>

#include "session/AudioSession.h"
#include "apps/kestrune/Commands.h"
#include "apps/kestrune/ResponsePlot.h"

namespace
{

struct ResponseOptions
{
    std::string output;
    std::string input;
    std::string stateFile;
    std::vector<std::string> settings;
    int blockFrames = 512;
};

void RunResponse(const ResponseOptions& options)
{
    AudioData audio;
    if (!options.input.empty())
        audio = ReadAudioFile(options.input);
    const int sampleRateHz = options.input.empty() ? 44100 : audio.sampleRateHz;
    HostSession session(sampleRateHz, options.blockFrames);
    if (!options.stateFile.empty())
        session.LoadStateFile(options.stateFile);
    for (const std::string& setting : options.settings)
        session.ApplySetting(setting);
    if (!options.input.empty())
        session.Process(audio);
    const auto data = kestrune::cli::CollectResponseData(session.Plugin(), !options.input.empty());
    kestrune::cli::WriteResponsePicture(data, options.output, {options.stateFile});
}

} // namespace

void AddResponseCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ResponseOptions>();
    CLI::App* command = app.add_subcommand(
        "response", "Plot the equaliser's magnitude response (20 Hz - 20 kHz) into a PNG file");
    command->add_option("OUT", options->output, "picture to write (PNG)")->required();
    command->add_option("--state", options->stateFile, "restore a saved state document first");
    command->add_option("--set", options->settings,
                        "set a parameter: \"NAME=VALUE\", as for 'kestrune process' (repeatable)");
    command->add_option("--input", options->input,
                        "process this audio file first and draw its band levels as bars");
    command->add_option("--block", options->blockFrames, "frames per block (default 512)");
    SetCommandWork(*command, context, [options] { RunResponse(*options); });
}
