#include "session/AudioSession.h"

#include "output/SoundWriter.h"
#include "plugin/FactoryPresets.h"
#include "plugin/StateDocumentShape.h"
#include "session/OutputFormat.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include <sndfile.h>
#include <unistd.h>

#include "plugin/Parameters.h"
#include "plugin/VantorKestrune.h"

namespace
{

// Progress is shown only for material longer than this, and only on a terminal.
constexpr double kProgressMinimumSeconds = 5.0;
// Longer blocks are refused: they only cost memory and say nothing more.
constexpr int kMaxBlockFrames = 1 << 20;
// Frames read at a time when a whole file is read into memory.
constexpr int kReadBlockFrames = 65536;

double LevelDb(double level)
{
    return kLinearToDb * std::log(std::fabs(level));
}

nlohmann::ordered_json DbOrNull(double db)
{
    return std::isfinite(db) ? nlohmann::ordered_json(db) : nlohmann::ordered_json(nullptr);
}

void RefuseDirectory(const std::string& path, const char* verb)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
    {
        throw ToolError(std::string("cannot ") + verb + " " + path + ": it is a directory");
    }
}

class ProgressBar
{
public:
    explicit ProgressBar(double seconds)
        : visible_(seconds > kProgressMinimumSeconds && isatty(STDERR_FILENO) == 1)
    {
    }
    ~ProgressBar()
    {
        if (visible_ && shownPercent_ >= 0)
        {
            std::fputs("\n", stderr);
        }
    }
    void Show(double fraction)
    {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!visible_ || percent == shownPercent_)
        {
            return;
        }
        shownPercent_ = percent;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\rprocessing [%s%s] %3d%%", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), percent);
        std::fflush(stderr);
    }

private:
    bool visible_;
    int shownPercent_ = -1;
};

// A name as the LV2 port symbols write it: lower case, each run of other characters than
// letters and digits one underscore ("Gain 17" and "gain_17", "Eq Amount" and "eq_amount").
std::string CanonicalName(const std::string& name)
{
    std::string canonical;
    bool separator = false;
    for (const unsigned char c : name)
    {
        if (std::isalnum(c) == 0)
        {
            separator = !canonical.empty();
            continue;
        }
        if (separator)
        {
            canonical += '_';
            separator = false;
        }
        canonical += static_cast<char>(std::tolower(c));
    }
    return canonical;
}

// A band by its centre frequency: "1000Hz", "1000 Hz", "1kHz", "1k", "6.35k" or a plain
// number of hertz; within 2 % of a band's centre. -1 when the text is no frequency.
int BandOfFrequency(const std::string& text)
{
    char* end = nullptr;
    double hz = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(hz) || hz <= 0.0)
    {
        return -1;
    }
    std::string unit = CanonicalName(end);
    if (!unit.empty() && unit[0] == 'k')
    {
        hz *= 1000.0;
        unit.erase(0, 1);
    }
    if (!unit.empty() && unit != "hz")
    {
        return -1;
    }
    for (int band = 0; band < kBandCount; ++band)
    {
        const double centreHz = AudioPlugin::BandFrequencyHz(band);
        if (std::fabs(hz - centreHz) <= 0.02 * centreHz)
        {
            return band;
        }
    }
    return -1;
}

// A parameter by its name (in any case, or as its LV2 symbol) or a band gain by the band's
// centre frequency.
int FindParameter(const VantorKestrune& plugin, const std::string& name)
{
    const std::string wanted = CanonicalName(name);
    for (int i = 0; i < plugin.ParameterCount(); ++i)
    {
        if (name == plugin.Param(i)->Name() || wanted == CanonicalName(plugin.Param(i)->Name()))
        {
            return i;
        }
    }
    const int band = BandOfFrequency(name);
    return band >= 0 ? BandGainParam(band) : -1;
}

// A display text of the parameter (exact, then ignoring case), or a plain number.
bool ParseValue(const IPlugParameter& param, const std::string& text, double& value)
{
    int position = 0;
    if (param.FindDisplayText(text.c_str(), &position))
    {
        value = position;
        return true;
    }
    for (int i = 0; i < param.DisplayTextCount(); ++i)
    {
        const std::string candidate = param.DisplayTextAt(i, &position);
        if (candidate.size() == text.size() &&
            std::equal(candidate.begin(), candidate.end(), text.begin(),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
        {
            value = position;
            return true;
        }
    }
    if (text.empty())
    {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

std::vector<double> Interleaved(const AudioData& audio)
{
    const std::size_t channels = audio.channels.size();
    std::vector<double> interleaved(static_cast<std::size_t>(audio.Frames()) * channels);
    for (std::size_t j = 0; j < static_cast<std::size_t>(audio.Frames()); ++j)
    {
        for (std::size_t c = 0; c < channels; ++c)
        {
            interleaved[j * channels + c] = audio.channels[c][j];
        }
    }
    return interleaved;
}

} // namespace

int CheckedBlockSize(int frames)
{
    if (frames < 1 || frames > kMaxBlockFrames)
    {
        throw ToolError("--block must be between 1 and " + std::to_string(kMaxBlockFrames));
    }
    return frames;
}

AudioReader::AudioReader(const std::string& path)
{
    RefuseDirectory(path, "read");
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        throw ToolError("cannot read " + path + ": " + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 1)
    {
        sf_close(file);
        throw ToolError(info.samplerate < 1 ? path + " has no valid sample rate"
                                            : path + " has " + std::to_string(info.channels) +
                                                  " channels; only mono and stereo files can be "
                                                  "processed");
    }
    file_ = file;
    channels_ = info.channels;
    sampleRateHz_ = info.samplerate;
    format_ = info.format;
    announcedFrames_ = info.frames >= 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
}

AudioReader::~AudioReader()
{
    sf_close(static_cast<SNDFILE*>(file_));
}

int AudioReader::Read(double* interleaved, int frames)
{
    const sf_count_t got = sf_readf_double(static_cast<SNDFILE*>(file_), interleaved, frames);
    return static_cast<int>(std::max<sf_count_t>(got, 0));
}

AudioData ReadAudioFile(const std::string& path)
{
    AudioReader reader(path);
    AudioData audio;
    audio.sampleRateHz = reader.SampleRateHz();
    audio.format = reader.Format();
    audio.channels.resize(static_cast<std::size_t>(reader.Channels()));
    std::vector<double> block(static_cast<std::size_t>(kReadBlockFrames * reader.Channels()));
    for (int got = 0; (got = reader.Read(block.data(), kReadBlockFrames)) > 0;)
    {
        for (int j = 0; j < got; ++j)
        {
            for (std::size_t c = 0; c < audio.channels.size(); ++c)
            {
                audio.channels[c].push_back(block[j * audio.channels.size() + c]);
            }
        }
    }
    return audio;
}

struct AudioFileWriter::State
{
    State(output::OutputFile& output, const SF_INFO& info) : file(output), writer(output, info) {}

    output::OutputFile& file;
    output::SoundWriter writer;
    int channels = 0;
    int ditherBits = 0; // 0: no dither
    bool countClipping = false;
    bool quiet = false;
    std::uint64_t ditherState = 0x9E3779B97F4A7C15ull;
    std::vector<double> scratch;
};

AudioFileWriter::AudioFileWriter(output::OutputFile& file, int format, int channels,
                                 int sampleRateHz, const AudioWriteOptions& options)
{
    SF_INFO info{};
    info.samplerate = sampleRateHz;
    info.channels = channels;
    info.format = format;
    state_ = std::make_unique<State>(file, info);
    state_->channels = channels;
    state_->ditherBits = options.dither ? IntegerBits(format) : 0;
    state_->countClipping = ClipsBeyondFullScale(format);
    state_->quiet = options.quiet;
    if (options.quality >= 0.0)
    {
        state_->writer.SetQuality(options.quality);
    }
}

AudioFileWriter::~AudioFileWriter() = default;

void AudioFileWriter::Write(const double* interleaved, int frames)
{
    State& s = *state_;
    const auto count = static_cast<std::size_t>(frames * s.channels);
    s.scratch.assign(interleaved, interleaved + count);
    // Triangular (TPDF) dither of one step of the output's integer depth, from a fixed seed so
    // that a run is repeatable; 32-bit depths get none.
    if (s.ditherBits >= 8 && s.ditherBits <= 24)
    {
        const double step = std::ldexp(1.0, -(s.ditherBits - 1));
        auto uniform = [&s]
        {
            s.ditherState = s.ditherState * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<double>(s.ditherState >> 11) * 0x1.0p-53;
        };
        for (double& sample : s.scratch)
        {
            sample += (uniform() - uniform()) * step;
        }
    }
    if (s.countClipping)
    {
        clipped_ += static_cast<long>(std::count_if(s.scratch.begin(), s.scratch.end(),
                                                    [](double x) { return std::fabs(x) > 1.0; }));
    }
    s.writer.Write(s.scratch.data(), frames);
}

void AudioFileWriter::Close()
{
    state_->writer.Close();
    if (clipped_ > 0 && !state_->quiet)
    {
        std::fprintf(stderr, "kestrune: warning: %s: %ld samples clipped at full scale\n",
                     state_->file.Path().c_str(), clipped_);
    }
}

output::OutputFile StageAudioFile(const std::string& path, const AudioData& audio,
                                  const std::vector<std::string>& inputs,
                                  const AudioWriteOptions& options)
{
    output::OutputFile file = output::OutputFile::Open(path, inputs);
    AudioFileWriter writer(file, audio.format, static_cast<int>(audio.channels.size()),
                           audio.sampleRateHz, options);
    const std::vector<double> interleaved = Interleaved(audio);
    writer.Write(interleaved.data(), audio.Frames());
    writer.Close();
    return file;
}

output::OutputFile StageTextFile(const std::string& path, const std::string& text,
                                 const std::vector<std::string>& inputs)
{
    output::OutputFile file = output::OutputFile::Open(path, inputs);
    file.Write(text);
    return file;
}

void WriteAudioFile(const std::string& path, const AudioData& audio,
                    const std::vector<std::string>& inputs, const AudioWriteOptions& options)
{
    StageAudioFile(path, audio, inputs, options).Commit();
}

void WriteTextFile(const std::string& path, const std::string& text,
                   const std::vector<std::string>& inputs)
{
    StageTextFile(path, text, inputs).Commit();
}

int CheckedSampleRate(int sampleRateHz)
{
    if (!VantorKestrune::SupportsSampleRate(sampleRateHz))
    {
        throw ToolError("the sample rate " + std::to_string(sampleRateHz) +
                        " Hz is not supported (" + std::to_string(kMinSampleRateHz) + " to " +
                        std::to_string(kMaxSampleRateHz) + " Hz)");
    }
    return sampleRateHz;
}

HostSession::HostSession(int sampleRateHz, int blockFrames)
    : plugin_(CreatePlugin()), blockFrames_(CheckedBlockSize(blockFrames))
{
    CheckedSampleRate(sampleRateHz);
    plugin_->SetHostSampleRate(sampleRateHz);
    plugin_->SetHostBlockSize(blockFrames_);
    plugin_->ResetProcessing();
    // Like a host that sends its automation state at the start, every parameter is announced
    // once, so the engine runs with the values the parameters show (an EQ amount of 50 %).
    for (int i = 0; i < plugin_->ParameterCount(); ++i)
    {
        plugin_->SetParameterFromHost(i, plugin_->Param(i)->Normalized());
    }
}

HostSession::~HostSession() = default;

void HostSession::ApplySetting(const std::string& setting)
{
    const Change change = ResolveSetting(setting);
    plugin_->SetParameterFromHost(change.index, change.normalised);
}

void HostSession::ApplyPreset(const std::string& name)
{
    const FactoryPreset* preset = FindFactoryPreset(name);
    if (preset == nullptr)
    {
        std::string names;
        for (const FactoryPreset& known : FactoryPresets())
        {
            names += (names.empty() ? "\"" : ", \"") + std::string(known.name) + "\"";
        }
        throw ToolError("no preset \"" + name + "\" (" + names + ")");
    }
    ApplyFactoryPreset(*plugin_, *preset);
}

void HostSession::AddAutomation(const std::string& automation, int sampleRateHz)
{
    const std::size_t at = automation.rfind('@');
    char* end = nullptr;
    const std::string time = at == std::string::npos ? "" : automation.substr(at + 1);
    const double seconds = std::strtod(time.c_str(), &end);
    if (time.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0.0)
    {
        throw ToolError("--automate needs NAME=VALUE@SECONDS (a time of 0 or more), got \"" +
                        automation + "\"");
    }
    const auto frame = std::lround(seconds * sampleRateHz);
    const TimedChange timed{frame, ResolveSetting(automation.substr(0, at))};
    const auto later = std::upper_bound(automation_.begin(), automation_.end(), frame,
                                        [](long f, const TimedChange& t) { return f < t.frame; });
    automation_.insert(later, timed);
}

HostSession::Change HostSession::ResolveSetting(const std::string& setting) const
{
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos)
    {
        throw ToolError("--set needs NAME=VALUE, got \"" + setting + "\"");
    }
    const std::string name = setting.substr(0, equals);
    const std::string text = setting.substr(equals + 1);
    const int index = FindParameter(*plugin_, name);
    if (index < 0)
    {
        throw ToolError("unknown parameter \"" + name + "\" (kestrune params lists them)");
    }
    const IPlugParameter& param = *plugin_->Param(index);
    double value = 0.0;
    if (!ParseValue(param, text, value))
    {
        throw ToolError("\"" + text + "\" is not a number or a value text of \"" + name + "\"");
    }
    if (value < param.Min() || value > param.Max())
    {
        char range[96];
        std::snprintf(range, sizeof(range), "%g to %g", param.Min(), param.Max());
        throw ToolError("value " + text + " of \"" + name + "\" is out of range (" + range + ")");
    }
    return {index, param.ToNormalized(value)};
}

void HostSession::LoadStateFile(const std::string& path)
{
    const std::string text = output::ReadBoundedFile(path, kMaxStateFileBytes);
    if (!LooksLikeStateDocument(text))
    {
        throw ToolError(path + " is not a state document");
    }
    StateChunk chunk;
    chunk.PutStr(text);
    if (plugin_->DeserializeState(chunk, 0) != chunk.Size() || !plugin_->StateLoaded())
    {
        throw ToolError(path + " is not a state document");
    }
    // As a host adapter does after a restore: the controls show the restored values.
    plugin_->PushValuesToEditor();
}

std::string HostSession::StateDocument()
{
    StateChunk chunk;
    plugin_->SerializeState(chunk);
    std::string text;
    chunk.GetStr(text, 0);
    return text;
}

void HostSession::Process(AudioData& audio)
{
    const auto channels = audio.channels.size();
    long read = 0;
    long written = 0;
    Stream(
        static_cast<int>(channels), audio.Seconds(),
        [&](double* interleaved, int frames)
        {
            const int n = static_cast<int>(std::min<long>(frames, audio.Frames() - read));
            for (int j = 0; j < n; ++j)
            {
                for (std::size_t c = 0; c < channels; ++c)
                {
                    interleaved[j * channels + c] = audio.channels[c][read + j];
                }
            }
            read += n;
            return n;
        },
        [&](const double* interleaved, int frames)
        {
            for (int j = 0; j < frames; ++j)
            {
                for (std::size_t c = 0; c < channels; ++c)
                {
                    audio.channels[c][written + j] = interleaved[j * channels + c];
                }
            }
            written += frames;
        });
}

long HostSession::Stream(int channels, double seconds, const BlockSource& source,
                         const BlockSink& sink)
{
    const auto block = static_cast<std::size_t>(blockFrames_);
    std::vector<double> interleaved(block * static_cast<std::size_t>(channels));
    std::vector<double> in0(block);
    std::vector<double> in1(block);
    std::vector<double> out0(block);
    std::vector<double> out1(block);
    ProgressBar progress(seconds);
    const double expectedFrames = seconds * plugin_->SampleRate();
    auto nextChange = automation_.begin();
    long done = 0;
    for (;;)
    {
        // Changes due by this frame reach the plug-in first; the block ends where the next one
        // is due, so each takes effect at its own frame.
        for (; nextChange != automation_.end() && nextChange->frame <= done; ++nextChange)
        {
            plugin_->SetParameterFromHost(nextChange->change.index, nextChange->change.normalised);
        }
        int n = blockFrames_;
        if (nextChange != automation_.end())
        {
            n = static_cast<int>(std::min<long>(n, nextChange->frame - done));
        }
        n = source(interleaved.data(), n);
        if (n <= 0)
        {
            break;
        }
        for (int j = 0; j < n; ++j)
        {
            in0[j] = interleaved[static_cast<std::size_t>(j * channels)];
            // The mono configuration runs the second channel from a zeroed buffer.
            in1[j] = channels > 1 ? interleaved[static_cast<std::size_t>(j * channels + 1)] : 0.0;
        }
        double* inputs[2] = {in0.data(), in1.data()};
        double* outputs[2] = {out0.data(), out1.data()};
        {
            const auto lock = plugin_->LockPlugin();
            plugin_->ProcessBlock(inputs, outputs, n);
        }
        for (int j = 0; j < n; ++j)
        {
            interleaved[static_cast<std::size_t>(j * channels)] = out0[j];
            if (channels > 1)
            {
                interleaved[static_cast<std::size_t>(j * channels + 1)] = out1[j];
            }
        }
        if (sink)
        {
            sink(interleaved.data(), n);
        }
        done += n;
        if (expectedFrames > 0.0)
        {
            progress.Show(std::min(1.0, static_cast<double>(done) / expectedFrames));
        }
    }
    return done;
}

nlohmann::ordered_json HostSession::Analysis(const AudioData& audio) const
{
    return Analysis(audio.sampleRateHz, audio.Frames());
}

nlohmann::ordered_json HostSession::Analysis(int sampleRateHz, long frames) const
{
    const AudioPlugin& engine = plugin_->Engine();
    nlohmann::ordered_json bands = nlohmann::ordered_json::array();
    for (int band = 0; band < kBandCount; ++band)
    {
        nlohmann::ordered_json entry;
        entry["band"] = band;
        entry["frequency"] = AudioPlugin::BandFrequencyHz(band);
        entry["levelDb"] = DbOrNull(LevelDb(engine.bandLevels[band]));
        entry["heldDb"] = DbOrNull(LevelDb(engine.heldLevels[band]));
        entry["gainDb"] = engine.bandGains[band];
        bands.push_back(entry);
    }
    nlohmann::ordered_json result;
    result["sampleRate"] = sampleRateHz;
    result["frames"] = frames;
    result["bands"] = bands;
    return result;
}

std::string HostSession::AnalysisText() const
{
    const AudioPlugin& engine = plugin_->Engine();
    std::string text = "band  frequency Hz   level dB    held dB    gain dB\n";
    auto db = [](double level)
    {
        const double value = LevelDb(level);
        char cell[32];
        if (std::isfinite(value))
        {
            std::snprintf(cell, sizeof(cell), "%10.2f", value);
        }
        else
        {
            std::snprintf(cell, sizeof(cell), "%10s", "-inf");
        }
        return std::string(cell);
    };
    for (int band = 0; band < kBandCount; ++band)
    {
        char line[128];
        std::snprintf(line, sizeof(line), "%4d  %12g %s %s %10.2f\n", band,
                      AudioPlugin::BandFrequencyHz(band), db(engine.bandLevels[band]).c_str(),
                      db(engine.heldLevels[band]).c_str(), engine.bandGains[band]);
        text += line;
    }
    return text;
}
