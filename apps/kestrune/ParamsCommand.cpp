#include "apps/kestrune/ParamsCommand.h"

#include <cstdio>
#include <memory>

#include "apps/kestrune/Commands.h"
#include "plugin/Parameters.h"
#include "plugin/VantorKestrune.h"

namespace
{

std::string HostValueText(const IPlugParameter& param, double value)
{
    char text[kParamTextCapacity];
    param.FormatForHost(value, false, text, true);
    return text;
}

std::string DisplayTextsSummary(const IPlugParameter& param)
{
    std::string summary;
    for (int i = 0; i < param.DisplayTextCount(); ++i)
    {
        int value = 0;
        const char* text = param.DisplayTextAt(i, &value);
        if (!summary.empty())
        {
            summary += ", ";
        }
        summary += std::to_string(value) + " \"" + text + "\"";
    }
    return summary;
}

// The band a gain parameter sets, as --set also takes it: "band at 1000 Hz".
std::string BandText(int band)
{
    char text[64];
    std::snprintf(text, sizeof(text), "band at %g Hz", AudioPlugin::BandFrequencyHz(band));
    return text;
}

std::string Number(double value, int precision)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", precision, value);
    return text;
}

int RunParams(bool json)
{
    const std::unique_ptr<VantorKestrune> plug(CreatePlugin());
    if (json)
    {
        std::printf("%s\n", ParametersToJson(*plug).dump(2).c_str());
    }
    else
    {
        std::fputs(ParametersToText(*plug).c_str(), stdout);
    }
    return 0;
}

} // namespace

nlohmann::ordered_json ParametersToJson(const IPlugBase& plug)
{
    nlohmann::ordered_json table = nlohmann::ordered_json::array();
    for (int i = 0; i < plug.ParameterCount(); ++i)
    {
        const IPlugParameter& param = *plug.Param(i);
        nlohmann::ordered_json texts = nlohmann::ordered_json::array();
        for (int t = 0; t < param.DisplayTextCount(); ++t)
        {
            int value = 0;
            const char* text = param.DisplayTextAt(t, &value);
            texts.push_back({{"value", value}, {"text", text}});
        }
        table.push_back({
            {"index", i},
            {"name", param.Name()},
            {"kind", ParameterKindName(param.Kind())},
            {"default", param.DefaultValue()},
            {"min", param.Min()},
            {"max", param.Max()},
            {"step", param.Step()},
            {"label", param.UnitLabel()},
            {"displayTexts", texts},
            {"valueText", HostValueText(param, param.DefaultValue())},
        });
        if (IsBandGainParam(i))
        {
            table.back()["frequencyHz"] = AudioPlugin::BandFrequencyHz(i - kParamGain0);
        }
    }
    return table;
}

std::string ParametersToText(const IPlugBase& plug)
{
    std::string out;
    char line[512];
    std::snprintf(line, sizeof(line), "%-5s %-24s %-6s %-8s %-8s %-8s %-5s %-5s %s\n", "index",
                  "name", "kind", "default", "min", "max", "step", "label", "display texts");
    out += line;
    for (int i = 0; i < plug.ParameterCount(); ++i)
    {
        const IPlugParameter& param = *plug.Param(i);
        const int precision = param.Precision();
        std::snprintf(
            line, sizeof(line), "%-5d %-24s %-6s %-8s %-8s %-8s %-5s %-5s %s\n", i, param.Name(),
            ParameterKindName(param.Kind()), HostValueText(param, param.DefaultValue()).c_str(),
            Number(param.Min(), precision).c_str(), Number(param.Max(), precision).c_str(),
            Number(param.Step(), precision).c_str(), param.UnitLabel(),
            IsBandGainParam(i) ? BandText(i - kParamGain0).c_str()
                               : DisplayTextsSummary(param).c_str());
        out += line;
    }
    return out;
}

void AddParamsCommand(CLI::App& app, CommandContext& context)
{
    auto json = std::make_shared<bool>(false);
    CLI::App* command = app.add_subcommand(
        "params", "Print the plug-in's parameter table (index, name, kind, range, texts)");
    command->add_flag("--json", *json,
                      "Print a JSON array of the 46 parameters instead of a table");
    command->callback([json, &context] { context.exitCode = RunParams(*json); });
}
