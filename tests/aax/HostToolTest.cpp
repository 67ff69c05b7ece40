// kestrune-aax-host as a user runs it with bad input: every setting, automation and state file
// is checked before the first block, state files are read bounded, and outputs never destroy
// the input or leave a cut file. Device nodes are the test's own, made in its folder.

#include "tests/support/CommandRunner.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

struct HostRun
{
    int exitStatus = -1;
    std::string output; // standard error (standard output carries the adapter's trace lines)
};

HostRun RunHost(const std::string& arguments)
{
    const CommandResult run = RunCommand(std::string("'") + KESTRUNE_AAX_HOST_PATH + "' --quiet " +
                                         arguments + " 2>&1 >/dev/null");
    return {run.exitStatus, run.output};
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class HostTool : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Two seconds of noise and a sweep, float WAV.
    std::string WriteSignal(const std::string& name, int rateHz)
    {
        SF_INFO info{};
        info.samplerate = rateHz;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        const std::string path = Path(name);
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr);
        std::vector<float> samples;
        unsigned seed = 7;
        double phase = 0.0;
        for (int j = 0; j < 2 * rateHz; ++j)
        {
            seed = seed * 1664525u + 1013904223u;
            const double noise = (static_cast<double>(seed >> 8) / (1 << 24) - 0.5) * 0.4;
            phase += 2.0 * M_PI * (50.0 + 0.4 * rateHz * j / (2.0 * rateHz)) / rateHz;
            samples.push_back(static_cast<float>(noise + 0.3 * std::sin(phase)));
            samples.push_back(static_cast<float>(noise - 0.3 * std::sin(phase)));
        }
        sf_writef_float(file, samples.data(), 2 * rateHz);
        sf_close(file);
        return path;
    }

    static void ExpectOneErrorLine(const HostRun& run, const std::string& arguments)
    {
        EXPECT_EQ(run.exitStatus, 1) << arguments << "\n" << run.output;
        EXPECT_EQ(run.output.rfind("kestrune-aax-host: ", 0), 0u) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }

    TemporaryFolder folder_{"kestrune-aax-host"};
    const fs::path& dir_ = folder_.Path();
};

TEST_F(HostTool, BadSettingsAndStatesAreRefusedBeforeAnythingIsWritten)
{
    const std::string in = WriteSignal("in.wav", 48000);
    const std::string inputBytes = ReadAll(in);
    std::ofstream(Path("garbage.json")) << "\x01\x02 not json";
    std::ofstream(Path("empty-object.json")) << "{}";
    std::ofstream(Path("deep.json"))
        << "{\"params\":" << std::string(20000, '[') << std::string(20000, ']') << "}";
    const bool zeroDevice = mknod(Path("zero").c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0;
    fs::create_hard_link(in, dir_ / "hard.wav");
    fs::create_symlink("in.wav", dir_ / "soft.wav");
    const std::string out = Path("out.wav");
    std::vector<std::string> cases = {
        "'" + in + "' '" + in + "'",
        "'" + in + "' '" + Path("hard.wav") + "'",
        "'" + in + "' '" + Path("soft.wav") + "'",
        "'" + in + "' '" + out + "' --automate 'Output=abc@1'",
        "'" + in + "' '" + out + "' --automate 'Output=-6@nan'",
        "'" + in + "' '" + out + "' --automate 'Output=-6@-1'",
        "'" + in + "' '" + out + "' --automate 'Nothing=1@1'",
        "'" + in + "' '" + out + "' --set 'Gain 3=1e999'",
        "'" + in + "' '" + out + "' --state '" + Path("garbage.json") + "'",
        "'" + in + "' '" + out + "' --state '" + Path("empty-object.json") + "'",
        "'" + in + "' '" + out + "' --state '" + Path("deep.json") + "'",
        "'" + in + "' '" + out + "' --state '" + Path("missing.json") + "'",
        "'" + in + "' '" + out + "' --state '" + dir_.string() + "'",
    };
    if (zeroDevice)
    {
        cases.push_back("'" + in + "' '" + out + "' --state '" + Path("zero") + "'");
    }
    for (const std::string& arguments : cases)
    {
        ExpectOneErrorLine(RunHost(arguments), arguments);
        EXPECT_FALSE(fs::exists(out)) << arguments;
        EXPECT_EQ(ReadAll(in), inputBytes) << arguments;
    }
    for (const auto& entry : fs::directory_iterator(dir_))
    {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

// Without an input file the editor still starts from --state and --set, checked as with one.
TEST_F(HostTool, TheEditorAloneTakesStateAndSettings)
{
    std::ofstream(Path("garbage.json")) << "not json";
    for (const std::string& arguments :
         {"--editor --editor-seconds 0.1 --state '" + Path("garbage.json") + "'",
          std::string("--editor --editor-seconds 0.1 --set 'Gain 99=1'")})
    {
        ExpectOneErrorLine(RunHost(arguments), arguments);
    }
}

TEST_F(HostTool, WriteErrorsFailWithoutLeavingACutFile)
{
    const std::string in = WriteSignal("in.wav", 48000);
    if (mknod(Path("full").c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0)
    {
        GTEST_SKIP() << "this machine does not let the test make a device node";
    }
    const std::string arguments = "'" + in + "' '" + Path("full") + "'";
    const HostRun run = RunHost(arguments);
    ExpectOneErrorLine(run, arguments);
    EXPECT_NE(run.output.find("No space left on device"), std::string::npos) << run.output;
    const std::string state =
        "'" + in + "' '" + Path("out.wav") + "' --save-state '" + Path("full") + "'";
    ExpectOneErrorLine(RunHost(state), state);
    EXPECT_FALSE(fs::exists(dir_ / "out.wav")) << "the audio is not kept without its state";
}

// At 16 kHz the bands at and above 8 kHz are left out: the Auto EQ learns and every sample of
// the module's output is finite and bounded.
TEST_F(HostTool, LowSampleRatesGiveFiniteOutput)
{
    const std::string in = WriteSignal("in16k.wav", 16000);
    const HostRun run = RunHost("'" + in + "' '" + Path("out.wav") +
                                "' --set 'Auto Eq=Static' --set 'Gain 26=6' --set 'Gain 29=15'");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    SF_INFO info{};
    SNDFILE* file = sf_open(Path("out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    ASSERT_EQ(info.samplerate, 16000);
    float peak = 0.0f;
    for (float sample : samples)
    {
        ASSERT_TRUE(std::isfinite(sample));
        peak = std::max(peak, std::fabs(sample));
    }
    EXPECT_GT(peak, 0.1f);
    EXPECT_LT(peak, 4.0f);
}

} // namespace
