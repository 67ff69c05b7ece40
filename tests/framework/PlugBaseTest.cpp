#include "framework/IPlugBase.h"

#include <cmath>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IPlugTrace.h"
#include "tests/framework/TestPlug.h"

namespace
{

using Source = ParameterChangeSource;
using Event = IPlugHeadless::HostEvent;

TEST(PlugBase, ConstructionRecordsIdentity)
{
    TestPlug plug(3);
    EXPECT_STREQ(plug.EffectName(), "TestEffect");
    EXPECT_STREQ(plug.ProductName(), "");
    EXPECT_STREQ(plug.MakerName(), "TestMaker");
    EXPECT_EQ(plug.UniqueId(), 0x54734678);
    EXPECT_EQ(plug.Version(), 0x10205);
    EXPECT_EQ(plug.ApiKind(), kApiHeadless);
    EXPECT_EQ(plug.ParameterCount(), 3);
    EXPECT_EQ(plug.Param(3), nullptr);
    EXPECT_EQ(plug.Param(-1), nullptr);
    EXPECT_DOUBLE_EQ(plug.SampleRate(), 44100.0);
    ASSERT_EQ(plug.PresetCount(), 1);
    EXPECT_STREQ(plug.Preset(0)->name, "empty");
    EXPECT_FALSE(plug.Preset(0)->initialised);
}

TEST(PlugBase, PackFourCCIsBigEndian)
{
    EXPECT_EQ(PackFourCC("KsRn"), ('K' << 24) | ('s' << 16) | ('R' << 8) | 'n');
    EXPECT_EQ(PackFourCC("QvMx"), 0x51764D78);
}

TEST(PlugBase, ChannelStringsAreParsed)
{
    struct Case
    {
        const char* text;
        std::vector<std::pair<int, int>> pairs;
        int inputs;
        int outputs;
    };
    const Case cases[] = {
        {"1-1 2-2", {{1, 1}, {2, 2}}, 2, 2},
        {"2-2", {{2, 2}}, 2, 2},
        {"0-2 1-1", {{0, 2}, {1, 1}}, 1, 2},
        {"1", {{1, 0}}, 1, 0},
        {"", {{0, 0}}, 0, 0},
        {"1-1 x", {{1, 1}, {0, 0}}, 1, 1},
        {"99999-1", {{IPlugBase::kMaxChannels, 1}}, IPlugBase::kMaxChannels, 1},
    };
    for (const Case& c : cases)
    {
        TestPlug plug(0, c.text);
        ASSERT_EQ(plug.ChannelIOCount(), static_cast<int>(c.pairs.size())) << c.text;
        for (int i = 0; i < plug.ChannelIOCount(); ++i)
        {
            EXPECT_EQ(plug.ChannelIOAt(i).inputs, c.pairs[i].first) << c.text;
            EXPECT_EQ(plug.ChannelIOAt(i).outputs, c.pairs[i].second) << c.text;
        }
        EXPECT_EQ(plug.InputCount(), c.inputs) << c.text;
        EXPECT_EQ(plug.OutputCount(), c.outputs) << c.text;
    }
}

TEST(PlugBase, HostTableIdentifiesHosts)
{
    struct Case
    {
        const char* name;
        int identifier;
    };
    const Case cases[] = {
        {"Cubase", 3},
        {"REAPER", 1},
        {"Nuendo", 4},
        {"Cakewalk by BandLab", 5},
        {"Samplitude", 8},
        {"Fruity Loops", 7},
        {"Ableton Live", 9},
        {"Melodyne", 12},
        {"VstManLib", 13},
        {"AULab", 14},
        {"GarageBand", 22},
        {"Forte", 15},
        {"Chainer", 16},
        {"Adobe Audition", 17},
        {"Orion", 18},
        {"SAWStudio", 20},
        {"Logic Pro", 21},
        {"Digital Performer", 23},
        {"AudioMulch", 25},
        {"PreSonus Studio One", 26},
        {"VST3PluginTestHost", 27},
        {"ProTools", 2},
        {"Ardour", 28},
        {"OpenMPT", 30},
        {"Renoise", 29},
        {"Standalone", 24},
        {"WaveLab", 31},
        {"Nuendo Cubase edition", 3}, // rows are tested in table order
        {"Some Host", 0},
        {"", 0},
    };
    for (const Case& c : cases)
    {
        TestPlug plug(0);
        plug.SetHost(c.name, 0x10000);
        EXPECT_EQ(plug.HostId(), c.identifier) << c.name;
        EXPECT_EQ(plug.HostVersion(), 0x10000);
    }
    TestPlug plug(0);
    plug.SetHost(nullptr, 0);
    EXPECT_EQ(plug.HostId(), kHostUnknown);
}

TEST(PlugBase, HostNamesBeyondTheBufferAreCut)
{
    TestPlug plug(0);
    const std::string early = "protools" + std::string(400, 'x');
    plug.SetHost(early.c_str(), 0);
    EXPECT_EQ(plug.HostId(), kHostProTools);
    EXPECT_EQ(std::strlen(plug.HostName()), kLongNameCapacity - 1);
    const std::string late = std::string(300, 'x') + "protools";
    plug.SetHost(late.c_str(), 0);
    EXPECT_EQ(plug.HostId(), kHostUnknown);
}

std::vector<std::string>& TraceLines()
{
    static std::vector<std::string> lines;
    return lines;
}

void CollectTrace(const char* text)
{
    TraceLines().emplace_back(text);
}

TEST(PlugBase, TracePointsReachTheHook)
{
    TraceLines().clear();
    SetTraceHook(&CollectTrace);
    {
        TestPlug plug(1);
        TraceLines().clear();
        plug.SetHost("ProTools", 0x10205);
        plug.SetHost("Other", 0x20301);
        plug.SetParameterFromGUI(0, 0.75);
    }
    SetTraceHook(nullptr);
    ASSERT_EQ(TraceLines().size(), 3u);
    EXPECT_EQ(TraceLines()[0], "host_known:protools:v1.2.5");
    EXPECT_EQ(TraceLines()[1], "host_unknown:other:v2.3.1");
    EXPECT_EQ(TraceLines()[2], "0:7.500000");
}

TEST(PlugBase, VersionText)
{
    char text[16];
    FormatHostVersion(0x10205, text, sizeof(text));
    EXPECT_STREQ(text, "v1.2.5");
}

TEST(PlugBase, LongPlugNamesAreCut)
{
    const std::string name(500, 'n');
    IPlugHeadless plug({}, {.channelIOs = "1-1",
                            .presetCount = 0,
                            .effectName = name.c_str(),
                            .productName = name.c_str(),
                            .makerName = name.c_str(),
                            .version = 1,
                            .savesChunks = false});
    EXPECT_EQ(std::strlen(plug.EffectName()), kPlugNameCapacity - 1);
    EXPECT_EQ(std::strlen(plug.ProductName()), kPlugNameCapacity - 1);
    EXPECT_EQ(std::strlen(plug.MakerName()), kPlugNameCapacity - 1);
}

TEST(PlugBase, SerializeParamsWritesCountAndRealValues)
{
    TestPlug plug(46);
    plug.Param(0)->SetClamped(-4.5);
    plug.Param(45)->SetClamped(12.0);
    StateChunk chunk;
    chunk.Put(std::int32_t{77}); // existing contents stay in front
    ASSERT_TRUE(plug.SerializeParams(chunk));
    ASSERT_EQ(chunk.Size(), 4 + 372);
    std::int32_t count = 0;
    int position = chunk.Get(&count, 4);
    EXPECT_EQ(count, 46);
    std::vector<double> values(46);
    for (double& v : values)
    {
        position = chunk.Get(&v, position);
    }
    EXPECT_EQ(position, chunk.Size());
    EXPECT_EQ(values[0], -4.5);
    EXPECT_EQ(values[1], 0.0);
    EXPECT_EQ(values[45], 12.0);
}

TEST(PlugBase, UnserializeParamsRoundTrips)
{
    TestPlug writer(46);
    for (int i = 0; i < 46; ++i)
    {
        writer.Param(i)->SetClamped(i * 0.25 - 5.0);
    }
    StateChunk chunk;
    writer.SerializeParams(chunk);

    TestPlug reader(46);
    EXPECT_EQ(reader.UnserializeParams(chunk, 0), 372);
    for (int i = 0; i < 46; ++i)
    {
        EXPECT_EQ(reader.Param(i)->Value(), i * 0.25 - 5.0);
    }
    ASSERT_EQ(reader.changes.size(), 46u);
    for (int i = 0; i < 46; ++i)
    {
        EXPECT_EQ(reader.changes[i], std::make_pair(i, Source::Restore));
    }
}

TEST(PlugBase, UnserializeParamsOnEmptyChunkChangesNothingButAnnouncesAll)
{
    TestPlug plug(46);
    plug.Param(7)->SetClamped(3.0);
    StateChunk empty;
    EXPECT_EQ(plug.UnserializeParams(empty, 0), -1);
    EXPECT_EQ(plug.Param(7)->Value(), 3.0);
    EXPECT_EQ(plug.Param(0)->Value(), 0.0);
    EXPECT_EQ(plug.changes.size(), 46u);
}

// A truncated chunk restores what it holds and leaves the parameter whose value is missing as
// it was, instead of forcing it to 0.
TEST(PlugBase, UnserializeParamsOnTruncatedChunkKeepsTheMissingValues)
{
    TestPlug plug(46);
    for (int i = 0; i < 46; ++i)
    {
        plug.Param(i)->SetClamped(9.0);
    }
    StateChunk chunk;
    chunk.Put(std::int32_t{46});
    for (int i = 0; i < 10; ++i)
    {
        chunk.Put(-1.0 * i);
    }
    chunk.Put(std::int32_t{0}); // half a double
    EXPECT_EQ(plug.UnserializeParams(chunk, 0), -1);
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(plug.Param(i)->Value(), -1.0 * i);
    }
    for (int i = 10; i < 46; ++i)
    {
        EXPECT_EQ(plug.Param(i)->Value(), 9.0) << i;
    }
    EXPECT_EQ(plug.changes.size(), 46u);
}

TEST(PlugBase, UnserializeParamsCountsDifferentFromTheParameterCount)
{
    struct Case
    {
        std::int32_t count;
        int valuesWritten;
        int expectedRead;
    };
    const Case cases[] = {{50, 50, 46}, {3, 3, 3}, {0, 0, 0}, {-4, 0, 0}};
    for (const Case& c : cases)
    {
        TestPlug plug(46);
        StateChunk chunk;
        chunk.Put(c.count);
        for (int i = 0; i < c.valuesWritten; ++i)
        {
            chunk.Put(1.0);
        }
        EXPECT_EQ(plug.UnserializeParams(chunk, 0), 4 + 8 * c.expectedRead) << c.count;
        for (int i = 0; i < 46; ++i)
        {
            EXPECT_EQ(plug.Param(i)->Value(), i < c.expectedRead ? 1.0 : 0.0) << c.count;
        }
        EXPECT_EQ(plug.changes.size(), 46u);
    }
}

TEST(PlugBase, UnserializeParamsClampsWithoutRounding)
{
    TestPlug plug(3);
    plug.Param(2)->DefineEnum("Mode", 0, 3);
    StateChunk chunk;
    chunk.Put(std::int32_t{3});
    chunk.Put(99.0);
    chunk.Put(-99.0);
    chunk.Put(1.3);
    plug.UnserializeParams(chunk, 0);
    EXPECT_EQ(plug.Param(0)->Value(), 15.0);
    EXPECT_EQ(plug.Param(1)->Value(), -15.0);
    EXPECT_EQ(plug.Param(2)->Value(), 1.3);
}

TEST(PlugBase, CapturePresetFillsFreeSlotsOnce)
{
    TestPlug plug(46, "1-1 2-2", 2);
    plug.Param(0)->SetClamped(2.0);
    plug.CapturePreset("-", 1);
    ASSERT_TRUE(plug.Preset(0)->initialised);
    EXPECT_STREQ(plug.Preset(0)->name, "-");
    EXPECT_EQ(plug.Preset(0)->chunk.Size(), 372);
    EXPECT_FALSE(plug.Preset(1)->initialised);

    plug.CapturePreset(nullptr, 5);
    EXPECT_STREQ(plug.Preset(0)->name, "-");
    EXPECT_STREQ(plug.Preset(1)->name, "Empty");
    plug.CapturePreset("later", 1); // no slot left
    EXPECT_STREQ(plug.Preset(1)->name, "Empty");

    StateChunk expected;
    plug.SerializeParams(expected);
    EXPECT_EQ(std::memcmp(plug.Preset(0)->chunk.Data(), expected.Data(), 372), 0);
}

TEST(PlugBase, CompareParamsRoundsToFloat)
{
    TestPlug plug(2);
    plug.Param(0)->SetClamped(1.0);
    plug.Param(1)->SetClamped(-2.5);
    const double same[] = {99.0, 1.0, -2.5};
    const double nearly[] = {1.0 + 1e-9, -2.5};
    const double apart[] = {1.0, -2.4};
    EXPECT_TRUE(plug.CompareParams(same, 1));
    EXPECT_TRUE(plug.CompareParams(nearly, 0));
    EXPECT_FALSE(plug.CompareParams(apart, 0));
    TestPlug none(0);
    EXPECT_TRUE(none.CompareParams(same, 0));
}

TEST(PlugBase, EditorChangeStoresNotifiesAndReacts)
{
    TestPlug plug(2);
    plug.SetParameterFromGUI(1, 0.75);
    EXPECT_DOUBLE_EQ(plug.Param(1)->Value(), 7.5);
    ASSERT_EQ(plug.HostEvents().size(), 1u);
    EXPECT_EQ(plug.HostEvents()[0].kind, Event::Kind::Change);
    EXPECT_EQ(plug.HostEvents()[0].index, 1);
    EXPECT_EQ(plug.HostEvents()[0].normalised, 0.75);
    ASSERT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.changes[0], std::make_pair(1, Source::Editor));
}

TEST(PlugBase, NonFiniteOrUnknownChangesAreIgnored)
{
    TestPlug plug(2);
    plug.Param(0)->SetClamped(3.0);
    for (double bad : {std::nan(""), HUGE_VAL})
    {
        plug.SetParameterFromGUI(0, bad);
        EXPECT_FALSE(plug.SetParameterFromHost(0, bad));
    }
    plug.SetParameterFromGUI(5, 0.5);
    EXPECT_FALSE(plug.SetParameterFromHost(-1, 0.5));
    EXPECT_EQ(plug.Param(0)->Value(), 3.0);
    EXPECT_TRUE(plug.HostEvents().empty());
    EXPECT_TRUE(plug.changes.empty());
}

// An editor stand-in that logs every call of the seam.
struct SeamLog
{
    std::vector<std::string> lines;
};

class FakeEditor : public IPlugEditor
{
public:
    explicit FakeEditor(SeamLog& log) : log_(log) {}
    ~FakeEditor() override { log_.lines.push_back("editor deleted"); }
    void CreateBackingStore() override { log_.lines.push_back("backing store"); }
    void UpdateControlsForParameter(int index, double value, bool normalised) override
    {
        log_.lines.push_back("update " + std::to_string(index) + " " + std::to_string(value) +
                             (normalised ? " n" : " r"));
    }

private:
    SeamLog& log_;
};

class FakeSurface : public IPlugEditorSurface
{
public:
    explicit FakeSurface(SeamLog& log) : log_(log) {}
    ~FakeSurface() override { log_.lines.push_back("surface deleted"); }
    void AttachToGraphics(IPlugEditor* editor) override
    {
        log_.lines.push_back(editor != nullptr ? "surface attached" : "surface attached to null");
    }

private:
    SeamLog& log_;
};

TEST(PlugBase, EditorSeamCallOrder)
{
    SeamLog log;
    {
        TestPlug plug(2);
        plug.Param(1)->SetClamped(7.5);
        plug.AttachEditor(nullptr);
        EXPECT_EQ(plug.Editor(), nullptr);
        plug.SetEditorSurface(std::make_unique<FakeSurface>(log));
        auto* editor = new FakeEditor(log);
        plug.AttachEditor(editor);
        EXPECT_EQ(plug.Editor(), editor);
        log.lines.push_back("--");
        plug.SetParameterFromHost(0, 0.25);
        plug.PushValuesToEditor();
        EXPECT_TRUE(plug.SetParameterValueFromHost(1, 99.0));
        EXPECT_FALSE(plug.SetParameterValueFromHost(1, std::nan("")));
        log.lines.push_back("--");
        const std::vector<std::pair<int, Source>> hostChanges = {{0, Source::Host},
                                                                 {1, Source::Host}};
        EXPECT_EQ(plug.changes, hostChanges);
        EXPECT_DOUBLE_EQ(plug.Param(0)->Value(), -7.5);
        EXPECT_EQ(plug.Param(1)->Value(), 15.0);
    }
    const std::vector<std::string> expected = {
        "backing store",
        "update 0 0.500000 n",
        "update 1 0.750000 n",
        "surface attached",
        "--",
        "update 0 0.250000 n",
        "update 0 -7.500000 r",
        "update 1 7.500000 r",
        "update 1 1.000000 n",
        "--",
        "editor deleted",
        "surface deleted",
    };
    EXPECT_EQ(log.lines, expected);
}

TEST(PlugBase, PluginLockIsReentrantAndExcludesOtherThreads)
{
    TestPlug plug(1);
    const auto tryFromOtherThread = [&plug]
    {
        return std::async(std::launch::async, [&plug] { return plug.TryLockPlugin().owns_lock(); })
            .get();
    };
    {
        auto outer = plug.LockPlugin();
        auto inner = plug.LockPlugin();
        EXPECT_TRUE(inner.owns_lock());
        // Re-entry through the base's own locking operations must not deadlock either.
        plug.SetParameterFromGUI(0, 0.5);
        EXPECT_FALSE(tryFromOtherThread());
    }
    EXPECT_TRUE(tryFromOtherThread());
}

} // namespace
