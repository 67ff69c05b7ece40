#pragma once

// Shared by the commands that run a plug-in instance over settings and audio: creating the
// instance, restoring a state file, applying NAME=VALUE settings the way a host does, and
// playing an audio file through it block by block.

#include <memory>
#include <string>
#include <vector>

class VantorKestrune;

namespace kestrune::cli
{

struct SessionOptions
{
    std::string statePath;         // state document (JSON text) to restore first; may be empty
    std::vector<std::string> sets; // "NAME=VALUE", applied after the state, in order
    std::string inputPath;         // audio file to process; may be empty
    int blockFrames = 512;
};

// A fresh instance with the state, the settings and the audio applied. Null, with a one-line
// reason in `error`, when a file cannot be read or a setting is not understood.
std::unique_ptr<VantorKestrune> OpenSession(const SessionOptions& options, std::string& error);

// Restores a state document from a file through DeserializeState. The text must parse as JSON.
bool LoadStateFile(VantorKestrune& plug, const std::string& path, std::string& error);

// "NAME=VALUE": NAME a parameter name ("Gain 17", "Auto Eq"), VALUE a real value within the
// range or one of the parameter's display texts ("Continuous", "on"). Applied as a host change.
bool ApplySetting(VantorKestrune& plug, const std::string& setting, std::string& error);

// Plays the file through the plug-in as a host would: sample rate from the file, mono files in
// the 1-1 configuration, stereo in 2-2, blocks of blockFrames (the last one padded with
// silence so the processing is never reset mid-file). The output is discarded.
bool ProcessFile(VantorKestrune& plug, const std::string& path, int blockFrames,
                 std::string& error);

} // namespace kestrune::cli
