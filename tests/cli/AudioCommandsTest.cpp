// The audio commands (process, analyse, demo) run as a user runs them, on small generated files.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TemporaryFolder.h"
#include <fcntl.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <nlohmann/json.hpp>
#include <sndfile.h>
#include <thread>
#include <unistd.h>

#include "tests/cli/ToolRunner.h"

namespace
{

using nlohmann::json;
namespace fs = std::filesystem;

class AudioCommands : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // A sine of freqHz on every channel (channel c scaled by 1 / (c + 1)).
    std::string WriteSine(const std::string& name, int channels, int frames, double freqHz,
                          double amplitude = 0.5, int rateHz = 44100,
                          int format = SF_FORMAT_WAV | SF_FORMAT_PCM_24)
    {
        SF_INFO info{};
        info.samplerate = rateHz;
        info.channels = channels;
        info.format = format;
        const std::string path = Path(name);
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr);
        std::vector<double> samples;
        for (int j = 0; j < frames; ++j)
        {
            for (int c = 0; c < channels; ++c)
            {
                samples.push_back(amplitude / (c + 1) *
                                  std::sin(2.0 * 3.141592653589793 * freqHz * j / rateHz));
            }
        }
        sf_writef_double(file, samples.data(), frames);
        sf_close(file);
        return path;
    }

    struct Audio
    {
        SF_INFO info{};
        std::vector<double> samples;
    };

    static Audio Read(const std::string& path)
    {
        Audio audio;
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
        EXPECT_NE(file, nullptr) << path;
        if (file == nullptr)
        {
            return audio;
        }
        audio.samples.resize(static_cast<std::size_t>(audio.info.frames * audio.info.channels));
        sf_readf_double(file, audio.samples.data(), audio.info.frames);
        sf_close(file);
        return audio;
    }

    static double Peak(const Audio& audio, int channel, int fromFrame)
    {
        double peak = 0.0;
        for (sf_count_t j = fromFrame; j < audio.info.frames; ++j)
        {
            peak = std::max(peak, std::fabs(audio.samples[j * audio.info.channels + channel]));
        }
        return peak;
    }

    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TemporaryFolder folder_{"kestrune-cli"};
    const fs::path& dir_ = folder_.Path();
};

TEST_F(AudioCommands, FlatProcessingKeepsFormatAndSignal)
{
    for (int channels : {1, 2})
    {
        const std::string in = WriteSine("in.wav", channels, 30000, 440.0);
        const std::string out = Path("out.wav");
        const ToolResult run = RunTool("process '" + in + "' '" + out + "' --block 300", true);
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        const Audio before = Read(in);
        const Audio after = Read(out);
        EXPECT_EQ(after.info.samplerate, 44100);
        EXPECT_EQ(after.info.channels, channels);
        EXPECT_EQ(after.info.format, before.info.format);
        ASSERT_EQ(after.info.frames, before.info.frames);
        for (std::size_t i = 0; i < before.samples.size(); ++i)
        {
            ASSERT_NEAR(after.samples[i], before.samples[i], 1e-6) << i;
        }
    }
}

TEST_F(AudioCommands, SettingsReachThePlugin)
{
    const std::string in = WriteSine("in.wav", 2, 44100, 1000.0, 0.1);
    struct Case
    {
        std::string settings;
        double expectedGainDb;
    };
    const std::vector<Case> cases = {
        {"--set 'Gain 17=12'", 12.0},
        // Entered at the default amount of 50 %, the gain doubles when the amount goes to 100 %.
        {"--set 'Gain 17=6' --set 'Eq Amount=100'", 12.0},
        {"--set 'Gain 17=12' --set 'Bypass EQ=on'", 0.0},
        {"--set 'Output=-6'", -6.0},
    };
    for (const Case& c : cases)
    {
        const std::string out = Path("out.wav");
        // Options may come before the files: each --set takes exactly one value.
        const ToolResult run =
            RunTool("process " + c.settings + " '" + in + "' '" + out + "'", true);
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        const double gainDb = 20.0 * std::log10(Peak(Read(out), 0, 30000) / 0.1);
        EXPECT_NEAR(gainDb, c.expectedGainDb, 0.2) << c.settings;
    }
}

TEST_F(AudioCommands, ErrorsPrintOneLineAndWriteNothing)
{
    const std::string in = WriteSine("in.wav", 2, 1000, 440.0);
    const std::string surround = WriteSine("six.wav", 6, 1000, 440.0);
    fs::path notState = dir_ / "notstate.json";
    std::ofstream(notState) << "{\"params\": [ broken";
    const std::string out = Path("out.wav");
    const std::vector<std::string> commands = {
        "process '" + Path("missing.wav") + "' '" + out + "'",
        "process '" + surround + "' '" + out + "'",
        "process '" + in + "' '" + out + "' --set 'Gain 99=1'",
        "process '" + in + "' '" + out + "' --set 'Gain 3=20'",
        "process '" + in + "' '" + out + "' --set 'Gain 3=abc'",
        "process '" + in + "' '" + out + "' --set 'Auto Eq=Sometimes'",
        "process '" + in + "' '" + out + "' --set 'Gain 3'",
        "process '" + in + "' '" + out + "' --state '" + notState.string() + "'",
        "process '" + in + "' '" + out + "' --state '" + Path("none.json") + "'",
        "process '" + in + "' '" + out + "' --block 0",
        "analyse '" + surround + "'",
    };
    for (const std::string& command : commands)
    {
        const ToolResult run = RunTool(command, true);
        EXPECT_EQ(run.exitStatus, 1) << command;
        EXPECT_NE(run.output.find("kestrune"), std::string::npos) << command;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_FALSE(fs::exists(out)) << command;
    }
}

// A 16-bit PCM WAV built byte by byte, so that headers libsndfile would never write can be made:
// any channel count, and a data chunk whose declared size exceeds the bytes that follow.
std::string WavBytes(int channels, int frames, std::size_t keepDataBytes = SIZE_MAX)
{
    auto put16 = [](std::string& out, unsigned v)
    {
        out += static_cast<char>(v & 0xff);
        out += static_cast<char>((v >> 8) & 0xff);
    };
    auto put32 = [&](std::string& out, unsigned v)
    {
        put16(out, v & 0xffff);
        put16(out, v >> 16);
    };
    const unsigned rateHz = 48000;
    const unsigned frameBytes = 2u * static_cast<unsigned>(channels);
    const unsigned dataBytes = frameBytes * static_cast<unsigned>(frames);
    std::string data;
    for (unsigned i = 0; i < dataBytes / 2; ++i)
    {
        put16(data, static_cast<unsigned>(static_cast<int>(8000.0 * std::sin(0.05 * i))) & 0xffff);
    }
    std::string wav = "RIFF";
    put32(wav, 36 + dataBytes);
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, static_cast<unsigned>(channels));
    put32(wav, rateHz);
    put32(wav, rateHz * frameBytes);
    put16(wav, frameBytes);
    put16(wav, 16);
    wav += "data";
    put32(wav, dataBytes);
    return wav + data.substr(0, std::min(keepDataBytes, data.size()));
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every bad input or output place: one line naming the tool, exit status 1, no output file and
// no temporary left anywhere in the test folder.
TEST_F(AudioCommands, BadFilesPrintOneLineAndLeaveNothing)
{
    const std::string in = WriteSine("in.wav", 2, 1000, 440.0);
    WriteBytes(dir_ / "empty.wav", "");
    WriteBytes(dir_ / "zero-channels.wav", WavBytes(0, 100));
    WriteBytes(dir_ / "nine-channels.wav", WavBytes(9, 100));
    WriteBytes(dir_ / "header-cut.wav", WavBytes(2, 100).substr(0, 20));
    std::mt19937 random(5);
    std::string noise(4096, '\0');
    for (char& byte : noise)
    {
        byte = static_cast<char>(random() & 0xff);
    }
    WriteBytes(dir_ / "random.wav", noise);
    WriteBytes(dir_ / "garbage.json", noise);
    fs::create_directories(dir_ / "folder.wav");
    WriteBytes(dir_ / "locked.wav", WavBytes(2, 100));
    fs::permissions(dir_ / "locked.wav", fs::perms::none);
    fs::create_directories(dir_ / "readonly");
    fs::permissions(dir_ / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
    const std::vector<std::pair<std::string, std::string>> states = {
        {"array.json", "[]"},
        {"empty-object.json", "{}"},
        {"null.json", "null"},
        {"params-number.json", "{\"params\": 5}"},
        {"params-strings.json", "{\"params\": [\"Gain 3\"]}"},
        {"value-text.json", "{\"params\": [{\"name\": \"Gain 3\", \"value\": \"x\"}]}"},
        {"curve-only.json", "{\"eqcomp\": [1, 2]}"},
        {"curve-number.json", "{\"params\": [], \"eqcomp\": 5}"},
    };
    for (const auto& [name, text] : states)
    {
        WriteBytes(dir_ / name, text);
    }
    // Root reads and writes whatever the permission bits say.
    const bool root = geteuid() == 0;

    const std::string out = Path("out.wav");
    struct Case
    {
        std::string arguments;
        std::string leftOver; // the output that must not exist afterwards
        bool needsPermissions = false;
    };
    std::vector<Case> cases = {
        {"process '" + Path("empty.wav") + "' '" + out + "'", out},
        {"process '" + Path("random.wav") + "' '" + out + "'", out},
        {"process '" + Path("header-cut.wav") + "' '" + out + "'", out},
        {"process '" + Path("folder.wav") + "' '" + out + "'", out},
        {"process '" + Path("zero-channels.wav") + "' '" + out + "'", out},
        {"process '" + Path("nine-channels.wav") + "' '" + out + "'", out},
        {"process '" + Path("locked.wav") + "' '" + out + "'", out, true},
        {"analyse '" + Path("empty.wav") + "'", out},
        {"analyse '" + Path("random.wav") + "'", out},
        {"analyse '" + Path("folder.wav") + "'", out},
        {"analyse '" + Path("zero-channels.wav") + "'", out},
        {"analyse '" + in + "' --state '" + Path("garbage.json") + "'", out},
        {"process '" + in + "' '" + out + "' --state '" + Path("garbage.json") + "'", out},
        {"process '" + in + "' '" + out + "' --state '" + Path("folder.wav") + "'", out},
        {"process '" + in + "' '" + Path("missing/out.wav") + "'", Path("missing/out.wav")},
        {"process '" + in + "' '/proc/kestrune-out.wav'", "/proc/kestrune-out.wav"},
        {"process '" + in + "' '" + Path("readonly/out.wav") + "'", Path("readonly/out.wav"), true},
        {"process '" + in + "' '" + Path("folder.wav") + "'", Path("folder.wav/in.wav")},
        // The audio output is not left behind when the state file cannot be written.
        {"process '" + in + "' '" + out + "' --save-state '" + Path("missing/s.json") + "'", out},
        {"process '" + in + "' '" + out + "' --save-state '" + Path("folder.wav") + "'", out},
        {"response '" + Path("missing/r.png") + "'", Path("missing/r.png")},
        {"response '/proc/kestrune-r.png'", "/proc/kestrune-r.png"},
        {"editor '" + Path("folder.wav") + "'", Path("folder.wav.tmp")},
        {"editor '" + Path("missing/e.png") + "'", Path("missing/e.png")},
    };
    for (const auto& [name, text] : states)
    {
        cases.push_back({"process '" + in + "' '" + out + "' --state '" + Path(name) + "'", out});
    }
    for (const Case& c : cases)
    {
        if (c.needsPermissions && root)
        {
            continue;
        }
        const ToolResult run = RunTool(c.arguments, true);
        EXPECT_EQ(run.exitStatus, 1) << c.arguments << "\n" << run.output;
        EXPECT_EQ(run.output.rfind("kestrune ", 0), 0u) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_FALSE(fs::exists(c.leftOver)) << c.arguments;
        for (const auto& entry :
             fs::recursive_directory_iterator(dir_, fs::directory_options::skip_permission_denied))
        {
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
                << entry.path() << " after " << c.arguments;
        }
        EXPECT_TRUE(fs::is_empty(dir_ / "folder.wav")) << c.arguments;
    }
    fs::permissions(dir_ / "readonly", fs::perms::owner_all);
}

// A WAV whose data stops before its header says (a cut-off download or copy) is read as far as
// its data goes, as libsndfile reads it: the output holds the whole frames present and the
// command succeeds. A partial last frame is dropped.
TEST_F(AudioCommands, TruncatedWavIsProcessedAsFarAsItsDataGoes)
{
    WriteBytes(dir_ / "cut.wav", WavBytes(2, 1000, 1001));
    const ToolResult run =
        RunTool("process '" + Path("cut.wav") + "' '" + Path("out.wav") + "'", true);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const Audio after = Read(Path("out.wav"));
    EXPECT_EQ(after.info.channels, 2);
    EXPECT_EQ(after.info.frames, 250);
    // Flat processing keeps the samples that were there.
    const Audio before = Read(Path("cut.wav"));
    ASSERT_EQ(before.samples.size(), after.samples.size());
    for (std::size_t i = 0; i < before.samples.size(); ++i)
    {
        ASSERT_NEAR(after.samples[i], before.samples[i], 1e-4) << i;
    }
}

TEST_F(AudioCommands, OutputOverTheInputIsRefused)
{
    const std::string in = WriteSine("in.wav", 1, 1000, 440.0);
    const auto sizeBefore = fs::file_size(in);
    const std::string alias = "'" + dir_.string() + "/./in.wav'";
    const ToolResult run = RunTool("process '" + in + "' " + alias + " --set 'Gain 3=6'", true);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(fs::file_size(in), sizeBefore);
    EXPECT_EQ(Read(in).samples, Read(in).samples);
}

TEST_F(AudioCommands, SavedStateRestoresTheSameProcessing)
{
    const std::string in = WriteSine("in.wav", 2, 20000, 250.0, 0.2);
    const std::string state = Path("state.json");
    ToolResult run =
        RunTool("process '" + in + "' '" + Path("a.wav") +
                    "' --set 'Eq Amount=80' --set 'Gain 11=-4.5' --save-state '" + state + "'",
                true);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const json document = json::parse(ReadText(state));
    EXPECT_EQ(document["eqcomp"].size(), 31u);
    EXPECT_EQ(document["params"][11]["value"], -4.5);
    EXPECT_EQ(document["version"], "1.2.5");
    run = RunTool("process '" + in + "' '" + Path("b.wav") + "' --state '" + state + "'", true);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(Read(Path("a.wav")).samples, Read(Path("b.wav")).samples);
}

TEST_F(AudioCommands, AnalyseReportsEveryBand)
{
    const std::string tone =
        WriteSine("tone.wav", 2, 44100, 1000.0, 1.0, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ToolResult run = RunTool("analyse '" + tone + "' --json");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const json report = json::parse(run.output);
    EXPECT_EQ(report["sampleRate"], 44100);
    EXPECT_EQ(report["frames"], 44100);
    ASSERT_EQ(report["bands"].size(), 31u);
    EXPECT_EQ(report["bands"][0]["frequency"], 20.0);
    EXPECT_EQ(report["bands"][28]["frequency"], 12000.0);
    // Channel 0 full scale, channel 1 half: the mid signal is a 0.75 sine at band 17.
    EXPECT_NEAR(report["bands"][17]["levelDb"].get<double>(), 20.0 * std::log10(0.75 * 0.8997),
                0.3);
    EXPECT_EQ(report["bands"][17]["gainDb"], 0.0);

    run = RunTool("analyse '" + tone + "' --json --set 'Auto Eq=Continuous'");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_LT(json::parse(run.output)["bands"][17]["gainDb"].get<double>(), -1.0);

    // No block at all: every level is 0, written as null.
    const std::string empty = WriteSine("empty.wav", 1, 0, 1000.0);
    run = RunTool("analyse '" + empty + "' --json");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_TRUE(json::parse(run.output)["bands"][5]["levelDb"].is_null());
    EXPECT_TRUE(json::parse(run.output)["bands"][5]["heldDb"].is_null());

    run = RunTool("analyse '" + tone + "'");
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 32);
}

TEST_F(AudioCommands, DemoWritesItsFourFiles)
{
    const ToolResult run = RunTool("demo '" + Path("demo") + "'");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    for (const char* name : {"input.wav", "output.wav", "state.json", "analysis.json"})
    {
        EXPECT_TRUE(fs::exists(dir_ / "demo" / name)) << name;
    }
    const json state = json::parse(ReadText(Path("demo/state.json")));
    EXPECT_EQ(state["params"][37]["value"], 1.0); // Static
    const json analysis = json::parse(ReadText(Path("demo/analysis.json")));
    EXPECT_EQ(analysis["bands"].size(), 31u);
    const Audio input = Read(Path("demo/input.wav"));
    EXPECT_EQ(input.info.channels, 2);
    EXPECT_NEAR(static_cast<double>(input.info.frames) / input.info.samplerate, 10.0, 0.5);
}

} // namespace

namespace
{

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A tmpfs of `kilobytes` mounted at `folder` for the test's lifetime, where the machine lets the
// test mount one (root in a container that allows it); Mounted() tells.
class SmallDisk
{
public:
    SmallDisk(const fs::path& folder, int kilobytes) : folder_(folder)
    {
        fs::create_directories(folder_);
        const std::string command = "mount -t tmpfs -o size=" + std::to_string(kilobytes) +
                                    "k kestrune-test '" + folder_.string() + "' 2>/dev/null";
        mounted_ = std::system(command.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
        {
            [[maybe_unused]] const int status =
                std::system(("umount '" + folder_.string() + "' 2>/dev/null").c_str());
        }
    }
    bool Mounted() const { return mounted_; }

private:
    fs::path folder_;
    bool mounted_ = false;
};

} // namespace

// Every kind of output path, as users hand them over: each is written, written through or
// refused as its kind asks, and nothing a user had is lost or replaced by a half-written file.
// Device nodes and FIFOs are the test's own, made in its folder.
TEST_F(AudioCommands, OutputPathsAreWrittenAsTheirKindAsks)
{
    const std::string in = WriteSine("in.wav", 2, 4000, 440.0);
    ASSERT_EQ(RunTool("process '" + in + "' '" + Path("plain.wav") + "'").exitStatus, 0);
    const std::string expected = ReadAll(Path("plain.wav"));
    ASSERT_EQ(expected.substr(0, 4), "RIFF");

    // Standard output carries the same bytes as a file.
    EXPECT_EQ(RunTool("process '" + in + "' -").output, expected);

    // A symlink is written through: the link stays, its target gets the audio and keeps its
    // permission bits; a dangling link creates its target.
    WriteBytes(dir_ / "target.wav", "old");
    fs::permissions(dir_ / "target.wav", fs::perms(0640));
    fs::create_symlink("target.wav", dir_ / "link.wav");
    EXPECT_EQ(RunTool("process '" + in + "' '" + Path("link.wav") + "'").exitStatus, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.wav"));
    EXPECT_EQ(ReadAll(dir_ / "target.wav"), expected);
    EXPECT_EQ(fs::status(dir_ / "target.wav").permissions(), fs::perms(0640));
    fs::create_symlink("new-target.wav", dir_ / "dangling.wav");
    EXPECT_EQ(RunTool("process '" + in + "' '" + Path("dangling.wav") + "'").exitStatus, 0);
    EXPECT_EQ(ReadAll(dir_ / "new-target.wav"), expected);

    // A FIFO is written directly: a reader gets the whole file.
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    std::string fromFifo;
    std::thread reader([&] { fromFifo = ReadAll(dir_ / "fifo"); });
    const ToolResult toFifo =
        RunTool("process '" + in + "' '" + Path("fifo") + "' --type wav", true);
    // Should the tool have failed before opening the FIFO, the reader is released.
    const int release = open(Path("fifo").c_str(), O_WRONLY | O_NONBLOCK);
    if (release >= 0)
    {
        close(release);
    }
    reader.join();
    EXPECT_EQ(toFifo.exitStatus, 0) << toFifo.output;
    EXPECT_EQ(fromFifo, expected);
    EXPECT_EQ(fs::status(dir_ / "fifo").type(), fs::file_type::fifo);

    // Device nodes of the test's own: a null device stays a device, a full one reports the
    // error it gives.
    const bool devices = mknod(Path("null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0 &&
                         mknod(Path("full").c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    if (devices)
    {
        EXPECT_EQ(RunTool("process '" + in + "' '" + Path("null") + "' -t wav").exitStatus, 0);
        EXPECT_EQ(fs::status(dir_ / "null").type(), fs::file_type::character);
        const ToolResult full = RunTool("process '" + in + "' '" + Path("full") + "' -t wav", true);
        EXPECT_EQ(full.exitStatus, 1);
        EXPECT_NE(full.output.find("No space left on device"), std::string::npos) << full.output;
        EXPECT_EQ(std::count(full.output.begin(), full.output.end(), '\n'), 1) << full.output;
        EXPECT_EQ(fs::status(dir_ / "full").type(), fs::file_type::character);
    }

    // Refused before anything is written, the existing file untouched: a read-only file (also
    // for root), the input itself through a hard link and through a symlink.
    WriteBytes(dir_ / "readonly.wav", "keep");
    fs::permissions(dir_ / "readonly.wav", fs::perms(0444));
    fs::create_hard_link(in, dir_ / "hard.wav");
    fs::create_symlink("in.wav", dir_ / "soft.wav");
    const auto inputBytes = ReadAll(in);
    for (const char* name : {"readonly.wav", "hard.wav", "soft.wav"})
    {
        const ToolResult run = RunTool("process '" + in + "' '" + Path(name) + "'", true);
        EXPECT_EQ(run.exitStatus, 1) << name;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    EXPECT_EQ(ReadAll(dir_ / "readonly.wav"), "keep");
    EXPECT_EQ(ReadAll(in), inputBytes);

    // No temporary is left anywhere.
    for (const auto& entry : fs::directory_iterator(dir_))
    {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

// A disk that fills up while the output is written: exit status 1 and neither a cut file nor
// a temporary left; an existing output stays as it was.
TEST_F(AudioCommands, AFullDiskLeavesNoCutFile)
{
    const std::string in = WriteSine("in.wav", 2, 44100, 440.0); // 265 kB of 24-bit audio
    const SmallDisk disk(dir_ / "small", 64);
    if (!disk.Mounted())
    {
        GTEST_SKIP() << "this machine does not let the test mount a small disk";
    }
    WriteBytes(dir_ / "small" / "out.wav", "previous");
    const ToolResult run = RunTool("process '" + in + "' '" + Path("small/out.wav") + "'", true);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.output.find("No space left on device"), std::string::npos) << run.output;
    EXPECT_EQ(ReadAll(dir_ / "small" / "out.wav"), "previous");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "small"), fs::directory_iterator()), 1);
}

// The supported rates, 8 kHz to 768 kHz, process (the Auto EQ at 16 kHz learns without a NaN);
// other rates are refused with one line.
TEST_F(AudioCommands, SampleRatesOutsideTheSupportedRangeAreRefused)
{
    const std::string low = WriteSine("low.wav", 2, 4000, 440.0, 0.5, 4000);
    const ToolResult refused = RunTool("process '" + low + "' '" + Path("out.wav") + "'", true);
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.output.find("8000 to 768000 Hz"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(dir_ / "out.wav"));

    const std::string in =
        WriteSine("in16k.wav", 2, 32000, 1000.0, 0.5, 16000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const ToolResult run = RunTool("process '" + in + "' '" + Path("out.wav") +
                                       "' --set 'Auto Eq=Static' --set 'Gain 26=6'",
                                   true);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const Audio out = Read(Path("out.wav"));
    ASSERT_EQ(out.info.samplerate, 16000);
    double peak = 0.0;
    for (double sample : out.samples)
    {
        ASSERT_TRUE(std::isfinite(sample));
        peak = std::max(peak, std::fabs(sample));
    }
    EXPECT_GT(peak, 0.1);
    EXPECT_LT(peak, 2.0);
}

// Every output type libsndfile writes, chosen by the extension or --type, with the sample
// format from --bits or kept from the input where the type holds it; read back as written.
TEST_F(AudioCommands, OutputTypeFollowsTheExtensionAndBits)
{
    const std::string in = WriteSine("in.wav", 2, 9600, 440.0, 0.5, 48000);
    struct Case
    {
        std::string output;
        std::string options;
        int format; // expected major type and subtype
    };
    const std::vector<Case> cases = {
        {"a.wav", "", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"a16.wav", "-b 16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"a32.wav", "--bits 32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
        {"af.wav", "-b float", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"ad.wav", "-b double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
        {"a.flac", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"a16.flac", "-b 16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"A.FLAC", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"a.aiff", "-b 16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"a.w64", "", SF_FORMAT_W64 | SF_FORMAT_PCM_24},
        {"a.rf64", "", SF_FORMAT_RF64 | SF_FORMAT_PCM_24},
        {"a.caf", "-b float", SF_FORMAT_CAF | SF_FORMAT_FLOAT},
        {"a.au", "", SF_FORMAT_AU | SF_FORMAT_PCM_24},
        {"a.ogg", "-q 0.5", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"a.opus", "", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"a.mp3", "", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
        {"typed.dat", "--type flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases)
    {
        const ToolResult run =
            RunTool("process '" + in + "' '" + Path(c.output) + "' " + c.options, true);
        ASSERT_EQ(run.exitStatus, 0) << c.output << ": " << run.output;
        const Audio out = Read(Path(c.output));
        EXPECT_EQ(out.info.format, c.format) << c.output << std::hex << " " << out.info.format;
        EXPECT_EQ(out.info.channels, 2) << c.output;
        EXPECT_EQ(out.info.samplerate, 48000) << c.output;
        // Lossy codecs pad the end; every type keeps the audio.
        EXPECT_GE(out.info.frames, 9600) << c.output;
        EXPECT_GT(Peak(out, 0, 2000), 0.3) << c.output;
    }
    for (const std::string& refused : {"process '" + in + "' '" + Path("x.xyz") + "'",
                                       "process '" + in + "' '" + Path("noextension") + "'",
                                       "process '" + in + "' '" + Path("f.flac") + "' -b float",
                                       "process '" + in + "' '" + Path("b.mp3") + "' -b 16",
                                       "process '" + in + "' '" + Path("c.wav") + "' -b 12",
                                       "process '" + in + "' '" + Path("d.wav") + "' -t xyz"})
    {
        const ToolResult run = RunTool(refused, true);
        EXPECT_EQ(run.exitStatus, 1) << refused;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()),
              static_cast<long>(cases.size()) + 1);
}

// Standard input and output, as pipes between tools: a WAV piped in, FLAC piped out.
TEST_F(AudioCommands, PipesInAndOut)
{
    const std::string in =
        WriteSine("in.wav", 2, 4800, 440.0, 0.5, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(RunTool("process - '" + Path("from-pipe.flac") + "' < '" + in + "'").exitStatus, 0);
    EXPECT_EQ(Read(Path("from-pipe.flac")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    ASSERT_EQ(RunTool("process '" + in + "' - -t flac > '" + Path("to-pipe.flac") + "'").exitStatus,
              0);
    EXPECT_EQ(ReadAll(dir_ / "to-pipe.flac"), ReadAll(dir_ / "from-pipe.flac"));
    const ToolResult analysed = RunTool("analyse - < '" + Path("to-pipe.flac") + "'");
    EXPECT_EQ(analysed.exitStatus, 0);
    EXPECT_NE(analysed.output.find("band"), std::string::npos);

    // Between sox commands, as people chain them.
    ASSERT_EQ(std::system("command -v sox >/dev/null"), 0) << "scripts/setup installs sox";
    const std::string tool = KESTRUNE_TOOL_PATH;
    ASSERT_EQ(std::system(("sox '" + in + "' -t wav - | '" + tool + "' process - '" +
                           Path("sox-in.flac") + "'")
                              .c_str()),
              0);
    EXPECT_EQ(Read(Path("sox-in.flac")).info.frames, 4800);
    const std::string stats = Path("stats.txt");
    ASSERT_EQ(std::system(
                  ("'" + tool + "' process '" + in + "' - -t wav | sox - -n stat 2>'" + stats + "'")
                      .c_str()),
              0);
    const std::string statText = ReadAll(stats);
    const std::size_t samplesRead = statText.find("Samples read:");
    ASSERT_NE(samplesRead, std::string::npos) << statText;
    EXPECT_EQ(std::stol(statText.substr(samplesRead + 13)), 9600) << statText;
}

// Samples beyond full scale in an integer output are counted on standard error, as sox does;
// --quiet keeps it silent, a float output holds them; --dither stays within a step.
TEST_F(AudioCommands, ClippingIsReportedAndDitherIsSmall)
{
    const std::string in =
        WriteSine("in.wav", 1, 4800, 440.0, 0.9, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const std::string loud = " --set 'Output=6' -b 16";
    const ToolResult clipped = RunTool("process '" + in + "' '" + Path("c.wav") + "'" + loud, true);
    EXPECT_EQ(clipped.exitStatus, 0);
    EXPECT_NE(clipped.output.find("samples clipped at full scale"), std::string::npos)
        << clipped.output;
    EXPECT_EQ(
        RunTool("process '" + in + "' '" + Path("q.wav") + "'" + loud + " --quiet", true).output,
        "");
    EXPECT_EQ(
        RunTool("process '" + in + "' '" + Path("f.wav") + "' --set 'Output=6' -b float", true)
            .output,
        "");

    ASSERT_EQ(RunTool("process '" + in + "' '" + Path("plain.wav") + "' -b 16").exitStatus, 0);
    ASSERT_EQ(
        RunTool("process '" + in + "' '" + Path("dither.wav") + "' -b 16 --dither").exitStatus, 0);
    const Audio plain = Read(Path("plain.wav"));
    const Audio dithered = Read(Path("dither.wav"));
    ASSERT_EQ(plain.samples.size(), dithered.samples.size());
    double largest = 0.0;
    int differing = 0;
    for (std::size_t i = 0; i < plain.samples.size(); ++i)
    {
        largest = std::max(largest, std::fabs(plain.samples[i] - dithered.samples[i]));
        differing += plain.samples[i] != dithered.samples[i];
    }
    EXPECT_GT(differing, 1000);
    EXPECT_LE(largest, 2.0 / 32768.0 + 1e-12);
}

// An automated change takes effect at its exact frame: the block is split there.
TEST_F(AudioCommands, AutomationChangesAtTheExactFrame)
{
    const std::string in =
        WriteSine("in.wav", 1, 48000, 440.0, 0.5, 48000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    for (const char* command : {"process", "analyse"})
    {
        const std::string out =
            std::string(command) == "process" ? " '" + Path("out.wav") + "'" : "";
        const ToolResult run = RunTool(std::string(command) + " '" + in + "'" + out +
                                           " --automate 'Output=-6@0.25013' --block 500",
                                       true);
        ASSERT_EQ(run.exitStatus, 0) << run.output;
    }
    const Audio before = Read(in);
    const Audio after = Read(Path("out.wav"));
    const long change = std::lround(0.25013 * 48000); // frame 12006, inside a block of 500
    const double ratio = std::pow(10.0, -6.0 / 20.0);
    for (long j = change - 3; j < change + 3; ++j)
    {
        const double expected = j < change ? before.samples[j] : before.samples[j] * ratio;
        EXPECT_NEAR(after.samples[j], expected, 1e-9) << "frame " << j;
    }
    for (const char* bad :
         {"'Output=-6'", "'Output=-6@x'", "'Output=-99@1'", "'Nothing=1@1'", "'Output=-6@-1'"})
    {
        EXPECT_EQ(
            RunTool("process '" + in + "' '" + Path("bad.wav") + "' --automate " + bad).exitStatus,
            1)
            << bad;
    }
    EXPECT_FALSE(fs::exists(dir_ / "bad.wav"));
}

// Parameters by name in any case, by their LV2 symbols, and band gains by frequency.
TEST_F(AudioCommands, ParametersByNameSymbolOrFrequency)
{
    const std::string in = WriteSine("in.wav", 1, 4800, 1000.0, 0.5, 48000);
    std::vector<std::string> outputs;
    for (const char* setting :
         {"Gain 17=6", "gain 17=6", "gain_17=6", "1kHz=+6", "1000 Hz=6", "1k=6", "1000=6"})
    {
        const std::string out = Path("out" + std::to_string(outputs.size()) + ".wav");
        ASSERT_EQ(RunTool("process '" + in + "' '" + out + "' --set '" + setting + "'").exitStatus,
                  0)
            << setting;
        outputs.push_back(ReadAll(out));
        EXPECT_EQ(outputs.back(), outputs.front()) << setting;
    }
    EXPECT_EQ(
        RunTool("process '" + in + "' '" + Path("x.wav") + "' --set 'eq_amount=80'").exitStatus, 0);
    EXPECT_EQ(RunTool("process '" + in + "' '" + Path("y.wav") + "' --set '1.1kHz=6'").exitStatus,
              1);
    EXPECT_NE(RunTool("params").output.find("band at 1000 Hz"), std::string::npos);
}

// Many files into one folder, processed side by side: each file as it would be on its own,
// one failing file reported on its own line without stopping the others, exit status 1.
TEST_F(AudioCommands, BatchProcessesEveryFileAndReportsEachFailure)
{
    const std::string a = WriteSine("a.wav", 2, 9000, 440.0);
    const std::string b = WriteSine("b.wav", 1, 7000, 1000.0);
    WriteBytes(dir_ / "broken.wav", "not audio at all");
    const std::string settings = " --set 'Gain 10=6' --set 'Auto Eq=Continuous'";
    ASSERT_EQ(RunTool("process '" + a + "' '" + Path("alone.wav") + "'" + settings).exitStatus, 0);
    const ToolResult batch = RunTool("process '" + a + "' '" + Path("broken.wav") + "' '" + b +
                                         "' --output-dir '" + Path("out") + "'" + settings,
                                     true);
    EXPECT_EQ(batch.exitStatus, 1) << batch.output;
    EXPECT_EQ(ReadAll(dir_ / "out" / "a.wav"), ReadAll(dir_ / "alone.wav"));
    EXPECT_EQ(Read(Path("out/b.wav")).info.channels, 1);
    EXPECT_FALSE(fs::exists(dir_ / "out" / "broken.wav"));
    EXPECT_NE(batch.output.find("broken.wav: cannot read"), std::string::npos) << batch.output;
    EXPECT_NE(batch.output.find("1 of 3 files failed"), std::string::npos) << batch.output;
    EXPECT_EQ(std::count(batch.output.begin(), batch.output.end(), '\n'), 4) << batch.output;

    const ToolResult typed =
        RunTool("process '" + a + "' '" + b + "' -o '" + Path("flac") + "' -t flac --quiet");
    EXPECT_EQ(typed.exitStatus, 0);
    EXPECT_EQ(typed.output, "");
    EXPECT_EQ(Read(Path("flac/a.flac")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(RunTool("process '" + a + "'").exitStatus, 1) << "one file needs an output";

    const ToolResult analysed =
        RunTool("analyse '" + a + "' '" + Path("broken.wav") + "' '" + b + "' --json");
    EXPECT_EQ(analysed.exitStatus, 1);
    const json results = json::parse(analysed.output);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0]["file"], a);
    EXPECT_EQ(results[1]["file"], b);
    EXPECT_EQ(results[1]["bands"].size(), 31u);
}

// The factory presets, the same table the LV2 bundle ships: complete settings by name.
TEST_F(AudioCommands, FactoryPresetsByName)
{
    const std::string in = WriteSine("in.wav", 2, 4800, 1000.0, 0.5, 48000);
    const ToolResult loudness = RunTool("analyse '" + in + "' --preset LOUDNESS --json");
    ASSERT_EQ(loudness.exitStatus, 0);
    const json bands = json::parse(loudness.output)["bands"];
    const double expected[] = {6.0, 6.0, 5.5, 5.0, 4.5, 4.0, 3.0, 2.0, 1.0, 0.0};
    for (int band = 0; band < 10; ++band)
        EXPECT_EQ(bands[band]["gainDb"], expected[band]) << band;
    EXPECT_EQ(bands[30]["gainDb"], 4.0);
    // --set applies after the preset.
    const json changed = json::parse(
        RunTool("analyse '" + in + "' --preset 'Low cut' --set gain_0=-3 --json").output)["bands"];
    EXPECT_EQ(changed[0]["gainDb"], -3.0);
    EXPECT_EQ(changed[1]["gainDb"], -15.0);
    const ToolResult unknown = RunTool("analyse '" + in + "' --preset Nothing", true);
    EXPECT_EQ(unknown.exitStatus, 1);
    EXPECT_NE(unknown.output.find("\"Voice presence\""), std::string::npos) << unknown.output;
}
