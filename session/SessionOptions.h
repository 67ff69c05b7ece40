#pragma once

#include "session/AudioSession.h"

#include <memory>
#include <string>
#include <vector>

namespace CLI
{
class App;
}

// How every program that runs the plug-in is told its starting point: a factory preset, a
// state document, parameter settings, automation (where the audio has a time line) and the
// block size. They apply in that order: --state and --set stand over the preset, --set over
// the state.
struct SessionOptions
{
    std::string preset;
    std::string stateFile;
    std::vector<std::string> settings;
    std::vector<std::string> automations;
    int blockFrames = 512;
};

// Options beyond --preset, --state and --set, for programs whose audio allows them.
enum SessionOptionExtras : unsigned
{
    kSessionBlock = 1,      // --block FRAMES: the program chooses its block size
    kSessionAutomation = 2, // --automate NAME=VALUE@SECONDS: the audio is a file with a time line
};

// Adds --preset, --state, --set and the extras asked for to a command.
void AddSessionOptions(CLI::App& command, SessionOptions& options, unsigned extras);

// Applies the preset, the state, the settings and the automation (at the audio's rate) to a
// session prepared with the options' block size.
void ApplySessionOptions(HostSession& session, const SessionOptions& options, int sampleRateHz);

// A session for a picture of the plug-in: the options applied at the input's rate and the input
// (when one is named) run through it, or at 44.1 kHz without one.
std::unique_ptr<HostSession> SessionAfterInput(const SessionOptions& options,
                                               const std::string& input);
