#pragma once

#include "framework/IPlugBase.h"

#include <functional>
#include <string>
#include <vector>

// Writes a bundle's Turtle description from a plug-in instance's own parameter table, so the
// ranges, defaults, units and value texts hosts see are always the ones the plug-in uses.

// One LV2 plug-in of the bundle: a channel configuration of the product.
struct Lv2PluginEntry
{
    std::string uri;
    std::string name;
    int audioInputs = 0;
    int audioOutputs = 0;
};

// A run of control output ports after the parameters: symbolPrefix + n, namePrefix + n.
struct Lv2MeterGroup
{
    std::string symbolPrefix;
    std::string namePrefix;
    int count = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string unitLabel; // "dB", "%" or "" as for parameters
};

// A preset for every plug-in of the bundle: the value of each control input port (by symbol)
// and the plug-in's own state text, which hosts hand back through the state interface.
struct Lv2Preset
{
    std::string uri;
    std::string label;
    std::string comment;
    std::vector<std::pair<std::string, double>> portValues;
    std::string state; // empty: port values only
};

struct Lv2BundleDescription
{
    std::string binary;     // file name of the shared object, e.g. VantorKestrune.so
    std::string pluginFile; // file name of the description, e.g. VantorKestrune.ttl
    std::string uiUri;      // empty: no UI
    std::string stateKeyUri;
    std::string maker;
    std::string description; // rdfs:comment of each plug-in; empty: none
    int version = 0;         // major << 16 | minor << 8 | revision
    std::vector<Lv2PluginEntry> plugins;
    std::vector<Lv2MeterGroup> meters;
    bool enabledPort = false; // an lv2:enabled port after the meters (Lv2PortLayout)
    // rdfs:comment of a parameter's port (by parameter index), where a generic UI or an
    // automation lane shows more than the name; empty: none.
    std::function<std::string(int)> parameterComment;
    // Parameters that act as momentary buttons (pprops:trigger): hosts show a button and set
    // the port back to its default after the run.
    std::vector<int> triggerParameters;
    // The plug-ins draw a picture for a host's mixer strip (the inline display extension).
    bool inlineDisplay = false;
    std::string presetFile; // file name of the presets, e.g. presets.ttl; empty: no presets
    std::vector<Lv2Preset> presets;
};

std::string Lv2ManifestTurtle(const Lv2BundleDescription& bundle);
// The plug-ins (ports from `plug`'s parameters) and the UI. Throws std::runtime_error when two
// ports would get the same symbol.
std::string Lv2PluginTurtle(const Lv2BundleDescription& bundle, const IPlugBase& plug);
// The presets of the bundle, for presetFile.
std::string Lv2PresetTurtle(const Lv2BundleDescription& bundle);
// A number as a Turtle literal that reads back to the same value: integers as "3", everything
// else as a decimal ("-15.0", "0.25").
std::string Lv2TurtleNumber(double value);
// A string as a Turtle literal with quotes and escapes.
std::string Lv2TurtleString(const std::string& text);
