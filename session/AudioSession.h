#pragma once

// What the audio commands (process, analyse, demo) share: audio files through libsndfile, a
// plug-in instance driven as a host drives it, parameter settings from the command line, state
// files, and a progress bar.

#include <functional>
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

// A mono or stereo audio file ("-": standard input) read block by block, so that memory stays
// the same whatever the length; anything else is a ToolError.
class AudioReader
{
public:
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int Channels() const { return channels_; }
    int SampleRateHz() const { return sampleRateHz_; }
    int Format() const { return format_; } // libsndfile format code
    // Frames the header announces; a pipe may deliver fewer (or announce none: -1).
    long AnnouncedFrames() const { return announcedFrames_; }
    // Up to `frames` interleaved frames; 0 at the end of the data.
    int Read(double* interleaved, int frames);

private:
    void* file_ = nullptr; // SNDFILE
    int channels_ = 0;
    int sampleRateHz_ = 0;
    int format_ = 0;
    long announcedFrames_ = -1;
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
// Audio written block by block into an output file in `format`, with the options' dither and
// quality. Samples beyond full scale in an integer or lossy output are clipped and counted;
// Close reports the count on standard error unless quiet. A ToolError or output::FileError on
// failure.
class AudioFileWriter
{
public:
    AudioFileWriter(output::OutputFile& file, int format, int channels, int sampleRateHz,
                    const AudioWriteOptions& options);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    void Write(const double* interleaved, int frames);
    void Close();
    long Clipped() const { return clipped_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    long clipped_ = 0;
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
    // A factory preset by name (any case): every parameter set, as hosts load LV2 presets.
    void ApplyPreset(const std::string& name);
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
    // The same, streamed: blocks of interleaved frames are pulled from `source` (it returns how
    // many it gave, 0 at the end) and the processed frames handed to `sink` (may be empty).
    // `seconds` is the expected length for the progress bar (0: unknown). Returns the frames.
    using BlockSource = std::function<int(double* interleaved, int frames)>;
    using BlockSink = std::function<void(const double* interleaved, int frames)>;
    long Stream(int channels, double seconds, const BlockSource& source, const BlockSink& sink);

    // Band table with levels and gains as the analyse command prints them.
    nlohmann::ordered_json Analysis(const AudioData& audio) const;
    nlohmann::ordered_json Analysis(int sampleRateHz, long frames) const;
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
