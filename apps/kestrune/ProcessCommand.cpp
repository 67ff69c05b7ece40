// kestrune process IN OUT: runs an audio file through the plug-in as a host would.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "output/OutputFile.h"

#include "apps/kestrune/Commands.h"
#include "session/AudioSession.h"
#include "session/OutputFormat.h"
#include "session/SessionOptions.h"

namespace
{

struct ProcessOptions
{
    std::vector<std::string> files; // IN OUT, or the inputs with --output-dir
    std::string outputDir;
    std::string input;
    std::string output;
    SessionOptions session;
    std::string saveStateFile;
    OutputFormatChoice format;
    AudioWriteOptions writing;
    bool progress = true; // a progress bar on a terminal; not for files run side by side
    bool verbose = false; // a summary line per file on standard error
};

// Streams the input through the plug-in into the output block by block: memory stays the
// same whatever the length. Both outputs are checked and opened before the first block and
// renamed into place together at the end, so a failure anywhere leaves neither behind.
void RunProcess(const ProcessOptions& options)
{
    AudioReader input(options.input);
    HostSession session(input.SampleRateHz(), options.session.blockFrames);
    ApplySessionOptions(session, options.session, input.SampleRateHz());
    const int outputFormat = ChooseOutputFormat(options.output, input.Format(), options.format,
                                                input.Channels(), input.SampleRateHz());
    auto [audioFile, stateFile] = output::OpenAudioAndStateOutputs(
        options.output, options.saveStateFile, options.input, options.session.stateFile);
    AudioFileWriter writer(audioFile, outputFormat, input.Channels(), input.SampleRateHz(),
                           options.writing);
    const double seconds = options.progress && input.AnnouncedFrames() > 0
                               ? input.AnnouncedFrames() / double(input.SampleRateHz())
                               : 0.0;
    const auto started = std::chrono::steady_clock::now();
    const long frames = session.Stream(
        input.Channels(), seconds,
        [&input](double* interleaved, int count) { return input.Read(interleaved, count); },
        [&writer](const double* interleaved, int count) { writer.Write(interleaved, count); });
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
    if (options.verbose)
    {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const double audioSeconds = static_cast<double>(frames) / input.SampleRateHz();
        std::fprintf(stderr,
                     "kestrune process: %s -> %s: %ld frames, %d Hz, %d channel%s, %.1f s of "
                     "audio in %.2f s (%.0fx real time), %ld samples clipped\n",
                     options.input.c_str(), options.output.c_str(), frames, input.SampleRateHz(),
                     input.Channels(), input.Channels() == 1 ? "" : "s", audioSeconds, wall,
                     wall > 0.0 ? audioSeconds / wall : 0.0, writer.Clipped());
    }
}

// Where a file of a batch goes: the output folder, the input's name with the extension of
// --type or the input's own.
std::string BatchOutputPath(const ProcessOptions& options, const std::string& input)
{
    const std::filesystem::path in(input);
    const std::string extension =
        options.format.type.empty() ? in.extension().string() : "." + options.format.type;
    return (std::filesystem::path(options.outputDir) / in.stem()).string() + extension;
}

// Many inputs into one folder, on every core: one plug-in instance per file, so each file is
// processed exactly as on its own. A failing file does not stop the others; each gets its own
// line (results on standard output, failures on standard error, in the order given).
void RunBatch(const ProcessOptions& options)
{
    if (!options.saveStateFile.empty())
    {
        throw ToolError("--save-state takes a single input, not a batch");
    }
    std::error_code error;
    std::filesystem::create_directories(options.outputDir, error);
    if (error)
    {
        throw ToolError("cannot create " + options.outputDir + ": " + error.message());
    }
    const std::size_t count = options.files.size();
    std::vector<std::string> failures(count);
    std::atomic<std::size_t> next{0};
    auto work = [&]
    {
        for (std::size_t i = next++; i < count; i = next++)
        {
            ProcessOptions one = options;
            one.progress = false;
            one.input = options.files[i];
            one.output = BatchOutputPath(options, one.input);
            try
            {
                RunProcess(one);
            }
            catch (const std::exception& failure)
            {
                failures[i] = failure.what();
                if (failures[i].empty())
                {
                    failures[i] = "failed";
                }
            }
        }
    };
    const std::size_t workers =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, count);
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w)
    {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    std::size_t failed = 0;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (failures[i].empty())
        {
            if (!options.writing.quiet)
            {
                std::printf("%s -> %s\n", options.files[i].c_str(),
                            BatchOutputPath(options, options.files[i]).c_str());
            }
            continue;
        }
        ++failed;
        std::fprintf(stderr, "kestrune process: %s: %s\n", options.files[i].c_str(),
                     failures[i].c_str());
    }
    if (failed > 0)
    {
        throw ToolError(std::to_string(failed) + " of " + std::to_string(count) + " files failed");
    }
}

void RunProcessCommand(ProcessOptions options)
{
    if (!options.outputDir.empty())
    {
        RunBatch(options);
        return;
    }
    if (options.files.size() != 2)
    {
        throw ToolError("give IN and OUT, or --output-dir DIR and one or more IN");
    }
    options.input = options.files[0];
    options.output = options.files[1];
    RunProcess(options);
}

} // namespace

void AddProcessCommand(CLI::App& app, CommandContext& context)
{
    auto options = std::make_shared<ProcessOptions>();
    CLI::App* command = app.add_subcommand(
        "process", "Run an audio file through the equaliser; the output keeps the input's "
                   "sample rate and channels, its type follows OUT's extension (or --type)");
    command
        ->add_option("FILES", options->files,
                     "IN OUT: the input (mono or stereo, - for standard input) and the output (- "
                     "for standard output); with --output-dir: one or more inputs")
        ->required();
    command->add_option("-o,--output-dir", options->outputDir,
                        "process every input into this folder (made if missing), one plug-in per "
                        "file on all cores; a file's output keeps its name (and its extension, "
                        "unless --type)");
    AddSessionOptions(*command, options->session, kSessionBlock | kSessionAutomation);
    command->add_option("--save-state", options->saveStateFile,
                        "save the state document after processing");
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
    command->add_flag("-v,--verbose", options->verbose,
                      "print a summary per file: frames, rate, speed, clipped samples");
    command->add_flag("--quiet", options->writing.quiet,
                      "print no warnings (samples clipped at full scale)");
    SetCommandWork(*command, context, [options] { RunProcessCommand(*options); });
}
