// kestrune demo [DIR]: synthesises material with a tilted spectrum, lets the static Auto EQ
// learn it, and writes the input, the result, the state document, the analysis and pictures of
// the editor and of the equaliser's response.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

#include <sndfile.h>

#include "apps/kestrune/Commands.h"
#include "apps/kestrune/ResponsePlot.h"
#include "engine/AudioPlugin.h"
#include "plugin/VantorKestrune.h"
#include "session/AudioSession.h"
#include "session/EditorPicture.h"

namespace
{

constexpr int kDemoSampleRateHz = 48000;
constexpr int kDemoSeconds = 10;

// Pink noise (equal energy per octave) from a fixed seed, so every run writes the same files.
class PinkNoise
{
public:
    explicit PinkNoise(unsigned seed) : seed_(seed) {}

    double Next()
    {
        seed_ = seed_ * 1664525u + 1013904223u;
        const double white = static_cast<double>(seed_ >> 8) / (1u << 24) * 2.0 - 1.0;
        // A sum of one-pole filters approximating a -3 dB per octave slope.
        b0_ = 0.99886 * b0_ + white * 0.0555179;
        b1_ = 0.99332 * b1_ + white * 0.0750759;
        b2_ = 0.96900 * b2_ + white * 0.1538520;
        b3_ = 0.86650 * b3_ + white * 0.3104856;
        b4_ = 0.55000 * b4_ + white * 0.5329522;
        b5_ = -0.7616 * b5_ - white * 0.0168980;
        const double pink = b0_ + b1_ + b2_ + b3_ + b4_ + b5_ + b6_ + white * 0.5362;
        b6_ = white * 0.115926;
        return pink * 0.11;
    }

private:
    unsigned seed_;
    double b0_ = 0, b1_ = 0, b2_ = 0, b3_ = 0, b4_ = 0, b5_ = 0, b6_ = 0;
};

// Pink noise on both channels (partly different), plus a loud low tone, a mid tone and a quiet
// high tone: the spectrum falls towards the top with peaks the Auto EQ should cut.
AudioData Synthesise()
{
    AudioData audio;
    audio.sampleRateHz = kDemoSampleRateHz;
    audio.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    const int frames = kDemoSampleRateHz * kDemoSeconds;
    audio.channels.assign(2, std::vector<double>(static_cast<std::size_t>(frames)));
    PinkNoise common(1);
    PinkNoise left(2);
    PinkNoise right(3);
    const double twoPi = 2.0 * std::numbers::pi;
    for (int j = 0; j < frames; ++j)
    {
        const double t = static_cast<double>(j) / kDemoSampleRateHz;
        const double tones = 0.20 * std::sin(twoPi * 80.0 * t) +
                             0.06 * std::sin(twoPi * 1000.0 * t) +
                             0.01 * std::sin(twoPi * 8000.0 * t);
        const double shared = common.Next();
        audio.channels[0][j] = 0.8 * shared + 0.2 * left.Next() + tones;
        audio.channels[1][j] = 0.8 * shared + 0.2 * right.Next() + tones;
    }
    return audio;
}

std::string Gains(const AudioPlugin& engine)
{
    std::string text;
    for (int band = 0; band < kBandCount; ++band)
    {
        char cell[48];
        std::snprintf(cell, sizeof(cell), "%s%7g Hz %+6.2f dB", band % 4 == 0 ? "\n  " : "   ",
                      AudioPlugin::BandFrequencyHz(band), engine.bandGains[band]);
        text += cell;
    }
    return text + "\n";
}

void RunDemo(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
    {
        throw ToolError("cannot create " + folder);
    }
    const std::filesystem::path dir(folder);
    AudioData audio = Synthesise();
    WriteAudioFile((dir / "input.wav").string(), audio);

    HostSession session(audio.sampleRateHz, 512);
    session.ApplySetting("Auto Eq=Static");
    session.ApplySetting("Auto EQ compensation=Default");
    session.Process(audio);
    WriteAudioFile((dir / "output.wav").string(), audio);
    WriteTextFile((dir / "state.json").string(), session.StateDocument());
    WriteTextFile((dir / "analysis.json").string(), session.Analysis(audio).dump(2) + "\n");
    kestrune::WriteEditorPicture(session.Plugin(), (dir / "editor.png").string(), {}, {});
    kestrune::cli::WriteResponsePicture(kestrune::cli::CollectResponseData(session.Plugin(), true),
                                        (dir / "response.png").string());

    std::printf("kestrune demo: %d s of stereo pink noise with tones at 80 Hz, 1 kHz and 8 kHz, "
                "%d Hz\n",
                kDemoSeconds, kDemoSampleRateHz);
    std::printf("Static Auto EQ (Default compensation, Eq Amount 50 %%) learned these gains:%s",
                Gains(session.Plugin().Engine()).c_str());
    std::printf("wrote %s: input.wav, output.wav, state.json, analysis.json, editor.png, "
                "response.png\n",
                folder.c_str());
}

} // namespace

void AddDemoCommand(CLI::App& app, CommandContext& context)
{
    auto folder = std::make_shared<std::string>("kestrune-demo");
    CLI::App* command = app.add_subcommand(
        "demo", "Synthesise ~10 s of material, run the static Auto EQ over it and write "
                "input.wav, output.wav, state.json, analysis.json, editor.png and response.png");
    command->add_option("DIR", *folder, "output folder (default ./kestrune-demo)");
    SetCommandWork(*command, context, [folder] { RunDemo(*folder); });
}
