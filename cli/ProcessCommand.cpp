// kestrune process IN OUT: runs an audio file through the plug-in as a host would.

#include <optional>
#include <string>
#include <vector>

#include "output/OutputFile.h"

#include "cli/AudioSession.h"
#include "cli/Commands.h"
#include "cli/OutputFormat.h"

namespace
{

struct ProcessOptions
{
    std::string input;
    std::string output;
    std::vector<std::string> settings;
    std::vector<std::string> automations;
    std::string stateFile;
    std::string saveStateFile;
    int blockFrames = 512;
    OutputFormatChoice format;
    AudioWriteOptions writing;
};

// Streams the input through the plug-in into the output block by block: memory stays the
// same whatever the length. Both outputs are checked and opened before the first block and
// renamed into place together at the end, so a failure anywhere leaves neither behind.
void RunProcess(const ProcessOptions& options)
{
    AudioReader input(options.input);
    HostSession session(input.SampleRateHz(), options.blockFrames);
    if (!options.stateFile.empty())
    {
        session.LoadStateFile(options.stateFile);
    }
    for (const std::string& setting : options.settings)
    {
        session.ApplySetting(setting);
    }
    for (const std::string& automation : options.automations)
    {
        session.AddAutomation(automation, input.SampleRateHz());
    }
    const int outputFormat = ChooseOutputFormat(options.output, input.Format(), options.format,
                                                input.Channels(), input.SampleRateHz());
    // The state may be saved back over the state file it was loaded from, but nothing is
    // written over the audio input, and the audio not over the state file.
    if (!options.saveStateFile.empty() && output::SamePath(options.output, options.saveStateFile))
    {
        throw ToolError("the audio output and --save-state name the same file " + options.output);
    }
    output::OutputFile audioFile =
        output::OutputFile::Open(options.output, {options.input, options.stateFile});
    std::optional<output::OutputFile> stateFile;
    if (!options.saveStateFile.empty())
    {
        stateFile.emplace(output::OutputFile::Open(options.saveStateFile, {options.input}));
    }
    AudioFileWriter writer(audioFile, outputFormat, input.Channels(), input.SampleRateHz(),
                           options.writing);
    const double seconds =
        input.AnnouncedFrames() > 0 ? input.AnnouncedFrames() / double(input.SampleRateHz()) : 0.0;
    session.Stream(
        input.Channels(), seconds,
        [&input](double* interleaved, int frames) { return input.Read(interleaved, frames); },
        [&writer](const double* interleaved, int frames) { writer.Write(interleaved, frames); });
    writer.Close();
    if (stateFile)
    {
        stateFile->Write(session.StateDocument());
    }
    audioFile.Commit();
    if (stateFile)
    {
        stateFile->Commit();
    }
}

} // namespace

void AddProcessCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ProcessOptions>();
    CLI::App* command = app.add_subcommand(
        "process", "Run an audio file through the equaliser; the output keeps the input's "
                   "sample rate and channels, its type follows OUT's extension (or --type)");
    command->add_option("IN", options->input, "input file (mono or stereo)")->required();
    command->add_option("OUT", options->output, "output file")->required();
    command
        ->add_option("--set", options->settings,
                     "set a parameter before processing: \"NAME=VALUE\", NAME as listed by "
                     "'kestrune params' in any case or as its LV2 symbol (gain_17), or a band by "
                     "its frequency (1kHz, 1000Hz), VALUE a number or a value text (repeatable)")
        ->allow_extra_args(false);
    command
        ->add_option("--automate", options->automations,
                     "change a parameter during the audio: \"NAME=VALUE@SECONDS\"; the block is "
                     "split there, so the change starts at that frame (repeatable)")
        ->allow_extra_args(false);
    command->add_option("--state", options->stateFile, "restore a saved state document first");
    command->add_option("--save-state", options->saveStateFile,
                        "save the state document after processing");
    command->add_option("--block", options->blockFrames, "frames per block (default 512)");
    command->add_option("-t,--type", options->format.type,
                        "output type, overriding OUT's extension (" + KnownOutputTypes() +
                            "); needed for - (standard output) unless the input's type will do");
    command->add_option("-b,--bits", options->format.bits,
                        "sample format of the output: 16, 24, 32, float or double (default: the "
                        "input's where the type holds it, else 24 or 16 bits)");
    command
        ->add_option("-q,--quality", options->writing.quality,
                     "0 (smallest) to 1 (best) for ogg, opus and mp3; FLAC compresses more "
                     "towards 0")
        ->check(CLI::Range(0.0, 1.0));
    command->add_flag("--dither", options->writing.dither,
                      "add triangular dither at the output's integer depth (16 or 24 bits)");
    command->add_flag("--quiet", options->writing.quiet,
                      "print no warnings (samples clipped at full scale)");
    SetCommandWork(*command, context, [options] { RunProcess(*options); });
}
