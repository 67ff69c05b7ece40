// The built bundle under hosts that do less, or stranger things, than a well-behaved one: no
// features at all, rates outside the supported range, an absurd maximum block length, run(0),
// re-activation after loud audio, and a state restored before the first activation.

#include "lv2/host/LilvHost.h"

#include <gtest/gtest.h>

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

const char* const kStereoUri = "https://vantor.audio/plugins/kestrune#stereo";

lv2host::World& SharedWorld()
{
    static lv2host::World world(KESTRUNE_LV2_BUNDLE_DIR);
    return world;
}

// One instance made with exactly the features a test gives, every port connected to a buffer
// of its own: audio ports to `bufferFrames` floats, control inputs at their defaults.
class RawInstance
{
public:
    RawInstance(double sampleRate, const LV2_Feature* const* features, uint32_t bufferFrames = 4096)
    {
        const LilvPlugin* plugin = SharedWorld().FindPlugin(kStereoUri);
        if (plugin == nullptr)
        {
            throw lv2host::HostError("the stereo plug-in is not in the bundle");
        }
        instance_ = lilv_plugin_instantiate(plugin, sampleRate, features);
        if (instance_ == nullptr)
        {
            return;
        }
        LilvWorld* world = SharedWorld().Get();
        LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
        LilvNode* inputClass = lilv_new_uri(world, LV2_CORE__InputPort);
        const uint32_t count = lilv_plugin_get_num_ports(plugin);
        std::vector<float> defaults(count, 0.0f);
        lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
        controls_.assign(count, 0.0f);
        audio_.resize(count);
        for (uint32_t p = 0; p < count; ++p)
        {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
            symbols_.emplace_back(lilv_node_as_string(lilv_port_get_symbol(plugin, port)));
            if (lilv_port_is_a(plugin, port, audioClass))
            {
                audio_[p].assign(bufferFrames, 0.0f);
                (lilv_port_is_a(plugin, port, inputClass) ? ins_ : outs_).push_back(p);
                lilv_instance_connect_port(instance_, p, audio_[p].data());
            }
            else
            {
                controls_[p] = std::isnan(defaults[p]) ? 0.0f : defaults[p];
                lilv_instance_connect_port(instance_, p, &controls_[p]);
            }
        }
        lilv_node_free(audioClass);
        lilv_node_free(inputClass);
    }
    ~RawInstance()
    {
        if (instance_ != nullptr)
        {
            lilv_instance_free(instance_);
        }
    }
    RawInstance(const RawInstance&) = delete;
    RawInstance& operator=(const RawInstance&) = delete;

    bool Loaded() const { return instance_ != nullptr; }
    LilvInstance* Raw() const { return instance_; }

    float& Control(const std::string& symbol)
    {
        for (std::size_t p = 0; p < symbols_.size(); ++p)
        {
            if (symbols_[p] == symbol)
            {
                return controls_[p];
            }
        }
        throw lv2host::HostError("no port " + symbol);
    }
    std::vector<float>& In(int channel) { return audio_[ins_[static_cast<std::size_t>(channel)]]; }
    std::vector<float>& Out(int channel)
    {
        return audio_[outs_[static_cast<std::size_t>(channel)]];
    }

    // Fills both inputs with noise of the given peak, runs `frames` and returns the output peak.
    float Run(uint32_t frames, float inputPeak)
    {
        std::uniform_real_distribution<float> noise(-inputPeak, inputPeak);
        for (int c = 0; c < 2; ++c)
        {
            for (uint32_t i = 0; i < frames; ++i)
            {
                In(c)[i] = inputPeak > 0.0f ? noise(random_) : 0.0f;
            }
        }
        lilv_instance_run(instance_, frames);
        float peak = 0.0f;
        for (int c = 0; c < 2; ++c)
        {
            for (uint32_t i = 0; i < frames; ++i)
            {
                peak = std::isfinite(Out(c)[i]) ? std::max(peak, std::fabs(Out(c)[i])) : INFINITY;
            }
        }
        return peak;
    }

private:
    LilvInstance* instance_ = nullptr;
    std::vector<std::string> symbols_;
    std::vector<float> controls_;
    std::vector<std::vector<float>> audio_;
    std::vector<uint32_t> ins_;
    std::vector<uint32_t> outs_;
    std::mt19937 random_{3};
};

const LV2_Feature* const kNoFeatures[] = {nullptr};

// ecasound and lv2apply pass no features: the plug-in runs all the same; only its state, which
// needs URIDs, is unavailable.
TEST(HostileHost, WithoutAnyFeatureThePlugInProcesses)
{
    RawInstance plug(48000.0, kNoFeatures);
    ASSERT_TRUE(plug.Loaded());
    lilv_instance_activate(plug.Raw());
    const float flatPeak = plug.Run(4096, 0.25f);
    EXPECT_GT(flatPeak, 0.0f);
    EXPECT_LE(flatPeak, 0.5f);
    plug.Control("input") = -15.0f;
    plug.Run(4096, 0.25f);
    EXPECT_LT(plug.Run(4096, 0.25f), 0.5f * flatPeak) << "the input gain reaches the plug-in";

    const auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(plug.Raw(), LV2_STATE__interface));
    ASSERT_NE(state, nullptr);
    auto store = [](LV2_State_Handle, uint32_t, const void*, size_t, uint32_t, uint32_t)
    { return LV2_STATE_SUCCESS; };
    EXPECT_EQ(state->save(lilv_instance_get_handle(plug.Raw()), store, nullptr, 0, nullptr),
              LV2_STATE_ERR_NO_FEATURE);
    lilv_instance_deactivate(plug.Raw());
}

TEST(HostileHost, RatesOutsideTheSupportedRangeAreRefused)
{
    for (double rate : {0.0, 4000.0, 7999.0, 768001.0, 1e9, std::nan("")})
    {
        RawInstance plug(rate, kNoFeatures);
        EXPECT_FALSE(plug.Loaded()) << rate;
    }
    for (double rate : {8000.0, 11025.0, 768000.0})
    {
        RawInstance plug(rate, kNoFeatures);
        ASSERT_TRUE(plug.Loaded()) << rate;
        lilv_instance_activate(plug.Raw());
        plug.Control("gain_30") = 15.0f; // not carried below 44.1 kHz
        plug.Control("auto_eq") = 2.0f;
        for (int block = 0; block < 20; ++block)
        {
            ASSERT_LT(plug.Run(512, 0.5f), 4.0f) << rate;
        }
        lilv_instance_deactivate(plug.Raw());
    }
}

// A host announcing INT_MAX as its largest block gets buffers of the reserved room, and a
// block far longer than that runs in slices.
TEST(HostileHost, AHugeMaximumBlockLengthAllocatesNothingMore)
{
    lv2host::UridTable& urids = SharedWorld().Urids();
    int32_t maxBlock = INT_MAX;
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
         urids.Map(LV2_ATOM__Int), &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    const LV2_Feature map{LV2_URID__map, urids.MapFeature()};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                     const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature* features[] = {&map, &optionsFeature, nullptr};
    RawInstance plug(48000.0, features, 40000);
    ASSERT_TRUE(plug.Loaded());
    lilv_instance_activate(plug.Raw());
    plug.Control("gain_17") = 6.0f;
    const float peak = plug.Run(40000, 0.25f);
    EXPECT_GT(peak, 0.0f);
    EXPECT_LT(peak, 2.0f);
    lilv_instance_deactivate(plug.Raw());
}

// run(0) applies the control inputs and reports the control outputs.
TEST(HostileHost, RunOfZeroFramesUpdatesTheOutputPorts)
{
    RawInstance plug(48000.0, kNoFeatures);
    ASSERT_TRUE(plug.Loaded());
    lilv_instance_activate(plug.Raw());
    plug.Control("gain_5") = 7.0f;
    plug.Control("applied_gain_5") = -99.0f;
    lilv_instance_run(plug.Raw(), 0);
    EXPECT_FLOAT_EQ(plug.Control("applied_gain_5"), 7.0f);
    lilv_instance_deactivate(plug.Raw());
}

// LV2's activate() resets the plug-in as if new: a 20 Hz boost fed loud noise rings for seconds,
// but not across a deactivation.
TEST(HostileHost, ActivationForgetsTheAudioHeardBefore)
{
    RawInstance plug(48000.0, kNoFeatures);
    ASSERT_TRUE(plug.Loaded());
    plug.Control("gain_0") = 15.0f;
    plug.Control("eq_amount") = 100.0f;
    lilv_instance_activate(plug.Raw());
    for (int block = 0; block < 40; ++block)
    {
        plug.Run(512, 1.0f);
    }
    ASSERT_GT(plug.Run(512, 0.0f), 0.01f) << "the boosted band rings on within one activation";
    lilv_instance_deactivate(plug.Raw());
    lilv_instance_activate(plug.Raw());
    EXPECT_LT(plug.Run(512, 0.0f), 1e-5f);
    lilv_instance_deactivate(plug.Raw());
}

// A state saved while "Reset EQ" was left on (host automation) comes back with its gains, also
// when the host restores it before the first activation and then announces every port.
TEST(HostileHost, AStateWithResetEqOnKeepsItsGains)
{
    std::string saved;
    {
        lv2host::Instance first(SharedWorld(), kStereoUri, 48000.0, 512);
        first.Activate();
        first.SetControl("reset_eq", 1.0f);
        const float silence[512] = {};
        float out[2][512];
        const float* in[] = {silence, silence};
        float* outs[] = {out[0], out[1]};
        first.Run(in, outs, 512);
        first.SetControl("gain_10", 6.0f);
        first.Run(in, outs, 512);
        ASSERT_FLOAT_EQ(first.Control("applied_gain_10"), 6.0f);
        saved = first.SaveState();
    }
    lv2host::Instance second(SharedWorld(), kStereoUri, 48000.0, 512);
    second.RestoreState(saved);
    second.Activate();
    const float silence[512] = {};
    float out[2][512];
    const float* in[] = {silence, silence};
    float* outs[] = {out[0], out[1]};
    second.Run(in, outs, 512);
    EXPECT_FLOAT_EQ(second.Control("applied_gain_10"), 6.0f);
    EXPECT_FLOAT_EQ(second.Control("gain_10"), 6.0f);
}

} // namespace
