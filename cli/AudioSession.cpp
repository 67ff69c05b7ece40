#include "cli/AudioSession.h"

#include "cli/OutputFormat.h"
#include "output/SoundWriter.h"
#include "plugin/StateDocumentShape.h"

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

// Triangular (TPDF) dither of one step of the output's integer depth, from a fixed seed so that
// a run is repeatable. Depths of 32 bits and float formats get none.
void AddDither(std::vector<double>& samples, int bits)
{
    if (bits < 8 || bits > 24)
    {
        return;
    }
    const double step = std::ldexp(1.0, -(bits - 1));
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto uniform = [&state]
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) * 0x1.0p-53;
    };
    for (double& sample : samples)
    {
        sample += (uniform() - uniform()) * step;
    }
}

long CountBeyondFullScale(const std::vector<double>& samples)
{
    return static_cast<long>(
        std::count_if(samples.begin(), samples.end(), [](double x) { return std::fabs(x) > 1.0; }));
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

AudioData ReadAudioFile(const std::string& path)
{
    RefuseDirectory(path, "read");
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        throw ToolError("cannot read " + path + ": " + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > 2)
    {
        sf_close(file);
        throw ToolError(path + " has " + std::to_string(info.channels) +
                        " channels; only mono and stereo files can be processed");
    }
    AudioData audio;
    audio.sampleRateHz = info.samplerate;
    audio.format = info.format;
    const auto frames = static_cast<std::size_t>(std::max<sf_count_t>(info.frames, 0));
    std::vector<double> interleaved(frames * static_cast<std::size_t>(info.channels));
    const sf_count_t framesRead = sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);
    audio.channels.assign(
        static_cast<std::size_t>(info.channels),
        std::vector<double>(static_cast<std::size_t>(std::max<sf_count_t>(framesRead, 0))));
    for (std::size_t j = 0; j < audio.channels[0].size(); ++j)
    {
        for (std::size_t c = 0; c < audio.channels.size(); ++c)
        {
            audio.channels[c][j] = interleaved[j * audio.channels.size() + c];
        }
    }
    if (audio.sampleRateHz < 1)
    {
        throw ToolError(path + " has no valid sample rate");
    }
    return audio;
}

output::OutputFile StageAudioFile(const std::string& path, const AudioData& audio,
                                  const std::vector<std::string>& inputs,
                                  const AudioWriteOptions& options)
{
    output::OutputFile file = output::OutputFile::Open(path, inputs);
    SF_INFO info{};
    info.samplerate = audio.sampleRateHz;
    info.channels = static_cast<int>(audio.channels.size());
    info.format = audio.format;
    std::vector<double> interleaved = Interleaved(audio);
    if (options.dither)
    {
        AddDither(interleaved, IntegerBits(audio.format));
    }
    const long clipped = ClipsBeyondFullScale(audio.format) ? CountBeyondFullScale(interleaved) : 0;
    output::SoundWriter writer(file, info);
    if (options.quality >= 0.0)
    {
        writer.SetQuality(options.quality);
    }
    writer.Write(interleaved.data(), audio.Frames());
    writer.Close();
    if (clipped > 0 && !options.quiet)
    {
        std::fprintf(stderr, "kestrune: warning: %s: %ld samples clipped at full scale\n",
                     path.c_str(), clipped);
    }
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
    const int frames = audio.Frames();
    const bool mono = audio.channels.size() == 1;
    std::vector<double> in0(static_cast<std::size_t>(blockFrames_));
    std::vector<double> in1(static_cast<std::size_t>(blockFrames_));
    std::vector<double> out0(static_cast<std::size_t>(blockFrames_));
    std::vector<double> out1(static_cast<std::size_t>(blockFrames_));
    ProgressBar progress(audio.Seconds());
    auto nextChange = automation_.begin();
    for (int start = 0, n = 0; start < frames; start += n)
    {
        // Changes due by this frame reach the plug-in first; the block ends where the next one
        // is due, so each takes effect at its own frame.
        for (; nextChange != automation_.end() && nextChange->frame <= start; ++nextChange)
        {
            plugin_->SetParameterFromHost(nextChange->change.index, nextChange->change.normalised);
        }
        n = std::min(blockFrames_, frames - start);
        if (nextChange != automation_.end())
        {
            n = static_cast<int>(std::min<long>(n, nextChange->frame - start));
        }
        std::copy_n(audio.channels[0].begin() + start, n, in0.begin());
        if (mono)
        {
            // The mono configuration runs the second channel from a zeroed buffer.
            std::fill_n(in1.begin(), n, 0.0);
        }
        else
        {
            std::copy_n(audio.channels[1].begin() + start, n, in1.begin());
        }
        double* inputs[2] = {in0.data(), in1.data()};
        double* outputs[2] = {out0.data(), out1.data()};
        {
            const auto lock = plugin_->LockPlugin();
            plugin_->ProcessBlock(inputs, outputs, n);
        }
        std::copy_n(out0.begin(), n, audio.channels[0].begin() + start);
        if (!mono)
        {
            std::copy_n(out1.begin(), n, audio.channels[1].begin() + start);
        }
        progress.Show(static_cast<double>(start + n) / frames);
    }
}

nlohmann::ordered_json HostSession::Analysis(const AudioData& audio) const
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
    result["sampleRate"] = audio.sampleRateHz;
    result["frames"] = audio.Frames();
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
