// The built bundle as an LV2 host sees it: loaded from its folder by URI through lilv, its
// ports, its sound compared sample for sample with `kestrune process` for the same settings,
// and its state saved and restored as a host preset.

#include "lv2/host/LilvHost.h"
#include "tests/support/CommandRunner.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sndfile.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const char* const kMonoUri = "https://vantor.audio/plugins/kestrune#mono";
const char* const kStereoUri = "https://vantor.audio/plugins/kestrune#stereo";
constexpr int kSampleRate = 48000;
constexpr uint32_t kBlock = 512;
constexpr uint32_t kFrames = kBlock * 60;

// Interleaved audio.
struct Audio
{
    int channels = 0;
    std::vector<float> samples;
    std::size_t Frames() const { return samples.size() / static_cast<std::size_t>(channels); }
};

Audio MakeProgramme(int channels)
{
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
    Audio audio{channels, std::vector<float>(kFrames * static_cast<std::size_t>(channels))};
    for (std::size_t i = 0; i < kFrames; ++i)
    {
        const double t = static_cast<double>(i) / kSampleRate;
        for (int c = 0; c < channels; ++c)
        {
            const double tone = 0.3 * std::sin(2.0 * M_PI * (c == 0 ? 1000.0 : 125.0) * t);
            audio.samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<float>(tone) + noise(generator);
        }
    }
    return audio;
}

void WriteWav(const fs::path& path, const Audio& audio)
{
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, audio.samples.data(), static_cast<sf_count_t>(audio.Frames()));
    sf_close(file);
}

Audio ReadWav(const fs::path& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        return {};
    }
    Audio audio{info.channels, std::vector<float>(static_cast<std::size_t>(info.frames) *
                                                  static_cast<std::size_t>(info.channels))};
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

// Runs interleaved audio through an instance in blocks, as a host does.
Audio RunThrough(lv2host::Instance& plug, const Audio& input)
{
    const auto channels = static_cast<std::size_t>(input.channels);
    Audio output{input.channels, std::vector<float>(input.samples.size())};
    std::vector<std::vector<float>> in(channels, std::vector<float>(kBlock));
    std::vector<std::vector<float>> out(channels, std::vector<float>(kBlock));
    std::vector<const float*> inPtrs;
    std::vector<float*> outPtrs;
    for (std::size_t c = 0; c < channels; ++c)
    {
        inPtrs.push_back(in[c].data());
        outPtrs.push_back(out[c].data());
    }
    for (std::size_t start = 0; start < input.Frames(); start += kBlock)
    {
        const std::size_t frames = std::min<std::size_t>(kBlock, input.Frames() - start);
        for (std::size_t i = 0; i < frames; ++i)
        {
            for (std::size_t c = 0; c < channels; ++c)
            {
                in[c][i] = input.samples[(start + i) * channels + c];
            }
        }
        plug.Run(inPtrs.data(), outPtrs.data(), static_cast<uint32_t>(frames));
        for (std::size_t i = 0; i < frames; ++i)
        {
            for (std::size_t c = 0; c < channels; ++c)
            {
                output.samples[(start + i) * channels + c] = out[c][i];
            }
        }
    }
    return output;
}

struct Setting
{
    const char* name;   // parameter name, as `kestrune process --set` takes it
    const char* symbol; // its port symbol
    float value;
};

struct SoundCase
{
    const char* label;
    std::vector<Setting> settings; // in parameter index order
};

class BundleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { world_ = new lv2host::World(KESTRUNE_LV2_BUNDLE_DIR); }
    static void TearDownTestSuite()
    {
        delete world_;
        world_ = nullptr;
    }

    static lv2host::World& World() { return *world_; }

    static lv2host::World* world_;
    TemporaryFolder folder_{"kestrune-lv2-test"};
    const fs::path& dir_ = folder_.Path();
};

lv2host::World* BundleTest::world_ = nullptr;

TEST_F(BundleTest, BothPlugInsHaveTheirPortsInOrder)
{
    const struct
    {
        const char* uri;
        std::vector<std::string> audio;
    } plugins[] = {
        {kMonoUri, {"in", "out"}},
        {kStereoUri, {"in_l", "in_r", "out_l", "out_r"}},
    };
    for (const auto& p : plugins)
    {
        lv2host::Instance plug(World(), p.uri, kSampleRate, kBlock);
        const auto& ports = plug.Ports();
        const std::size_t first = p.audio.size();
        ASSERT_EQ(ports.size(), first + 46 + 31 + 31 + 1) << p.uri;
        EXPECT_EQ(ports.back().symbol, "enabled") << "last, so the other ports keep their numbers";
        for (std::size_t i = 0; i < first; ++i)
        {
            EXPECT_EQ(ports[i].symbol, p.audio[i]);
        }
        const std::pair<std::size_t, const char*> named[] = {
            {0, "gain_0"},          {30, "gain_30"},   {31, "analyzer_db_per_led"},
            {37, "auto_eq"},        {43, "eq_amount"}, {45, "auto_eq_compensation"},
            {46, "applied_gain_0"}, {77, "level_0"},   {107, "level_30"},
        };
        for (const auto& [offset, symbol] : named)
        {
            EXPECT_EQ(ports[first + offset].symbol, symbol) << p.uri;
        }
        const lv2host::PortInfo& gain = ports[first + 17];
        EXPECT_EQ(gain.name, "Gain 17");
        EXPECT_EQ(gain.kind, lv2host::PortKind::ControlIn);
        EXPECT_FLOAT_EQ(gain.minimum, -15.0f);
        EXPECT_FLOAT_EQ(gain.maximum, 15.0f);
        const lv2host::PortInfo& dbPerLed = ports[first + 31];
        EXPECT_EQ(dbPerLed.name, "Analyzer dB per led");
        EXPECT_FLOAT_EQ(dbPerLed.defaultValue, 3.0f);
        const lv2host::PortInfo& amount = ports[first + 43];
        EXPECT_FLOAT_EQ(amount.defaultValue, 50.0f);
        EXPECT_FLOAT_EQ(amount.maximum, 100.0f);
        EXPECT_EQ(ports[first + 46].kind, lv2host::PortKind::ControlOut);
    }
}

class SoundTest : public BundleTest, public ::testing::WithParamInterface<SoundCase>
{
};

// The same settings through `kestrune process` and through the plug-in in the lilv host give
// the same samples, in mono and in stereo.
TEST_P(SoundTest, MatchesTheCommandLineTool)
{
    const std::string tool = KESTRUNE_CLI_PATH;
    if (tool.empty() || !fs::exists(tool))
    {
        GTEST_SKIP() << "the kestrune tool is not built";
    }
    const SoundCase& sound = GetParam();
    for (const int channels : {1, 2})
    {
        SCOPED_TRACE(channels == 1 ? "mono" : "stereo");
        const Audio input = MakeProgramme(channels);
        const fs::path in = dir_ / "in.wav";
        const fs::path out = dir_ / "out.wav";
        WriteWav(in, input);
        std::string command = "'" + tool + "' process '" + in.string() + "' '" + out.string() +
                              "' --block " + std::to_string(kBlock);
        for (const Setting& s : sound.settings)
        {
            char value[32];
            std::snprintf(value, sizeof value, "%g", static_cast<double>(s.value));
            command += std::string(" --set '") + s.name + "=" + value + "'";
        }
        ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
        const Audio expected = ReadWav(out);
        ASSERT_EQ(expected.samples.size(), input.samples.size());

        lv2host::Instance plug(World(), channels == 1 ? kMonoUri : kStereoUri, kSampleRate, kBlock);
        for (const Setting& s : sound.settings)
        {
            plug.SetControl(s.symbol, s.value);
        }
        const Audio actual = RunThrough(plug, input);
        double worst = 0.0;
        for (std::size_t i = 0; i < actual.samples.size(); ++i)
        {
            worst = std::max(worst, std::fabs(static_cast<double>(actual.samples[i]) -
                                              static_cast<double>(expected.samples[i])));
        }
        EXPECT_LE(worst, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, SoundTest,
                         ::testing::Values(SoundCase{"defaults", {}},
                                           SoundCase{"bands_and_gains",
                                                     {{"Gain 3", "gain_3", 6.0f},
                                                      {"Gain 17", "gain_17", -4.5f},
                                                      {"Gain 30", "gain_30", 12.25f},
                                                      {"Input", "input", 3.0f},
                                                      {"Output", "output", -2.0f}}},
                                           SoundCase{"eq_amount_rescales",
                                                     {{"Gain 0", "gain_0", 9.0f},
                                                      {"Gain 10", "gain_10", -7.0f},
                                                      {"Eq Amount", "eq_amount", 80.0f}}},
                                           SoundCase{"continuous_auto_eq",
                                                     {{"Auto Eq", "auto_eq", 2.0f}}}),
                         [](const ::testing::TestParamInfo<SoundCase>& param)
                         { return std::string(param.param.label); });

bool ToolInstalled(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

double LargestDifference(const Audio& a, const Audio& b)
{
    if (a.samples.size() != b.samples.size())
    {
        return INFINITY;
    }
    double worst = 0.0;
    for (std::size_t i = 0; i < a.samples.size(); ++i)
    {
        worst = std::max(worst, std::fabs(static_cast<double>(a.samples[i]) -
                                          static_cast<double>(b.samples[i])));
    }
    return worst;
}

// The environment a host that is not ours runs in: the bundle's folder on LV2_PATH and, for a
// sanitized bundle, the sanitizer's runtime loaded first (the host's own leaks are not ours to
// report).
std::string HostCommandPrefix()
{
    const std::string runtime = KESTRUNE_SANITIZER_RUNTIME;
    return "LV2_PATH='" + fs::path(KESTRUNE_LV2_BUNDLE_DIR).parent_path().string() + "' " +
           (runtime.empty() ? std::string()
                            : "LD_PRELOAD='" + runtime +
                                  "' ASAN_OPTIONS=detect_leaks=0 TSAN_OPTIONS=exitcode=0 ");
}

// lv2apply (lilv's tool) and ecasound load the plug-in without passing any feature; both give
// the samples `kestrune process` gives for the same settings. ecasound sets every control port
// it is not given to 0, so it gets every value up to lv2:enabled, the last port, at 1.
TEST_F(BundleTest, HostsThatPassNoFeaturesSoundLikeTheCommandLineTool)
{
    const std::string tool = KESTRUNE_CLI_PATH;
    if (tool.empty() || !fs::exists(tool))
    {
        GTEST_SKIP() << "the kestrune tool is not built";
    }
    const fs::path in = dir_ / "in.wav";
    WriteWav(in, MakeProgramme(2));
    const std::string bundles = HostCommandPrefix();
    const fs::path expected = dir_ / "kestrune.wav";
    ASSERT_EQ(std::system(("'" + tool + "' process '" + in.string() + "' '" + expected.string() +
                           "' --set 'Gain 3=6' --set 'Gain 17=-4.5' --set 'Output=-2'")
                              .c_str()),
              0);
    const Audio reference = ReadWav(expected);
    ASSERT_FALSE(reference.samples.empty());

    ASSERT_TRUE(ToolInstalled("lv2apply")) << "scripts/setup installs lilv-utils";
    const fs::path applied = dir_ / "lv2apply.wav";
    ASSERT_EQ(std::system((bundles + "lv2apply -i '" + in.string() + "' -o '" + applied.string() +
                           "' -c gain_3 6 -c gain_17 -4.5 -c output -2 '" + kStereoUri + "'")
                              .c_str()),
              0);
    EXPECT_EQ(LargestDifference(ReadWav(applied), reference), 0.0);

    ASSERT_TRUE(ToolInstalled("ecasound")) << "scripts/setup installs ecasound";
    std::string values;
    for (int i = 0; i < 46; ++i)
    {
        const char* value = i == 3    ? "6"
                            : i == 17 ? "-4.5"
                            : i == 31 ? "3"
                            : i == 32 ? "1"
                            : i == 34 ? "1"
                            : i == 42 ? "-2"
                            : i == 43 ? "50"
                                      : "0";
        values += std::string(",") + value;
    }
    // ecasound counts the control outputs among the values too: 62 meters, then lv2:enabled.
    for (int i = 0; i < 62; ++i)
    {
        values += ",0";
    }
    values += ",1";
    const fs::path chained = dir_ / "ecasound.wav";
    ASSERT_EQ(std::system((bundles + "ecasound -q -i '" + in.string() + "' -f:f32_le,2," +
                           std::to_string(kSampleRate) + " -o '" + chained.string() +
                           "' -elv2:" + kStereoUri + values + " >/dev/null 2>&1 </dev/null")
                              .c_str()),
              0);
    EXPECT_EQ(LargestDifference(ReadWav(chained), reference), 0.0);
}

// lv2file, a file host no one here wrote: its output with the same port values is what
// `kestrune process` writes, and it lists and loads the factory presets.
TEST_F(BundleTest, Lv2fileSoundsLikeTheCommandLineToolAndLoadsThePresets)
{
    const std::string tool = KESTRUNE_CLI_PATH;
    if (tool.empty() || !fs::exists(tool))
    {
        GTEST_SKIP() << "the kestrune tool is not built";
    }
    ASSERT_TRUE(ToolInstalled("lv2file")) << "scripts/setup installs lv2file";
    const fs::path in = dir_ / "in.wav";
    WriteWav(in, MakeProgramme(2));
    const std::string host = HostCommandPrefix() + "lv2file -i '" + in.string() + "' -o '";
    const fs::path expected = dir_ / "kestrune.wav";
    ASSERT_EQ(std::system(("'" + tool + "' process '" + in.string() + "' '" + expected.string() +
                           "' --set 'Gain 3=6' --set 'Gain 17=-4.5' --set 'Output=-2' --quiet")
                              .c_str()),
              0);
    const fs::path ported = dir_ / "lv2file.wav";
    ASSERT_EQ(std::system((host + ported.string() + "' -p gain_3:6 -p gain_17:-4.5 -p output:-2 '" +
                           kStereoUri + "' >/dev/null 2>&1")
                              .c_str()),
              0);
    EXPECT_EQ(LargestDifference(ReadWav(ported), ReadWav(expected)), 0.0);

    const std::string listing =
        RunCommand(HostCommandPrefix() + "lv2file -L '" + kStereoUri + "' 2>/dev/null").output;
    for (const char* name :
         {"Flat", "Loudness", "Voice presence", "Low cut", "High shelf softening",
          "Auto EQ Default", "Auto EQ None", "Auto EQ Custom"})
    {
        EXPECT_NE(listing.find(std::string("Preset: ") + name + "\n"), std::string::npos) << name;
    }
    const fs::path flat = dir_ / "flat.wav";
    const fs::path loud = dir_ / "loud.wav";
    ASSERT_EQ(
        std::system(
            (host + flat.string() + "' -P Flat '" + kStereoUri + "' >/dev/null 2>&1").c_str()),
        0);
    ASSERT_EQ(
        std::system(
            (host + loud.string() + "' -P Loudness '" + kStereoUri + "' >/dev/null 2>&1").c_str()),
        0);
    EXPECT_EQ(LargestDifference(ReadWav(flat), MakeProgramme(2)), 0.0) << "Flat is the input";
    EXPECT_GT(LargestDifference(ReadWav(loud), MakeProgramme(2)), 0.05);
}

// What generic UIs and automation lanes read besides the names: each band gain's comment tells
// its frequency; the three resets are momentary buttons (triggers), the other switches toggles.
TEST_F(BundleTest, PortsDescribeTheirBandAndTheMomentaryResets)
{
    LilvWorld* world = World().Get();
    const LilvPlugin* plugin = World().FindPlugin(kStereoUri);
    ASSERT_NE(plugin, nullptr);
    LilvNode* comment = lilv_new_uri(world, "http://www.w3.org/2000/01/rdf-schema#comment");
    LilvNode* trigger = lilv_new_uri(world, "http://lv2plug.in/ns/ext/port-props#trigger");
    auto portNamed = [&](const char* symbol)
    {
        LilvNode* node = lilv_new_string(world, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, node);
        lilv_node_free(node);
        return port;
    };
    auto commentOf = [&](const char* symbol)
    {
        LilvNodes* nodes = lilv_port_get_value(plugin, portNamed(symbol), comment);
        std::string text = nodes ? lilv_node_as_string(lilv_nodes_get_first(nodes)) : "";
        lilv_nodes_free(nodes);
        return text;
    };
    EXPECT_EQ(commentOf("gain_17"), "Band at 1000 Hz (third-octave band shelf)");
    EXPECT_EQ(commentOf("gain_15"), "Band at 635 Hz (third-octave band shelf)");
    EXPECT_EQ(commentOf("eq_amount"), "");
    for (const char* symbol : {"reset_analyzer", "reset_auto_eq", "reset_eq"})
        EXPECT_TRUE(lilv_port_has_property(plugin, portNamed(symbol), trigger)) << symbol;
    for (const char* symbol : {"bypass_eq", "enable_peak_display", "gain_0"})
        EXPECT_FALSE(lilv_port_has_property(plugin, portNamed(symbol), trigger)) << symbol;
    lilv_node_free(comment);
    lilv_node_free(trigger);
}

// The factory presets as a host loads them (lilv's state restore: the plug-in's state, then
// the port values): listed for both plug-ins, and each gives its gains exactly, whatever was
// set before.
// Loads a factory preset as jalv does: the preset's data read on demand, then restored with its
// port values.
void LoadFactoryPreset(lv2host::World& host, lv2host::Instance& plug, const std::string& name)
{
    LilvWorld* world = host.Get();
    LilvNode* uri =
        lilv_new_uri(world, ("https://vantor.audio/plugins/kestrune#preset-" + name).c_str());
    lilv_world_load_resource(world, uri);
    LilvState* state = lilv_state_new_from_world(world, host.Urids().MapFeature(), uri);
    lilv_node_free(uri);
    ASSERT_NE(state, nullptr) << name;
    auto setPort = [](const char* symbol, void* data, const void* value, uint32_t, uint32_t) {
        static_cast<lv2host::Instance*>(data)->SetControl(symbol,
                                                          *static_cast<const float*>(value));
    };
    const LV2_Feature map{LV2_URID__map, host.Urids().MapFeature()};
    const LV2_Feature* features[] = {&map, nullptr};
    lilv_state_restore(state, plug.Raw(), setPort, &plug, 0, features);
    lilv_state_free(state);
}

TEST_F(BundleTest, FactoryPresetsLoadAsHostsLoadThem)
{
    LilvWorld* world = World().Get();
    const LilvPlugin* plugin = World().FindPlugin(kStereoUri);
    ASSERT_NE(plugin, nullptr);
    LilvNode* presetClass = lilv_new_uri(world, "http://lv2plug.in/ns/ext/presets#Preset");
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    EXPECT_EQ(lilv_nodes_size(presets), 8u);
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);

    auto load = [](lv2host::Instance& plug, const std::string& name)
    { LoadFactoryPreset(World(), plug, name); };
    const Audio programme = MakeProgramme(2);
    lv2host::Instance plug(World(), kStereoUri, kSampleRate, kBlock);
    plug.SetControl("eq_amount", 80.0f);
    plug.SetControl("gain_3", -7.0f);
    RunThrough(plug, programme);
    load(plug, "loudness");
    RunThrough(plug, Audio{2, std::vector<float>(2 * kBlock, 0.0f)});
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_0"), 6.0f);
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_3"), 5.0f);
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_30"), 4.0f);
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_15"), 0.0f);

    load(plug, "auto-eq-default");
    RunThrough(plug, programme);
    EXPECT_FLOAT_EQ(plug.Control("auto_eq"), 1.0f);
    EXPECT_NE(plug.Control("applied_gain_17"), 0.0f) << "the Auto EQ learned from the audio";
}

// The host's bypass switch: with lv2:enabled at 0 the input passes through untouched, whatever
// the settings; back at 1 the plug-in processes again.
TEST_F(BundleTest, TheEnabledPortBypassesThePlugIn)
{
    lv2host::Instance plug(World(), kStereoUri, kSampleRate, kBlock);
    plug.SetControl("gain_17", 12.0f);
    plug.SetControl("input", -6.0f);
    const Audio input = MakeProgramme(2);
    plug.SetControl("enabled", 0.0f);
    const Audio bypassed = RunThrough(plug, input);
    EXPECT_EQ(bypassed.samples, input.samples);
    plug.SetControl("enabled", 1.0f);
    const Audio processed = RunThrough(plug, input);
    EXPECT_GT(LargestDifference(processed, input), 0.05);
}

TEST_F(BundleTest, MetersReportAppliedGainsAndBandLevels)
{
    lv2host::Instance plug(World(), kStereoUri, kSampleRate, kBlock);
    plug.SetControl("gain_20", 7.5f);
    plug.SetControl("gain_21", 40.0f);
    RunThrough(plug, MakeProgramme(2));
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_20"), 7.5f);
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_21"), 15.0f) << "clamped as the parameter is";
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_0"), 0.0f);
    // The 1 kHz tone (band 17) is far above the floor; every level lies in the port's range.
    EXPECT_GT(plug.Control("level_17"), -40.0f);
    for (int band = 0; band < 31; ++band)
    {
        const float level = plug.Control("level_" + std::to_string(band));
        EXPECT_GE(level, -120.0f);
        EXPECT_LE(level, 24.0f);
    }
}

Audio Sine(double hz, double amplitude, std::size_t frames)
{
    Audio audio{1, std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i)
    {
        audio.samples[i] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * i / kSampleRate));
    }
    return audio;
}

struct Pixel
{
    int red, green, blue, alpha;
};

Pixel PixelAt(const lv2host::InlinePicture& picture, int x, int y)
{
    const uint32_t word = picture.At(x, y);
    return {static_cast<int>((word >> 16) & 255u), static_cast<int>((word >> 8) & 255u),
            static_cast<int>(word & 255u), static_cast<int>(word >> 24)};
}

// The curve's colour (205, 255, 67), where it is drawn at least half covered.
bool OnCurve(const Pixel& p)
{
    return p.green > 180 && p.red > 120 && p.blue < 120;
}

// The highest point of the curve: its column and row.
std::pair<int, int> CurvePeak(const lv2host::InlinePicture& picture)
{
    for (int y = 0; y < picture.height; ++y)
    {
        for (int x = 0; x < picture.width; ++x)
        {
            if (OnCurve(PixelAt(picture, x, y)))
            {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

// Ardour's inline display through a host that offers it: the plug-in asks for a picture at most
// 30 times a second, and only when what it shows changed; the picture is the curve (+-18 dB over
// the height, 20 Hz to 20 kHz on a log axis) over one bar per band (-72 to 0 dBFS).
TEST_F(BundleTest, InlineDisplayShowsTheCurveOverTheBandLevels)
{
    lv2host::Instance plug(World(), kMonoUri, kSampleRate, kBlock, {.inlineDisplay = true});
    plug.SetControl("gain_10", 12.0f); // 200 Hz
    RunThrough(plug, Sine(1000.0, 0.0, kSampleRate));
    EXPECT_EQ(plug.QueuedDraws(), 1) << "the gain once; silence changes nothing after it";

    RunThrough(plug, Sine(1000.0, 0.5, kSampleRate));
    const int draws = plug.QueuedDraws() - 1; // one picture per 1600 frames with the tone
    EXPECT_GE(draws, 29);
    EXPECT_LE(draws, 30) << "never more often than the editor's 30 frames a second";

    const auto picture = plug.RenderInlineDisplay(160, 100);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, 160);
    ASSERT_EQ(picture->height, 80) << "half as high as wide";
    EXPECT_EQ(picture->At(0, 0), 0xff2e2e2eu) << "the editor's background, opaque";
    // +12 dB at 200 Hz (a third of the way along the axis) is two thirds up the upper half.
    const auto [peakX, peakY] = CurvePeak(*picture);
    EXPECT_NEAR(peakX, 160 / 3, 3);
    EXPECT_NEAR(peakY, 40 - 12.0 / 18.0 * 38.5, 1.5);
    // 0 dB far from the band: the middle row.
    const int flatX = 160 / 12; // about 35 Hz
    EXPECT_TRUE(OnCurve(PixelAt(*picture, flatX, 39)) || OnCurve(PixelAt(*picture, flatX, 40)));
    // The tone's band fills most of the height, the bands far below it stay empty.
    const int toneX = static_cast<int>(160 * std::log(1000.0 / 20.0) / std::log(1000.0));
    const Pixel toneBar = PixelAt(*picture, toneX, 79);
    EXPECT_NEAR(toneBar.red, 77, 1);
    EXPECT_NEAR(toneBar.green, 112, 1);
    EXPECT_NEAR(toneBar.blue, 154, 1);
    EXPECT_EQ(picture->At(flatX, 79), 0xff2e2e2eu);

    // "Bypass EQ" flattens the curve, drawn dimmed.
    plug.SetControl("bypass_eq", 1.0f);
    RunThrough(plug, Sine(1000.0, 0.5, 4 * kBlock)); // one picture's worth of frames
    const auto bypassed = plug.RenderInlineDisplay(160, 100);
    ASSERT_TRUE(bypassed.has_value());
    EXPECT_EQ(bypassed->At(peakX, peakY), 0xff2e2e2eu);
    const Pixel dimmed = PixelAt(*bypassed, peakX, 40);
    EXPECT_GT(dimmed.green, dimmed.blue + 40);
    EXPECT_LT(dimmed.green, 180);

    // The host's height limit holds; a strip too small for a picture gets none.
    const auto low = plug.RenderInlineDisplay(160, 30);
    ASSERT_TRUE(low.has_value());
    EXPECT_EQ(low->height, 30);
    EXPECT_FALSE(plug.RenderInlineDisplay(4, 4).has_value());
}

TEST_F(BundleTest, InlineDisplayRendersForHostsWithoutQueueDraw)
{
    lv2host::Instance plug(World(), kStereoUri, kSampleRate, kBlock);
    plug.SetControl("gain_10", -12.0f);
    RunThrough(plug, MakeProgramme(2));
    EXPECT_EQ(plug.QueuedDraws(), 0);
    const auto picture = plug.RenderInlineDisplay(200, 400);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->height, 100);
}

// A preset holding only a state document as the plug-in writes it, with a custom compensation
// curve for bands 0 and 1, and no port values.
std::string CraftedPreset(double autoEqMode)
{
    nlohmann::json params = nlohmann::json::array();
    const std::pair<const char*, double> values[] = {{"Gain 5", -4.5},
                                                     {"Eq Amount", 80.0},
                                                     {"Auto Eq", autoEqMode},
                                                     {"Auto EQ compensation", 2.0}};
    for (const auto& [name, value] : values)
    {
        params.push_back({{"name", name}, {"value", value}});
    }
    nlohmann::json curve = nlohmann::json::array();
    for (int band = 0; band < 30; ++band)
    {
        curve.push_back(band == 0 ? 1.5 : band == 1 ? -2.25 : 0.0);
    }
    const nlohmann::json doc = {{"eqcomp", curve}, {"params", params}, {"version", "1.2.5"}};
    // A Turtle long string literal takes the JSON text without escapes.
    return std::string("@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                       "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                       "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                       "<urn:kestrune:crafted> a pset:Preset ;\n"
                       "    lv2:appliesTo <") +
           kStereoUri +
           "> ;\n"
           "    state:state [ <https://vantor.audio/plugins/kestrune#state> \"\"\"" +
           doc.dump() + "\"\"\" ] .\n";
}

TEST_F(BundleTest, ARestoredStateStandsOverThePortsValues)
{
    lv2host::Instance plug(World(), kStereoUri, kSampleRate, kBlock);
    plug.SetControl("gain_5", 3.0f);
    RunThrough(plug, Audio{2, std::vector<float>(2 * kBlock, 0.0f)});
    ASSERT_FLOAT_EQ(plug.Control("applied_gain_5"), 3.0f);
    // The preset carries no port values: the ports keep theirs, the restored state applies.
    plug.RestoreState(CraftedPreset(0.0));
    RunThrough(plug, Audio{2, std::vector<float>(2 * kBlock, 0.0f)});
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_5"), -4.5f);
    // A later change of the port is a host change again.
    plug.SetControl("gain_5", 2.0f);
    RunThrough(plug, Audio{2, std::vector<float>(2 * kBlock, 0.0f)});
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_5"), 2.0f);
}

TEST_F(BundleTest, HostPresetsRoundTripWithTheCustomCurve)
{
    lv2host::Instance first(World(), kStereoUri, kSampleRate, kBlock);
    first.Activate();
    first.RestoreState(CraftedPreset(2.0));
    RunThrough(first, MakeProgramme(2));
    const std::string saved = first.SaveState();
    EXPECT_NE(saved.find("1.5,-2.25,0.0"), std::string::npos) << saved;

    lv2host::Instance second(World(), kStereoUri, kSampleRate, kBlock);
    second.Activate();
    second.RestoreState(saved);
    EXPECT_EQ(second.SaveState(), saved);
}

} // namespace
