// kestrune process IN OUT: runs an audio file through the plug-in as a host would.

#include <string>
#include <vector>

#include "output/OutputFile.h"

#include "cli/AudioSession.h"
#include "cli/Commands.h"

namespace
{

struct ProcessOptions
{
    std::string input;
    std::string output;
    std::vector<std::string> settings;
    std::string stateFile;
    std::string saveStateFile;
    int blockFrames = 512;
};

void RunProcess(const ProcessOptions& options)
{
    AudioData audio = ReadAudioFile(options.input);
    HostSession session(audio.sampleRateHz, options.blockFrames);
    if (!options.stateFile.empty())
    {
        session.LoadStateFile(options.stateFile);
    }
    for (const std::string& setting : options.settings)
    {
        session.ApplySetting(setting);
    }
    session.Process(audio);
    // Both outputs are written before either is renamed into place: a state file that cannot
    // be written leaves no audio output behind either.
    // The state may be saved back over the state file it was loaded from, but nothing is
    // written over the audio input, and the audio not over the state file.
    if (!options.saveStateFile.empty() && output::SamePath(options.output, options.saveStateFile))
    {
        throw ToolError("the audio output and --save-state name the same file " + options.output);
    }
    output::OutputFile output =
        StageAudioFile(options.output, audio, {options.input, options.stateFile});
    if (!options.saveStateFile.empty())
    {
        output::OutputFile state =
            StageTextFile(options.saveStateFile, session.StateDocument(), {options.input});
        output.Commit();
        state.Commit();
        return;
    }
    output.Commit();
}

} // namespace

void AddProcessCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ProcessOptions>();
    CLI::App* command = app.add_subcommand(
        "process", "Run an audio file through the equaliser; the output keeps the input's "
                   "sample rate, channels and format");
    command->add_option("IN", options->input, "input file (mono or stereo)")->required();
    command->add_option("OUT", options->output, "output file")->required();
    command
        ->add_option("--set", options->settings,
                     "set a parameter before processing: \"NAME=VALUE\", NAME as listed by "
                     "'kestrune params', VALUE a number or a value text (repeatable)")
        ->allow_extra_args(false);
    command->add_option("--state", options->stateFile, "restore a saved state document first");
    command->add_option("--save-state", options->saveStateFile,
                        "save the state document after processing");
    command->add_option("--block", options->blockFrames, "frames per block (default 512)");
    SetCommandWork(*command, context, [options] { RunProcess(*options); });
}
