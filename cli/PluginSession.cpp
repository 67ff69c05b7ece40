#include "cli/PluginSession.h"

#include "plugin/VantorKestrune.h"

#include <nlohmann/json.hpp>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kestrune::cli
{

namespace
{

int FindParameter(VantorKestrune& plug, const std::string& name)
{
    for (int i = 0; i < plug.ParameterCount(); ++i)
    {
        if (name == plug.Param(i)->Name())
            return i;
    }
    return -1;
}

// A real value from a number or a display text; false when neither.
bool ParseValue(const IPlugParameter& param, const std::string& text, double& value)
{
    int displayValue = 0;
    if (param.FindDisplayText(text.c_str(), &displayValue))
    {
        value = displayValue;
        return true;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    return end != begin && *end == '\0' && errno == 0 && std::isfinite(value);
}

} // namespace

bool LoadStateFile(VantorKestrune& plug, const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = "cannot read state file " + path;
        return false;
    }
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string text = buffer.str();
    if (!nlohmann::json::accept(text))
    {
        error = "state file " + path + " is not a JSON state document";
        return false;
    }
    StateChunk chunk;
    if (!chunk.PutStr(text))
    {
        error = "state file " + path + " is too large";
        return false;
    }
    plug.DeserializeState(chunk, 0);
    return true;
}

bool ApplySetting(VantorKestrune& plug, const std::string& setting, std::string& error)
{
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos)
    {
        error = "setting \"" + setting + "\" is not NAME=VALUE";
        return false;
    }
    const std::string name = setting.substr(0, equals);
    const std::string valueText = setting.substr(equals + 1);
    const int index = FindParameter(plug, name);
    if (index < 0)
    {
        error = "unknown parameter \"" + name + "\"";
        return false;
    }
    const IPlugParameter& param = *plug.Param(index);
    double value = 0.0;
    if (!ParseValue(param, valueText, value))
    {
        error = "\"" + valueText + "\" is not a value of \"" + name + "\"";
        return false;
    }
    if (value < param.Min() || value > param.Max())
    {
        error = "value " + valueText + " of \"" + name + "\" is out of range";
        return false;
    }
    plug.SetParameterFromHost(index, param.ToNormalized(value));
    return true;
}

bool ProcessFile(VantorKestrune& plug, const std::string& path, int blockFrames, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
    {
        error = "cannot read audio file " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.channels > 2)
    {
        sf_close(file);
        error = "audio file " + path + " has " + std::to_string(info.channels) +
                " channels; only mono and stereo are supported";
        return false;
    }
    const int channels = info.channels;
    const int frames = std::max(blockFrames, 1);
    plug.SetHostSampleRate(info.samplerate);
    plug.SetHostBlockSize(frames);
    plug.ResetProcessing();

    std::vector<float> interleaved(static_cast<std::size_t>(frames * channels));
    std::vector<float> in[2] = {std::vector<float>(static_cast<std::size_t>(frames)),
                                std::vector<float>(static_cast<std::size_t>(frames))};
    std::vector<float> out[2] = {in[0], in[1]};
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    for (;;)
    {
        const sf_count_t got = sf_readf_float(file, interleaved.data(), frames);
        if (got <= 0)
            break;
        for (int c = 0; c < 2; ++c)
            std::fill(in[c].begin(), in[c].end(), 0.0f);
        for (sf_count_t f = 0; f < got; ++f)
            for (int c = 0; c < channels; ++c)
                in[c][static_cast<std::size_t>(f)] =
                    interleaved[static_cast<std::size_t>(f * channels + c)];
        plug.RenderBlock(inputs, channels, outputs, channels, frames, false);
    }
    sf_close(file);
    return true;
}

std::unique_ptr<VantorKestrune> OpenSession(const SessionOptions& options, std::string& error)
{
    std::unique_ptr<VantorKestrune> plug(CreatePlugin());
    if (!options.statePath.empty() && !LoadStateFile(*plug, options.statePath, error))
        return nullptr;
    for (const std::string& setting : options.sets)
    {
        if (!ApplySetting(*plug, setting, error))
            return nullptr;
    }
    if (!options.inputPath.empty() &&
        !ProcessFile(*plug, options.inputPath, options.blockFrames, error))
        return nullptr;
    return plug;
}

} // namespace kestrune::cli
