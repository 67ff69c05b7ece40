#pragma once

#include <cstdint>
#include <string>

// How a plug-in's LV2 ports are numbered. The Turtle generator and the adapter both use this,
// so the description and the running plug-in always agree:
//   audio inputs, audio outputs, one control input per parameter in index order, the control
//   outputs (meters) the product adds, then, where the plug-in has one, the host's bypass
//   switch (lv2:enabled), last so that the other ports keep their numbers.
struct Lv2PortLayout
{
    int audioInputs = 0;
    int audioOutputs = 0;
    int parameters = 0;
    int meters = 0;
    bool enabledPort = false;

    int FirstAudioOutput() const noexcept { return audioInputs; }
    int FirstParameter() const noexcept { return audioInputs + audioOutputs; }
    int FirstMeter() const noexcept { return FirstParameter() + parameters; }
    // The lv2:enabled port, or -1 without one.
    int EnabledPort() const noexcept { return enabledPort ? FirstMeter() + meters : -1; }

    // The parameter index of a port, or -1 when the port is not a parameter's control input.
    int ParameterOfPort(uint32_t port) const noexcept
    {
        const long p = static_cast<long>(port) - FirstParameter();
        return p >= 0 && p < parameters ? static_cast<int>(p) : -1;
    }
};

// The LV2 symbol for a parameter name: lower case, every run of characters other than ASCII
// letters and digits turned into one underscore ("Analyzer dB per led" -> analyzer_db_per_led).
// A symbol must not start with a digit, so such a name gets a leading underscore; an empty name
// gives "_".
std::string Lv2PortSymbol(const std::string& name);

// The symbols of the audio ports: "in"/"out" for one channel, "in_l"/"in_r"/... for two,
// "in_1", "in_2", ... for more.
std::string Lv2AudioPortSymbol(bool input, int channel, int channels);
// Their names: "Input", "Input L", "Input 1", ...
std::string Lv2AudioPortName(bool input, int channel, int channels);
