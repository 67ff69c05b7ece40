#include "session/SessionOptions.h"

#include "plugin/FactoryPresets.h"

#include <CLI/CLI.hpp>

namespace
{

// "Flat, Loudness, "Voice presence", ..." from the preset table.
std::string PresetNames()
{
    std::string names;
    for (const FactoryPreset& preset : FactoryPresets())
    {
        const std::string name = preset.name;
        const bool quoted = name.find(' ') != std::string::npos;
        names += (names.empty() ? "" : ", ") + (quoted ? "\"" + name + "\"" : name);
    }
    return names;
}

} // namespace

void AddSessionOptions(CLI::App& command, SessionOptions& options, unsigned extras)
{
    command.add_option("--preset", options.preset,
                       "start from a factory preset (" + PresetNames() +
                           "; any case); --state and --set apply after it");
    command.add_option("--state", options.stateFile, "restore a saved state document first");
    command
        .add_option("--set", options.settings,
                    "set a parameter: \"NAME=VALUE\", NAME as listed by 'kestrune params' in any "
                    "case or as its LV2 symbol (gain_17), or a band by its frequency (1kHz, "
                    "1000Hz), VALUE a number or a value text (repeatable)")
        ->allow_extra_args(false);
    if ((extras & kSessionAutomation) != 0)
    {
        command
            .add_option("--automate", options.automations,
                        "change a parameter during the audio: \"NAME=VALUE@SECONDS\"; the block "
                        "is split there, so the change starts at that frame (repeatable)")
            ->allow_extra_args(false);
    }
    if ((extras & kSessionBlock) != 0)
    {
        command.add_option("--block", options.blockFrames, "frames per block (default 512)");
    }
}

void ApplySessionOptions(HostSession& session, const SessionOptions& options, int sampleRateHz)
{
    if (!options.preset.empty())
    {
        session.ApplyPreset(options.preset);
    }
    if (!options.stateFile.empty())
    {
        session.LoadStateFile(options.stateFile);
    }
    for (const std::string& setting : options.settings)
    {
        session.ApplySetting(setting);
    }
    for (const std::string& automation : options.automations)
    {
        session.AddAutomation(automation, sampleRateHz);
    }
}

std::unique_ptr<HostSession> SessionAfterInput(const SessionOptions& options,
                                               const std::string& input)
{
    constexpr int kRateWithoutInputHz = 44100;
    AudioData audio;
    if (!input.empty())
    {
        audio = ReadAudioFile(input);
    }
    const int sampleRateHz = input.empty() ? kRateWithoutInputHz : audio.sampleRateHz;
    auto session = std::make_unique<HostSession>(sampleRateHz, options.blockFrames);
    ApplySessionOptions(*session, options, sampleRateHz);
    if (!input.empty())
    {
        session->Process(audio);
    }
    return session;
}
