// kestrune analyse IN: runs an audio file through the plug-in and reports the analyser's bands.

#include <cstdio>
#include <string>
#include <vector>

#include "apps/kestrune/Commands.h"
#include "session/AudioSession.h"
#include "session/SessionOptions.h"

namespace
{

struct AnalyseOptions
{
    std::vector<std::string> inputs;
    std::string input;
    SessionOptions session;
    bool json = false;
};

// Streams the input through the plug-in: memory stays the same whatever the length. Returns
// the analysis as JSON, or prints the table.
nlohmann::ordered_json RunAnalyse(const AnalyseOptions& options)
{
    AudioReader input(options.input);
    HostSession session(input.SampleRateHz(), options.session.blockFrames);
    ApplySessionOptions(session, options.session, input.SampleRateHz());
    const double seconds =
        input.AnnouncedFrames() > 0 ? input.AnnouncedFrames() / double(input.SampleRateHz()) : 0.0;
    const long frames = session.Stream(
        input.Channels(), seconds,
        [&input](double* interleaved, int count) { return input.Read(interleaved, count); }, {});
    if (options.json)
    {
        return session.Analysis(input.SampleRateHz(), frames);
    }
    std::fputs(session.AnalysisText().c_str(), stdout);
    return {};
}

// One input as before; several are analysed one after another, each with its own instance: a
// table under a "== FILE" line, or with --json an array of one object per file (with "file").
// A failing file is reported on its own line and the others go on.
void RunAnalyseCommand(AnalyseOptions options)
{
    if (options.inputs.size() == 1)
    {
        options.input = options.inputs[0];
        const nlohmann::ordered_json result = RunAnalyse(options);
        if (options.json)
            std::printf("%s\n", result.dump(2).c_str());
        return;
    }
    nlohmann::ordered_json results = nlohmann::ordered_json::array();
    std::size_t failed = 0;
    for (const std::string& input : options.inputs)
    {
        options.input = input;
        if (!options.json)
            std::printf("== %s\n", input.c_str());
        try
        {
            nlohmann::ordered_json result = RunAnalyse(options);
            if (options.json)
            {
                nlohmann::ordered_json entry = {{"file", input}};
                entry.update(result);
                results.push_back(entry);
            }
        }
        catch (const std::exception& failure)
        {
            ++failed;
            std::fprintf(stderr, "kestrune analyse: %s\n", failure.what());
        }
    }
    if (options.json)
        std::printf("%s\n", results.dump(2).c_str());
    if (failed > 0)
        throw ToolError(std::to_string(failed) + " of " + std::to_string(options.inputs.size()) +
                        " files failed");
}

} // namespace

void AddAnalyseCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<AnalyseOptions>();
    CLI::App* command = app.add_subcommand(
        "analyse", "Run an audio file through the plug-in and print, per band, the centre "
                   "frequency, the last block's level, the held level and the applied gain");
    command
        ->add_option("IN", options->inputs,
                     "input files (mono or stereo, - for standard input), analysed one after "
                     "another")
        ->required();
    command->add_flag("--json", options->json, "print JSON; a level of -inf dB is null");
    AddSessionOptions(*command, options->session, kSessionBlock | kSessionAutomation);
    SetCommandWork(*command, context, [options] { RunAnalyseCommand(*options); });
}
