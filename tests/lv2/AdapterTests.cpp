// The LV2 adapter's contract, on a small test plug-in: control ports reach the plug-in through
// the host-change path once per change, editor changes go out through the UI link without
// coming back, blocks run through the channel plumbing, the block size grows but never shrinks,
// and the state is stored and restored as the plug-in's own text.

#include "lv2/IPlugLV2.h"
#include "lv2/Lv2Ports.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{

constexpr int kGain = 0;
constexpr int kReset = 1;
constexpr int kMode = 2;
constexpr int kAmount = 3;

struct Change
{
    int index;
    ParameterChangeSource source;
    double value;
};

class TestPlug : public IPlugLV2
{
public:
    TestPlug()
        : IPlugLV2({}, {.parameterCount = 4,
                        .effectName = "Test",
                        .makerName = "Maker",
                        .version = 0x10000,
                        .uniqueId = PackFourCC("TeSt"),
                        .makerId = PackFourCC("MaKr")})
    {
        Param(kGain)->DefineDouble("Gain 0", 0.0, -15.0, 15.0, 0.1, "dB");
        Param(kReset)->DefineBool("Reset EQ", false);
        Param(kMode)->DefineEnum("Mode", 1, 3);
        Param(kMode)->AddDisplayText(0, "Off");
        Param(kMode)->AddDisplayText(1, "Static");
        Param(kMode)->AddDisplayText(2, "Continuous");
        Param(kAmount)->DefineDouble("Eq Amount", 50.0, 0.0, 100.0, 1.0, "%");
    }

    void OnParameterChanged(int index, ParameterChangeSource source) override
    {
        changes.push_back({index, source, Param(index)->Value()});
    }
    void ResetProcessing() override
    {
        ++resets;
        blockSizeAtReset = BlockSize();
        changesAtReset = changes.size();
    }
    // Output 0 = 2 x input 0 + input 1, output 1 = input 1; remembers whether input 1 was
    // silent, then scribbles over the inputs as the product does.
    void ProcessBlock(double** inputs, double** outputs, int frames) noexcept override
    {
        secondInputSilent = true;
        for (int i = 0; i < frames; ++i)
        {
            secondInputSilent = secondInputSilent && inputs[1][i] == 0.0;
            outputs[0][i] = 2.0 * inputs[0][i] + inputs[1][i];
            outputs[1][i] = inputs[1][i];
            inputs[0][i] = inputs[1][i] = 99.0;
        }
        ++blocks;
    }
    bool SerializeState(StateChunk& chunk) override
    {
        return chunk.PutStr("gain=" + std::to_string(Param(kGain)->Value()));
    }
    int DeserializeState(const StateChunk& chunk, int position) override
    {
        std::string text;
        const int end = chunk.GetStr(text, position);
        restoredText = text;
        if (text.rfind("gain=", 0) == 0)
        {
            Param(kGain)->SetClamped(std::stod(text.substr(5)));
        }
        OnParameterChanged(kGain, ParameterChangeSource::Restore);
        return end;
    }

    std::vector<Change> changes;
    int resets = 0;
    int blockSizeAtReset = 0;
    std::size_t changesAtReset = 0;
    int blocks = 0;
    bool secondInputSilent = false;
    std::string restoredText;
};

class RecordingLink : public Lv2HostLink
{
public:
    void WriteControlPort(uint32_t port, float value) override { writes.push_back({port, value}); }
    void TouchControlPort(uint32_t port, bool grabbed) override
    {
        touches.push_back({port, grabbed});
    }
    std::vector<std::pair<uint32_t, float>> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
};

class UridMap
{
public:
    LV2_URID Map(const char* uri)
    {
        auto [it, added] = ids_.emplace(uri, static_cast<LV2_URID>(ids_.size() + 1));
        return it->second;
    }
    LV2_URID_Map* Feature() { return &map_; }

private:
    static LV2_URID MapUri(LV2_URID_Map_Handle handle, const char* uri)
    {
        return static_cast<UridMap*>(handle)->Map(uri);
    }
    std::map<std::string, LV2_URID> ids_;
    LV2_URID_Map map_{this, &UridMap::MapUri};
};

constexpr int kMeters = 2;
constexpr float kMeterValue = -6.5f;

void FillMeters(IPlugLV2& /*plug*/, float* const* ports, int count) noexcept
{
    for (int i = 0; i < count; ++i)
    {
        if (ports[i] != nullptr)
        {
            *ports[i] = kMeterValue;
        }
    }
}

// A plug-in as a host sets it up: configured, every port connected, activated.
class AdapterTest : public ::testing::Test
{
protected:
    void SetUpPlug(int channels, int32_t maxBlock)
    {
        maxBlock_ = maxBlock;
        const LV2_URID intType = urids.Map(LV2_ATOM__Int);
        options_ = {
            {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
             intType, &maxBlock_},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
        };
        mapFeature_ = {LV2_URID__map, urids.Feature()};
        optionsFeature_ = {LV2_OPTIONS__options, options_.data()};
        const LV2_Feature* features[] = {&mapFeature_, maxBlock > 0 ? &optionsFeature_ : nullptr,
                                         nullptr};
        ASSERT_TRUE(plug.Configure(channels, channels, kMeters, &FillMeters, 48000.0, features,
                                   "urn:test#state"));
        const Lv2PortLayout& layout = plug.PortLayout();
        audio.assign(static_cast<std::size_t>(2 * channels), std::vector<float>(4096, 0.0f));
        for (int p = 0; p < layout.FirstParameter(); ++p)
        {
            plug.ConnectPort(static_cast<uint32_t>(p), audio[static_cast<std::size_t>(p)].data());
        }
        for (int i = 0; i < layout.parameters; ++i)
        {
            controls[i] = static_cast<float>(plug.Param(i)->Value());
            plug.ConnectPort(static_cast<uint32_t>(layout.FirstParameter() + i), &controls[i]);
        }
        for (int m = 0; m < kMeters; ++m)
        {
            plug.ConnectPort(static_cast<uint32_t>(layout.FirstMeter() + m), &meters[m]);
        }
        plug.Activate();
        plug.changes.clear();
    }

    void Run(uint32_t frames) { plug.Run(frames); }

    TestPlug plug;
    UridMap urids;
    std::vector<std::vector<float>> audio;
    float controls[4] = {};
    float meters[kMeters] = {};

private:
    int32_t maxBlock_ = 0;
    std::vector<LV2_Options_Option> options_;
    LV2_Feature mapFeature_{};
    LV2_Feature optionsFeature_{};
};

TEST(Lv2PortSymbol, FollowsTheNamingRule)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Gain 17", "gain_17"},
        {"Analyzer dB per led", "analyzer_db_per_led"},
        {"Auto EQ compensation", "auto_eq_compensation"},
        {"Lucky AutoEQ algorithm", "lucky_autoeq_algorithm"},
        {"L + R", "l_r"},
        {"Input", "input"},
        {"3 bands", "_3_bands"},
        {"", "_"},
    };
    for (const auto& [name, symbol] : cases)
    {
        EXPECT_EQ(Lv2PortSymbol(name), symbol) << name;
    }
}

TEST(Lv2PortSymbol, AudioPortsAreNamedByChannelCount)
{
    EXPECT_EQ(Lv2AudioPortSymbol(true, 0, 1), "in");
    EXPECT_EQ(Lv2AudioPortSymbol(false, 0, 1), "out");
    EXPECT_EQ(Lv2AudioPortSymbol(true, 1, 2), "in_r");
    EXPECT_EQ(Lv2AudioPortSymbol(false, 0, 2), "out_l");
    EXPECT_EQ(Lv2AudioPortName(true, 1, 2), "Input R");
}

TEST_F(AdapterTest, WithoutTheUridMapThePlugInRunsButKeepsNoState)
{
    TestPlug other;
    const LV2_Feature* none[] = {nullptr};
    ASSERT_TRUE(other.Configure(2, 2, 0, nullptr, 48000.0, none, "urn:test#state"));
    std::vector<float> in(64, 0.25f);
    std::vector<float> out(64, 0.0f);
    for (uint32_t port = 0; port < 4; ++port)
    {
        other.ConnectPort(port, port < 2 ? in.data() : out.data());
    }
    other.Activate();
    other.Run(64);
    EXPECT_EQ(other.blocks, 1);
    EXPECT_FLOAT_EQ(out[0], 0.25f) << "output 1 is input 1, written last";
    auto store = [](LV2_State_Handle, uint32_t, const void*, size_t, uint32_t, uint32_t)
    { return LV2_STATE_SUCCESS; };
    EXPECT_EQ(other.SaveState(store, nullptr), LV2_STATE_ERR_NO_FEATURE);
}

TEST_F(AdapterTest, AnnouncedBlockLengthsBeyondTheReservedRoomAreCapped)
{
    SetUpPlug(2, INT32_MAX);
    EXPECT_EQ(plug.blockSizeAtReset, IPlugBase::kMaxBlockFrames);
}

TEST_F(AdapterTest, RunOfZeroFramesStillFillsTheMeters)
{
    SetUpPlug(2, 512);
    meters[0] = meters[1] = 0.0f;
    Run(0);
    EXPECT_EQ(meters[0], kMeterValue);
    EXPECT_EQ(meters[1], kMeterValue);
}

TEST_F(AdapterTest, ActivationTakesTheHostsRateAndMaximumBlock)
{
    SetUpPlug(2, 512);
    EXPECT_EQ(plug.resets, 1);
    EXPECT_EQ(plug.blockSizeAtReset, 512);
    EXPECT_DOUBLE_EQ(plug.SampleRate(), 48000.0);
    EXPECT_EQ(plug.ApiKind(), kApiLv2);
}

TEST_F(AdapterTest, FirstActivationAnnouncesEveryParameterThenTheChangedPorts)
{
    TestPlug fresh;
    const LV2_Feature mapFeature{LV2_URID__map, urids.Feature()};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    ASSERT_TRUE(fresh.Configure(2, 2, 0, nullptr, 44100.0, features, "urn:test#state"));
    float values[4] = {0.0f, 0.0f, 2.0f, 50.0f}; // the mode port set away from its default
    for (int i = 0; i < 4; ++i)
    {
        fresh.ConnectPort(static_cast<uint32_t>(fresh.PortLayout().FirstParameter() + i),
                          &values[i]);
    }
    fresh.Activate();
    ASSERT_EQ(fresh.changes.size(), 5u);
    EXPECT_EQ(fresh.changesAtReset, 0u) << "the engine is prepared first";
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(fresh.changes[static_cast<std::size_t>(i)].index, i);
        EXPECT_EQ(fresh.changes[static_cast<std::size_t>(i)].source, ParameterChangeSource::Host);
    }
    EXPECT_DOUBLE_EQ(fresh.changes[kMode].value, 1.0) << "announced as it stood";
    EXPECT_EQ(fresh.changes[4].index, kMode);
    EXPECT_DOUBLE_EQ(fresh.changes[4].value, 2.0);

    // A later activation announces only what changed.
    fresh.changes.clear();
    values[kGain] = 4.5f;
    fresh.Activate();
    ASSERT_EQ(fresh.changes.size(), 1u);
    EXPECT_EQ(fresh.changes[0].index, kGain);
}

TEST_F(AdapterTest, ChangedPortsReachThePlugInOnceWithSourceHost)
{
    SetUpPlug(2, 512);
    controls[kGain] = 6.0f;
    controls[kAmount] = 80.0f;
    Run(64);
    ASSERT_EQ(plug.changes.size(), 2u);
    EXPECT_EQ(plug.changes[0].index, kGain);
    EXPECT_EQ(plug.changes[1].index, kAmount);
    EXPECT_EQ(plug.changes[0].source, ParameterChangeSource::Host);
    EXPECT_NEAR(plug.Param(kGain)->Value(), 6.0, 1e-12);
    EXPECT_DOUBLE_EQ(plug.Param(kAmount)->Value(), 80.0);
    Run(64);
    EXPECT_EQ(plug.changes.size(), 2u) << "an unchanged port is no change";
}

TEST_F(AdapterTest, PortValuesPassThroughTheParameterMapping)
{
    SetUpPlug(2, 512);
    const struct
    {
        int index;
        float port;
        double expected;
    } cases[] = {
        {kAmount, 50.5f, 51.0}, // whole steps, halves away from zero
        {kGain, 40.0f, 15.0},   // clamped into the range
        {kMode, 1.5f, 1.5},     // enumerations keep the framework's 0.1 resolution
        {kReset, 1.0f, 1.0},
    };
    for (const auto& c : cases)
    {
        controls[c.index] = c.port;
        Run(16);
        EXPECT_NEAR(plug.Param(c.index)->Value(), c.expected, 1e-9) << c.index;
    }
}

TEST_F(AdapterTest, MomentaryCommandsReactOnEveryChange)
{
    SetUpPlug(2, 512);
    for (const float value : {1.0f, 0.0f, 1.0f})
    {
        controls[kReset] = value;
        Run(16);
    }
    ASSERT_EQ(plug.changes.size(), 3u);
    EXPECT_DOUBLE_EQ(plug.changes[2].value, 1.0);
}

TEST_F(AdapterTest, NonFiniteHostValuesAreIgnored)
{
    SetUpPlug(2, 512);
    controls[kGain] = 3.0f;
    Run(16);
    for (const float bad : {NAN, INFINITY, -INFINITY})
    {
        controls[kGain] = bad;
        Run(16);
    }
    EXPECT_EQ(plug.changes.size(), 1u);
    EXPECT_NEAR(plug.Param(kGain)->Value(), 3.0, 1e-12);
}

TEST_F(AdapterTest, EditorChangesGoToTheHostAndAreNotAppliedTwice)
{
    SetUpPlug(2, 512);
    RecordingLink link;
    plug.SetHostLink(&link);
    const uint32_t gainPort = static_cast<uint32_t>(plug.PortLayout().FirstParameter() + kGain);

    plug.BeginHostGesture(kGain);
    plug.SetParameterFromGUI(kGain, plug.Param(kGain)->ToNormalized(-4.5));
    plug.EndHostGesture(kGain);
    ASSERT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(link.writes[0].first, gainPort);
    EXPECT_FLOAT_EQ(link.writes[0].second, -4.5f);
    ASSERT_EQ(link.touches.size(), 2u);
    EXPECT_EQ(link.touches[0], std::make_pair(gainPort, true));
    EXPECT_EQ(link.touches[1], std::make_pair(gainPort, false));

    // A block before the host's write arrives sees the old port value: no change.
    Run(16);
    EXPECT_NEAR(plug.Param(kGain)->Value(), -4.5, 1e-9);
    // The host's write arrives: the same value, no second reaction.
    controls[kGain] = link.writes[0].second;
    Run(16);
    ASSERT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.changes[0].source, ParameterChangeSource::Editor);
    // A later host change is applied again.
    controls[kGain] = 2.0f;
    Run(16);
    ASSERT_EQ(plug.changes.size(), 2u);
    EXPECT_EQ(plug.changes[1].source, ParameterChangeSource::Host);
    plug.SetHostLink(nullptr);
}

TEST_F(AdapterTest, StereoBlocksRunThroughTheChannelPlumbingInPlaceSafely)
{
    SetUpPlug(2, 512);
    for (int i = 0; i < 100; ++i)
    {
        audio[0][static_cast<std::size_t>(i)] = 0.25f;
        audio[1][static_cast<std::size_t>(i)] = -0.5f;
    }
    // Output ports on the input buffers: the host may process in place.
    plug.ConnectPort(2, audio[0].data());
    plug.ConnectPort(3, audio[1].data());
    Run(100);
    EXPECT_FLOAT_EQ(audio[0][0], 0.0f); // 2 x 0.25 - 0.5
    EXPECT_FLOAT_EQ(audio[1][99], -0.5f);
    EXPECT_FALSE(plug.secondInputSilent);
    EXPECT_FLOAT_EQ(meters[0], kMeterValue);
    EXPECT_FLOAT_EQ(meters[1], kMeterValue);
}

TEST_F(AdapterTest, MonoProcessesTheSecondChannelFromSilenceEveryBlock)
{
    SetUpPlug(1, 512);
    std::fill_n(audio[0].begin(), 64, 0.5f);
    for (int block = 0; block < 3; ++block)
    {
        Run(64);
        EXPECT_TRUE(plug.secondInputSilent) << block;
        EXPECT_FLOAT_EQ(audio[1][63], 1.0f);
    }
}

TEST_F(AdapterTest, TheBlockSizeGrowsButDoesNotShrink)
{
    SetUpPlug(2, 256);
    plug.resets = 0;
    Run(256);
    Run(100);
    Run(1);
    EXPECT_EQ(plug.resets, 0) << "smaller blocks keep the analysis running";
    Run(1000);
    EXPECT_EQ(plug.resets, 1);
    EXPECT_EQ(plug.BlockSize(), 1000);
    Run(0);
    EXPECT_EQ(plug.blocks, 4) << "a block of 0 frames processes nothing";
}

TEST_F(AdapterTest, WithoutBlockLengthOptionsTheDefaultBlockSizeApplies)
{
    SetUpPlug(2, 0);
    EXPECT_EQ(plug.blockSizeAtReset, IPlugLV2::kDefaultBlockSize);
}

struct StoredState
{
    uint32_t key = 0;
    std::vector<char> bytes;
    uint32_t type = 0;
    uint32_t flags = 0;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                       uint32_t type, uint32_t flags)
{
    auto* state = static_cast<StoredState*>(handle);
    state->key = key;
    state->bytes.assign(static_cast<const char*>(value), static_cast<const char*>(value) + size);
    state->type = type;
    state->flags = flags;
    return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags)
{
    auto* state = static_cast<StoredState*>(handle);
    if (key != state->key || state->bytes.empty())
    {
        return nullptr;
    }
    *size = state->bytes.size();
    *type = state->type;
    *flags = state->flags;
    return state->bytes.data();
}

TEST_F(AdapterTest, StateIsStoredAsTheSavedTextAndRestoredThroughDeserializeState)
{
    SetUpPlug(2, 512);
    controls[kGain] = 7.5f;
    Run(16);
    StoredState state;
    ASSERT_EQ(plug.SaveState(&Store, &state), LV2_STATE_SUCCESS);
    EXPECT_EQ(state.key, urids.Map("urn:test#state"));
    EXPECT_EQ(state.type, urids.Map(LV2_ATOM__String));
    EXPECT_EQ(state.flags, static_cast<uint32_t>(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
    EXPECT_EQ(std::string(state.bytes.data()), "gain=7.500000");

    // The host restores the state, then puts the ports back to the values saved with it (here
    // an older value): the restored parameter stands.
    controls[kGain] = 1.0f;
    Run(16);
    plug.changes.clear();
    ASSERT_EQ(plug.RestoreState(&Retrieve, &state), LV2_STATE_SUCCESS);
    EXPECT_EQ(plug.restoredText, "gain=7.500000");
    controls[kGain] = -2.0f;
    Run(16);
    EXPECT_NEAR(plug.Param(kGain)->Value(), 7.5, 1e-9);
    ASSERT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.changes[0].source, ParameterChangeSource::Restore);
    // Later port changes are host changes again.
    controls[kGain] = -3.0f;
    Run(16);
    EXPECT_NEAR(plug.Param(kGain)->Value(), -3.0, 1e-9);
}

TEST_F(AdapterTest, RestoreRejectsAMissingOrForeignProperty)
{
    SetUpPlug(2, 512);
    StoredState empty;
    EXPECT_EQ(plug.RestoreState(&Retrieve, &empty), LV2_STATE_ERR_NO_PROPERTY);
    StoredState foreign{urids.Map("urn:test#state"), {'1', '2'}, urids.Map(LV2_ATOM__Int), 0};
    EXPECT_EQ(plug.RestoreState(&Retrieve, &foreign), LV2_STATE_ERR_BAD_TYPE);
    EXPECT_TRUE(plug.restoredText.empty());
}

} // namespace
