#pragma once

// What the audio commands (process, analyse, demo) share: audio files through libsndfile, a
// plug-in instance driven as a host drives it, parameter settings from the command line, state
// files, and a progress bar.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "output/OutputFile.h"

class VantorKestrune;

// A failure the tool reports as one line and exit status 1.
class ToolError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Audio in memory, channel by channel, with the file format to write it back in.
struct AudioData
{
    int sampleRateHz = 0;
    int format = 0; // libsndfile format code
    std::vector<std::vector<double>> channels;

    int Frames() const { return channels.empty() ? 0 : static_cast<int>(channels[0].size()); }
    double Seconds() const
    {
        return sampleRateHz > 0 ? Frames() / static_cast<double>(sampleRateHz) : 0.0;
    }
};

// Reads a mono or stereo file; anything else is a ToolError. A file whose data ends before its
// header says is read as far as its data goes, as libsndfile reads it.
AudioData ReadAudioFile(const std::string& path);

// Outputs are checked and staged by output::OutputFile (see there: a regular file is written
// to a temporary and renamed into place on Commit, devices, FIFOs and "-" are written directly,
// directories, read-only files and the inputs themselves are refused). These write the whole
// content; the caller commits, so that several outputs can be committed together.
// How audio is written beyond its format (AudioData::format).
struct AudioWriteOptions
{
    double quality = -1.0; // 0 to 1 for lossy formats (and FLAC's compression); <0: default
    bool dither = false;   // triangular dither to the depth of an integer format
    bool quiet = false;    // no report of clipped samples
};
// Samples beyond full scale in an integer or lossy output are clipped and counted; the count
// is reported on standard error unless quiet.
output::OutputFile StageAudioFile(const std::string& path, const AudioData& audio,
                                  const std::vector<std::string>& inputs = {},
                                  const AudioWriteOptions& options = {});
output::OutputFile StageTextFile(const std::string& path, const std::string& text,
                                 const std::vector<std::string>& inputs = {});
// Stage and commit at once.
void WriteAudioFile(const std::string& path, const AudioData& audio,
                    const std::vector<std::string>& inputs = {},
                    const AudioWriteOptions& options = {});
void WriteTextFile(const std::string& path, const std::string& text,
                   const std::vector<std::string>& inputs = {});

// One plug-in instance prepared as a host prepares it: sample rate, block size, reset.
class HostSession
{
public:
    HostSession(int sampleRateHz, int blockFrames);
    ~HostSession();

    // "NAME=VALUE": NAME a parameter name, VALUE a real value in range or one of the
    // parameter's display texts. Reaches the plug-in through the host-change path.
    void ApplySetting(const std::string& setting);
    // "NAME=VALUE@SECONDS": the same change at a time in the audio, checked now, applied by
    // Process at the frame nearest that time: the block is split there, so the change takes
    // effect at that exact frame.
    void AddAutomation(const std::string& automation, int sampleRateHz);
    // Reads a state document (JSON text) saved by --save-state or the demo: an object whose
    // "params" is a list of {"name", "value"} entries; anything else is a ToolError.
    void LoadStateFile(const std::string& path);
    // The current state document.
    std::string StateDocument();

    // Runs the audio through the plug-in in blocks, in place; mono runs as "1-1", stereo as
    // "2-2". Shows a progress bar on a terminal for long material.
    void Process(AudioData& audio);

    // Band table with levels and gains as the analyse command prints them.
    nlohmann::ordered_json Analysis(const AudioData& audio) const;
    std::string AnalysisText() const;

    VantorKestrune& Plugin() { return *plugin_; }

private:
    struct Change
    {
        int index;
        double normalised;
    };
    struct TimedChange
    {
        long frame;
        Change change;
    };
    Change ResolveSetting(const std::string& setting) const;

    std::unique_ptr<VantorKestrune> plugin_;
    int blockFrames_;
    std::vector<TimedChange> automation_; // in time order
};

// Parses the --block value: a positive frame count.
int CheckedBlockSize(int frames);
// The rate itself when the plug-in supports it (8 kHz to 768 kHz); a ToolError otherwise.
int CheckedSampleRate(int sampleRateHz);
