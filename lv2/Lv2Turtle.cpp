#include "lv2/Lv2Turtle.h"

#include "lv2/Lv2Ports.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace
{

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                              "@prefix idpy: <http://harrisonconsoles.com/lv2/inlinedisplay#> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                              "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                              "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Uri(const std::string& uri)
{
    return "<" + uri + ">";
}

// The LV2 units vocabulary knows the labels this product uses; other labels get no unit.
std::string UnitOf(const std::string& label)
{
    if (label == "dB")
    {
        return "units:db";
    }
    if (label == "%")
    {
        return "units:pc";
    }
    return "";
}

class PortWriter
{
public:
    explicit PortWriter(std::ostringstream& out) : out_(out) {}

    // Stereo ports belong to the plug-in's stereo input or output group, left and right.
    void Audio(bool input, int channel, int channels, const std::string& pluginUri)
    {
        Begin(input ? "lv2:AudioPort , lv2:InputPort" : "lv2:AudioPort , lv2:OutputPort",
              Lv2AudioPortSymbol(input, channel, channels),
              Lv2AudioPortName(input, channel, channels));
        if (channels == 2)
        {
            Property("pg:group", Uri(pluginUri + (input ? "-in" : "-out")));
            Property("lv2:designation", channel == 0 ? "pg:left" : "pg:right");
        }
        End();
    }

    void Parameter(const IPlugParameter& param, const std::string& comment, bool trigger)
    {
        Begin("lv2:ControlPort , lv2:InputPort", Lv2PortSymbol(param.Name()), param.Name());
        if (!comment.empty())
        {
            Property("rdfs:comment", Lv2TurtleString(comment));
        }
        Property("lv2:default", Lv2TurtleNumber(param.DefaultValue()));
        Property("lv2:minimum", Lv2TurtleNumber(param.Min()));
        Property("lv2:maximum", Lv2TurtleNumber(param.Max()));
        if (param.Kind() == ParameterKind::Bool)
        {
            Property("lv2:portProperty", trigger ? "lv2:toggled , pprops:trigger" : "lv2:toggled");
        }
        else if (param.Kind() == ParameterKind::Enum)
        {
            Property("lv2:portProperty", "lv2:integer , lv2:enumeration");
            ScalePoints(param);
        }
        Unit(param.UnitLabel());
        End();
    }

    // The host's bypass switch: 1 processes, 0 bypasses.
    void Enabled()
    {
        Begin("lv2:ControlPort , lv2:InputPort", "enabled", "Enabled");
        Property("lv2:designation", "lv2:enabled");
        Property("lv2:default", Lv2TurtleNumber(1.0));
        Property("lv2:minimum", Lv2TurtleNumber(0.0));
        Property("lv2:maximum", Lv2TurtleNumber(1.0));
        Property("lv2:portProperty", "lv2:toggled");
        End();
    }

    void Meter(const std::string& symbol, const std::string& name, double minimum, double maximum,
               const std::string& unitLabel)
    {
        Begin("lv2:ControlPort , lv2:OutputPort", symbol, name);
        Property("lv2:minimum", Lv2TurtleNumber(minimum));
        Property("lv2:maximum", Lv2TurtleNumber(maximum));
        Unit(unitLabel);
        End();
    }

private:
    void Begin(const std::string& types, const std::string& symbol, const std::string& name)
    {
        if (!symbols_.insert(symbol).second)
        {
            throw std::runtime_error("two ports would have the symbol " + symbol);
        }
        out_ << (index_ == 0 ? "    lv2:port [\n" : " , [\n");
        out_ << "        a " << types << " ;\n";
        out_ << "        lv2:index " << index_ << " ;\n";
        out_ << "        lv2:symbol " << Lv2TurtleString(symbol) << " ;\n";
        out_ << "        lv2:name " << Lv2TurtleString(name);
        ++index_;
    }

    void Property(const std::string& predicate, const std::string& object)
    {
        out_ << " ;\n        " << predicate << " " << object;
    }

    void Unit(const std::string& label)
    {
        const std::string unit = UnitOf(label);
        if (!unit.empty())
        {
            Property("units:unit", unit);
        }
    }

    void ScalePoints(const IPlugParameter& param)
    {
        for (int position = 0; position < param.DisplayTextCount(); ++position)
        {
            int value = 0;
            const char* text = param.DisplayTextAt(position, &value);
            out_ << (position == 0 ? " ;\n        lv2:scalePoint [\n" : " , [\n");
            out_ << "            rdfs:label " << Lv2TurtleString(text) << " ;\n";
            out_ << "            rdf:value " << Lv2TurtleNumber(value) << "\n        ]";
        }
    }

    void End() { out_ << "\n    ]"; }

    std::ostringstream& out_;
    int index_ = 0;
    std::set<std::string> symbols_;
};

// Every plug-in of the bundle, as a preset's lv2:appliesTo list.
std::string AppliesTo(const Lv2BundleDescription& bundle)
{
    std::string list;
    for (const Lv2PluginEntry& entry : bundle.plugins)
    {
        list += (list.empty() ? "" : " , ") + Uri(entry.uri);
    }
    return list;
}

void WritePlugin(std::ostringstream& out, const Lv2BundleDescription& bundle,
                 const Lv2PluginEntry& entry, const IPlugBase& plug)
{
    out << Uri(entry.uri) << "\n";
    out << "    a lv2:Plugin , lv2:EQPlugin , doap:Project ;\n";
    out << "    doap:name " << Lv2TurtleString(entry.name) << " ;\n";
    out << "    doap:maintainer [\n        foaf:name " << Lv2TurtleString(bundle.maker)
        << "\n    ] ;\n";
    out << "    lv2:minorVersion " << VersionMinor(bundle.version) << " ;\n";
    out << "    lv2:microVersion " << VersionRevision(bundle.version) << " ;\n";
    out << "    lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options , "
           "bufsz:boundedBlockLength"
        << (bundle.inlineDisplay ? " , idpy:queue_draw" : "") << " ;\n";
    if (!bundle.description.empty())
    {
        out << "    rdfs:comment " << Lv2TurtleString(bundle.description) << " ;\n";
    }
    if (entry.audioInputs == 2)
    {
        out << "    pg:mainInput " << Uri(entry.uri + "-in") << " ;\n";
    }
    if (entry.audioOutputs == 2)
    {
        out << "    pg:mainOutput " << Uri(entry.uri + "-out") << " ;\n";
    }
    out << "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n";
    out << "    lv2:extensionData state:interface"
        << (bundle.inlineDisplay ? " , idpy:interface" : "") << " ;\n";
    if (!bundle.uiUri.empty())
    {
        out << "    ui:ui " << Uri(bundle.uiUri) << " ;\n";
    }
    PortWriter ports(out);
    for (int c = 0; c < entry.audioInputs; ++c)
    {
        ports.Audio(true, c, entry.audioInputs, entry.uri);
    }
    for (int c = 0; c < entry.audioOutputs; ++c)
    {
        ports.Audio(false, c, entry.audioOutputs, entry.uri);
    }
    for (int i = 0; i < plug.ParameterCount(); ++i)
    {
        const bool trigger =
            std::find(bundle.triggerParameters.begin(), bundle.triggerParameters.end(), i) !=
            bundle.triggerParameters.end();
        ports.Parameter(*plug.Param(i), bundle.parameterComment ? bundle.parameterComment(i) : "",
                        trigger);
    }
    for (const Lv2MeterGroup& group : bundle.meters)
    {
        for (int n = 0; n < group.count; ++n)
        {
            ports.Meter(group.symbolPrefix + std::to_string(n),
                        group.namePrefix + std::to_string(n), group.minimum, group.maximum,
                        group.unitLabel);
        }
    }
    if (bundle.enabledPort)
    {
        ports.Enabled();
    }
    out << " .\n\n";
    // The stereo groups the audio ports name.
    for (const auto& [suffix, count, label] : {std::tuple{"-in", entry.audioInputs, "Input"},
                                               std::tuple{"-out", entry.audioOutputs, "Output"}})
    {
        if (count == 2)
        {
            out << Uri(entry.uri + suffix) << "\n    a pg:StereoGroup , pg:"
                << (std::string(suffix) == "-in" ? "InputGroup" : "OutputGroup") << " ;\n"
                << "    lv2:symbol " << Lv2TurtleString(std::string(suffix).substr(1)) << " ;\n"
                << "    lv2:name " << Lv2TurtleString(label) << " .\n\n";
        }
    }
}

} // namespace

std::string Lv2TurtleNumber(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    // "1e-07" is a valid Turtle double as it stands; a plain integer gets a point.
    if (text.find_first_of(".e") == std::string::npos)
    {
        text += ".0";
    }
    return text;
}

std::string Lv2TurtleString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        switch (c)
        {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string Lv2ManifestTurtle(const Lv2BundleDescription& bundle)
{
    std::ostringstream out;
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n";
    for (const Lv2PluginEntry& entry : bundle.plugins)
    {
        out << Uri(entry.uri) << "\n    a lv2:Plugin ;\n    lv2:binary " << Uri(bundle.binary)
            << " ;\n    rdfs:seeAlso " << Uri(bundle.pluginFile) << " .\n\n";
    }
    if (!bundle.uiUri.empty())
    {
        out << Uri(bundle.uiUri) << "\n    a ui:X11UI ;\n    ui:binary " << Uri(bundle.binary)
            << " ;\n    rdfs:seeAlso " << Uri(bundle.pluginFile) << " .\n";
    }
    for (const Lv2Preset& preset : bundle.presets)
    {
        out << "\n" << Uri(preset.uri) << "\n    a <http://lv2plug.in/ns/ext/presets#Preset> ;\n";
        out << "    lv2:appliesTo " << AppliesTo(bundle) << " ;\n";
        out << "    rdfs:seeAlso " << Uri(bundle.presetFile) << " .\n";
    }
    return out.str();
}

std::string Lv2PresetTurtle(const Lv2BundleDescription& bundle)
{
    std::ostringstream out;
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
           "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n";
    for (const Lv2Preset& preset : bundle.presets)
    {
        out << "\n" << Uri(preset.uri) << "\n    a pset:Preset ;\n";
        out << "    lv2:appliesTo " << AppliesTo(bundle) << " ;\n";
        out << "    rdfs:label " << Lv2TurtleString(preset.label);
        if (!preset.comment.empty())
        {
            out << " ;\n    rdfs:comment " << Lv2TurtleString(preset.comment);
        }
        for (std::size_t i = 0; i < preset.portValues.size(); ++i)
        {
            out << (i == 0 ? " ;\n    lv2:port [\n" : " , [\n");
            out << "        lv2:symbol " << Lv2TurtleString(preset.portValues[i].first) << " ;\n";
            out << "        pset:value " << Lv2TurtleNumber(preset.portValues[i].second)
                << "\n    ]";
        }
        if (!preset.state.empty())
        {
            out << " ;\n    state:state [\n        " << Uri(bundle.stateKeyUri) << " "
                << Lv2TurtleString(preset.state) << "\n    ]";
        }
        out << " .\n";
    }
    return out.str();
}

std::string Lv2PluginTurtle(const Lv2BundleDescription& bundle, const IPlugBase& plug)
{
    std::ostringstream out;
    out << kPrefixes;
    out << Uri(bundle.stateKeyUri) << "\n    a rdf:Property ;\n"
        << "    rdfs:label \"state document\" ;\n    rdfs:range atom:String .\n\n";
    if (bundle.inlineDisplay)
    {
        // The extension publishes no schema of its own: its terms are typed here.
        out << "idpy:interface\n    a lv2:ExtensionData .\n\n"
            << "idpy:queue_draw\n    a lv2:Feature .\n\n";
    }
    for (const Lv2PluginEntry& entry : bundle.plugins)
    {
        WritePlugin(out, bundle, entry, plug);
    }
    if (!bundle.uiUri.empty())
    {
        out << Uri(bundle.uiUri) << "\n    a ui:X11UI ;\n"
            << "    lv2:requiredFeature ui:idleInterface , "
               "<http://lv2plug.in/ns/ext/instance-access> ;\n"
            << "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:noUserResize ;\n"
            << "    lv2:extensionData ui:idleInterface .\n";
    }
    return out.str();
}
