// The adapter linked directly, around a small test plug-in that records what reaches it, and
// the effect description built into a recording collection.

#include "aax/AAX_CIPlugTaperDelegate.h"
#include "aax/AAX_EffectDescription.h"
#include "aax/IPlugAAX.h"
#include "aax/host/AaxHost.h"
#include "aax/sdk/AAX_CParameter.h"
#include "aax/sdk/AAX_Description.h"
#include "framework/IPlugTrace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

class RecordingEditor final : public IPlugEditor
{
public:
    struct Update
    {
        int index;
        double value;
        bool normalised;
    };
    void CreateBackingStore() override {}
    void UpdateControlsForParameter(int paramIndex, double value, bool normalised) override
    {
        updates.push_back({paramIndex, value, normalised});
    }
    std::vector<Update> updates;
};

// Three parameters: a gain, a mode of three values of which only two have texts, a switch.
class TestPlug final : public IPlugAAX
{
public:
    TestPlug()
        : IPlugAAX({}, {.parameterCount = 3,
                        .effectName = "TestPlug",
                        .makerName = "Tester",
                        .version = 0x10000,
                        .uniqueId = AAX_FourCC("TsPl"),
                        .makerId = AAX_FourCC("TsMk")})
    {
        Param(0)->DefineDouble("Gain", 0.0, -15.0, 15.0, 0.1, "dB");
        Param(1)->DefineEnum("Mode", 0, 3);
        Param(1)->AddDisplayText(0, "First");
        Param(1)->AddDisplayText(1, "Second");
        Param(2)->DefineBool("Switch", true);
        editor = new RecordingEditor;
        AttachEditor(editor);
        editor->updates.clear();
    }
    void ResetProcessing() override { ++resets; }
    void OnParameterChanged(int index, ParameterChangeSource source) override
    {
        changes.emplace_back(index, source);
    }
    void ProcessBlock(double** inputs, double** outputs, int frames) noexcept override
    {
        ++blocks;
        IPlugBase::ProcessBlock(inputs, outputs, frames);
    }

    RecordingEditor* editor = nullptr;
    int resets = 0;
    int blocks = 0;
    std::vector<std::pair<int, ParameterChangeSource>> changes;
};

class AdapterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(plug.Initialize(&controller, &automation), AAX_SUCCESS);
        automation.Connect(&plug);
    }
    void RenderBlock(int frames)
    {
        std::vector<float> left(static_cast<size_t>(frames), 0.5f);
        std::vector<float> right(static_cast<size_t>(frames), -0.5f);
        std::vector<float> outLeft(static_cast<size_t>(frames));
        std::vector<float> outRight(static_cast<size_t>(frames));
        float* in[] = {left.data(), right.data()};
        float* out[] = {outLeft.data(), outRight.data()};
        int32_t frameCount = frames;
        AAX_SRenderContext context;
        context.fields[0] = in;
        context.fields[1] = out;
        context.fields[3] = &frameCount;
        plug.Render(&context);
        lastOutLeft = outLeft;
    }

    aaxhost::Controller controller{AAX_eStemFormat_Stereo, AAX_eStemFormat_Stereo, 48000.0f};
    aaxhost::Automation automation;
    TestPlug plug;
    std::vector<float> lastOutLeft;
};

std::string ValueText(const AAX_IParameter* parameter)
{
    char text[64] = {};
    parameter->GetValueString(text, sizeof text);
    return text;
}

std::string TextAt(const AAX_IParameter* parameter, double normalized)
{
    char text[64] = {};
    parameter->GetNormalizedValueString(normalized, text, sizeof text);
    return text;
}

TEST_F(AdapterTest, ConstructionAndInitialisation)
{
    TestPlug fresh;
    EXPECT_EQ(fresh.BlockSize(), 1024);
    EXPECT_EQ(fresh.HostId(), kHostProTools);
    EXPECT_EQ(fresh.ApiKind(), kApiAax);
    EXPECT_TRUE(fresh.IsInputConnected(1));
    EXPECT_TRUE(fresh.IsOutputConnected(1));
    EXPECT_TRUE(fresh.HasLatencyDelayLine());

    EXPECT_DOUBLE_EQ(plug.SampleRate(), 48000.0);
    EXPECT_EQ(plug.resets, 1);
    EXPECT_TRUE(plug.changes.empty()); // values reach the plug-in only through host updates
    EXPECT_EQ(plug.GetNumberOfParameters(), 4);
    EXPECT_STREQ(plug.ParameterIdentifier(0), "1");
    EXPECT_STREQ(plug.ParameterIdentifier(2), "3");
    EXPECT_EQ(plug.ParameterIdentifier(3), nullptr);
}

TEST_F(AdapterTest, StringDisplayOfAValueWithoutText)
{
    const AAX_IParameter* mode = plug.GetParameterByID("2");
    EXPECT_EQ(mode->NumberOfSteps(), 2); // one step per display text
    EXPECT_EQ(TextAt(mode, 0.0), "First");
    EXPECT_EQ(TextAt(mode, 0.5), "Second");
    EXPECT_EQ(TextAt(mode, 1.0), "String Not Found");
    EXPECT_EQ(ValueText(plug.GetParameterByID("3")), "on");
    EXPECT_EQ(TextAt(plug.GetParameterByID("1"), 0.55), "1.50 dB");
}

TEST_F(AdapterTest, HostUpdateReachesParameterEditorAndReaction)
{
    ASSERT_EQ(plug.HostUpdatesParameter("1", 0.5), AAX_SUCCESS);
    EXPECT_DOUBLE_EQ(plug.Param(0)->Value(), 0.0);
    ASSERT_EQ(plug.editor->updates.size(), 1u);
    EXPECT_EQ(plug.editor->updates[0].index, 0);
    EXPECT_DOUBLE_EQ(plug.editor->updates[0].value, 0.5);
    EXPECT_TRUE(plug.editor->updates[0].normalised);
    ASSERT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.changes[0], std::make_pair(0, ParameterChangeSource::Host));

    // The bypass belongs to the host alone.
    ASSERT_EQ(plug.HostUpdatesParameter("MasterBypassID", 1.0), AAX_SUCCESS);
    EXPECT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.HostUpdatesParameter("4", 1.0), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ(plug.HostUpdatesParameter(nullptr, 1.0), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ(plug.changes.size(), 1u);
}

TEST_F(AdapterTest, FirstRenderResetsForTheHostsBlockSizeOnce)
{
    const int resetsBefore = plug.resets;
    RenderBlock(64);
    EXPECT_EQ(plug.BlockSize(), 64);
    EXPECT_EQ(plug.resets, resetsBefore + 1);
    EXPECT_EQ(lastOutLeft, std::vector<float>(64, 0.5f)); // the first block is not lost
    RenderBlock(64);
    EXPECT_EQ(plug.resets, resetsBefore + 1);
    EXPECT_EQ(plug.blocks, 2);
    RenderBlock(0); // nothing to render
    EXPECT_EQ(plug.BlockSize(), 64);
    EXPECT_EQ(plug.blocks, 2);
}

std::vector<std::string> traced;
void RecordTrace(const char* text)
{
    traced.emplace_back(text);
}

TEST_F(AdapterTest, RenderTracesThroughTheHookNotStandardOutput)
{
    traced.clear();
    const TraceHook previous = CurrentTraceHook();
    SetTraceHook(RecordTrace);
    ::testing::internal::CaptureStdout();
    RenderBlock(32);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    SetTraceHook(previous);
    EXPECT_EQ(printed, "");
    ASSERT_EQ(traced.size(), 1u);
    EXPECT_EQ(traced[0], "attach input buffers: 0 - 2\n");
}

TEST_F(AdapterTest, GesturesAndChangesGoToTheHost)
{
    automation.ClearEvents();
    plug.BeginHostGesture(0);
    plug.NotifyHostOfChange(0, 0.75);
    plug.EndHostGesture(0);
    plug.BeginHostGesture(7); // no such parameter: ignored
    using Kind = aaxhost::Automation::Event::Kind;
    const auto& events = automation.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, Kind::Touch);
    EXPECT_EQ(events[1].kind, Kind::SetValue);
    EXPECT_EQ(events[1].identifier, "1");
    EXPECT_DOUBLE_EQ(events[1].normalized, 0.75);
    EXPECT_EQ(events[2].kind, Kind::Release);
    // The host answered the request with a host update.
    EXPECT_DOUBLE_EQ(plug.Param(0)->Value(), 7.5);
    EXPECT_EQ(plug.changes.back(), std::make_pair(0, ParameterChangeSource::Host));

    const int32_t changes = plug.NumberOfChanges();
    plug.MarkChanged();
    EXPECT_EQ(plug.NumberOfChanges(), changes + 1);
    plug.SetLatencySamples(12);
    EXPECT_EQ(controller.Latency(), 12);
    EXPECT_EQ(plug.Latency(), 12);
}

TEST_F(AdapterTest, PrivateDataOfTheInstanceField)
{
    alignas(void*) unsigned char block[16];
    std::fill(std::begin(block), std::end(block), 0xAB);
    ASSERT_EQ(plug.ProvidePrivateData(8, block, sizeof(void*)), AAX_SUCCESS);
    AAX_CIPlugParameters* stored = nullptr;
    std::memcpy(&stored, block, sizeof stored);
    EXPECT_EQ(stored, static_cast<AAX_CIPlugParameters*>(&plug));

    std::fill(std::begin(block), std::end(block), 0xAB);
    ASSERT_EQ(plug.ProvidePrivateData(5, block, 4), AAX_SUCCESS);
    EXPECT_EQ(block[0] | block[1] | block[2] | block[3], 0);
    EXPECT_EQ(block[4], 0xAB);
    if (sizeof(void*) > 4)
    {
        // Too small for a pointer: nothing half-written.
        std::fill(std::begin(block), std::end(block), 0xAB);
        EXPECT_EQ(plug.ProvidePrivateData(8, block, 4), AAX_ERROR_INVALID_ARGUMENT);
        EXPECT_EQ(block[0] | block[1] | block[2] | block[3], 0);
        EXPECT_EQ(block[4], 0xAB);
    }
}

TEST(IPlugTaperDelegate, MapsLikeThePluginsParameter)
{
    const struct
    {
        double shape;
        double normalized;
        double real;
    } toReal[] = {
        {1.0, 0.5, 0.0},
        {1.0, 0.0, -15.0},
        {1.0, 1.0, 15.0},
        {1.0, 1.5, 15.0},
        {1.0, -0.5, -15.0},
        {2.0, 0.5, -7.5},
        {1.0, std::numeric_limits<double>::quiet_NaN(), -15.0},
    };
    for (const auto& c : toReal)
    {
        SCOPED_TRACE(c.normalized);
        const AAX_CIPlugTaperDelegate taper(-15.0, 15.0, c.shape);
        EXPECT_DOUBLE_EQ(taper.NormalizedToReal(c.normalized), c.real);
    }
    const struct
    {
        double shape;
        double real;
        double normalized;
    } toNormalized[] = {{1.0, 0.0, 0.5}, {1.0, 20.0, 1.0}, {1.0, -40.0, 0.0}, {2.0, -7.5, 0.5}};
    for (const auto& c : toNormalized)
    {
        SCOPED_TRACE(c.real);
        const AAX_CIPlugTaperDelegate taper(-15.0, 15.0, c.shape);
        EXPECT_DOUBLE_EQ(taper.RealToNormalized(c.real), c.normalized);
    }
    const AAX_CIPlugTaperDelegate taper(0.0, 100.0, 1.0);
    const auto copy = taper.Clone();
    EXPECT_EQ(copy->GetMinimumValue(), 0.0);
    EXPECT_EQ(copy->GetMaximumValue(), 100.0);
    EXPECT_EQ(copy->ConstrainRealValue(140.0), 100.0);
    EXPECT_DOUBLE_EQ(copy->NormalizedToReal(0.505), 50.5);
}

TEST(DisplayDelegates, Texts)
{
    const AAX_CNumberDisplayDelegate<double> number(2);
    EXPECT_EQ(number.ValueToString(1.5), "1.50");
    EXPECT_EQ(AAX_CUnitDisplayDelegateDecorator<double>(number, "dB").ValueToString(-4.5),
              "-4.50 dB");
    EXPECT_EQ(AAX_CUnitDisplayDelegateDecorator<double>(number, "").ValueToString(50.0), "50.00");
    const AAX_CBinaryDisplayDelegate binary("bypass", "on");
    EXPECT_EQ(binary.ValueToString(false), "bypass");
    EXPECT_EQ(binary.ValueToString(true), "on");
    const AAX_CStringDisplayDelegate<int> strings({{0, "Off"}, {2, "Continuous"}});
    EXPECT_EQ(strings.ValueToString(2), "Continuous");
    EXPECT_EQ(strings.ValueToString(1), "String Not Found");
    int value = -1;
    EXPECT_TRUE(strings.StringToValue("Continuous", &value));
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(strings.StringToValue("Static", &value));
}

TEST(ParameterManager, RefusesDuplicateIdentifiers)
{
    AAX_CParameterManager manager;
    const auto make = [](const char* id)
    {
        return std::make_unique<AAX_CParameter<bool>>(id, "B", false, AAX_CBinaryTaperDelegate(),
                                                      AAX_CBinaryDisplayDelegate("off", "on"),
                                                      true);
    };
    EXPECT_EQ(manager.AddParameter(make("a")), AAX_SUCCESS);
    EXPECT_EQ(manager.AddParameter(make("a")), AAX_ERROR_DUPLICATE_PARAMETER_ID);
    EXPECT_EQ(manager.AddParameter(nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(manager.NumParameters(), 1);
    EXPECT_NE(manager.GetParameterByID("a"), nullptr);
    EXPECT_EQ(manager.GetParameterByID("b"), nullptr);
}

// ---- effect description ------------------------------------------------------------------

AAXEffectDescription Description(const char* channelIOs)
{
    AAXEffectDescription d;
    d.effectNames = "TestPlug\n";
    d.manufacturerNames = "Tester\n";
    d.channelIOs = channelIOs;
    d.manufacturerId = AAX_FourCC("TsMk");
    d.productId = AAX_FourCC("TsPl");
    d.nativeIds[0] = AAX_FourCC("EFN1");
    d.nativeIds[1] = AAX_FourCC("EFN2");
    d.audioSuiteIds[0] = AAX_FourCC("EFA1");
    d.audioSuiteIds[1] = AAX_FourCC("EFA2");
    d.version = 0x10000;
    d.effectId = "com.tester.testplug";
    return d;
}

struct ComponentSummary
{
    uint32_t input;
    uint32_t output;
    uint32_t native;
    int32_t audioSuite; // -1: not set
    bool operator==(const ComponentSummary&) const = default;
};

std::vector<ComponentSummary> Summaries(const AAX_SCollectionRecord& record)
{
    std::vector<ComponentSummary> summaries;
    for (const AAX_SComponentRecord& component : record.effects.at(0).second.components)
    {
        const AAX_SProcessProc& proc = component.processProcs.at(0);
        summaries.push_back(
            {static_cast<uint32_t>(aaxhost::PropertyValue(proc, AAX_eProperty_InputStemFormat, 0)),
             static_cast<uint32_t>(aaxhost::PropertyValue(proc, AAX_eProperty_OutputStemFormat, 0)),
             static_cast<uint32_t>(aaxhost::PropertyValue(proc, AAX_eProperty_PlugInID_Native, 0)),
             aaxhost::PropertyValue(proc, AAX_eProperty_PlugInID_AudioSuite, -1)});
    }
    return summaries;
}

TEST(EffectDescription, ChannelStrings)
{
    const auto efn1 = AAX_FourCC("EFN1");
    const auto efn2 = AAX_FourCC("EFN2");
    const auto efa1 = static_cast<int32_t>(AAX_FourCC("EFA1"));
    const auto efa2 = static_cast<int32_t>(AAX_FourCC("EFA2"));
    const struct
    {
        const char* channelIOs;
        std::vector<ComponentSummary> components;
    } cases[] = {
        {"1-1 2-2", {{0x1, 0x1, efn1, efa1}, {0x10002, 0x10002, efn2, efa2}}},
        {"2-2", {{0x10002, 0x10002, efn1, efa1}}},
        {"0-2", {{0x1, 0x10002, efn1, efa1}}},
        {"1-0", {{0x1, 0xFF9C0000, efn1, efa1}}},
        {"8-9", {{0xC0008, 0xFF9C0000, efn1, efa1}}},
        {"x 1- 2-2", {{0x10002, 0x10002, efn1, efa1}}},
        {"1-1 2-2 6-6", {{0x1, 0x1, efn1, efa1}, {0x10002, 0x10002, efn2, efa2}}},
        {"", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.channelIOs);
        AAX_CCollection collection;
        ::testing::internal::CaptureStdout();
        const AAX_Result result = DescribeEffectWith(&collection, Description(c.channelIOs));
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(result, AAX_SUCCESS);
        EXPECT_EQ(Summaries(*collection.Record()), c.components);
    }
}

TEST(EffectDescription, AudioSuiteIdentifierNoneIsLeftOut)
{
    AAXEffectDescription d = Description("2-2");
    d.audioSuiteIds[0] = AAX_TypeIDNone;
    AAX_CCollection collection;
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(DescribeEffectWith(&collection, d), AAX_SUCCESS);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "***** inputs 2 *****\n");
    EXPECT_EQ(Summaries(*collection.Record()).at(0).audioSuite, -1);
}

TEST(EffectDescription, StemFormats)
{
    const uint32_t expected[] = {0xFF9C0000, 0x00000001, 0x00010002, 0x00020003, 0x00040004,
                                 0x00050005, 0x00060006, 0x00080007, 0x000C0008, 0xFF9C0000};
    for (int channels = 0; channels < 10; ++channels)
    {
        EXPECT_EQ(StemFormatForChannels(channels), expected[channels]) << channels;
    }
    EXPECT_EQ(StemFormatForChannels(-1), 0xFF9C0000u);
}

// A collection that fails on demand, wrapping the stock one.
class FailingCollection final : public AAX_ICollection
{
public:
    class FailingEffect final : public AAX_IEffectDescriptor
    {
    public:
        explicit FailingEffect(AAX_IEffectDescriptor& inner) : inner_(inner) {}
        AAX_IComponentDescriptor* NewComponentDescriptor() override
        {
            return inner_.NewComponentDescriptor();
        }
        AAX_Result AddComponent(const AAX_IComponentDescriptor* c) override
        {
            return inner_.AddComponent(c);
        }
        AAX_Result AddName(const char*) override { return AAX_ERROR_INVALID_ARGUMENT; }
        AAX_Result AddCategory(uint32_t category) override { return inner_.AddCategory(category); }
        AAX_Result AddProcPtr(AAX_ProcPtr proc, int32_t id) override
        {
            return inner_.AddProcPtr(proc, id);
        }

    private:
        AAX_IEffectDescriptor& inner_;
    };

    explicit FailingCollection(bool giveDescriptor) : giveDescriptor_(giveDescriptor) {}
    AAX_IEffectDescriptor* NewDescriptor() override
    {
        if (!giveDescriptor_)
        {
            return nullptr;
        }
        effect_ = std::make_unique<FailingEffect>(*inner_.NewDescriptor());
        return effect_.get();
    }
    AAX_Result AddEffect(const char*, const AAX_IEffectDescriptor*) override
    {
        ++effectsAdded;
        return AAX_SUCCESS;
    }
    AAX_Result SetManufacturerName(const char* name) override
    {
        return inner_.SetManufacturerName(name);
    }
    AAX_Result AddPackageName(const char* name) override { return inner_.AddPackageName(name); }
    AAX_Result SetPackageVersion(uint32_t version) override
    {
        return inner_.SetPackageVersion(version);
    }
    const AAX_SCollectionRecord* Record() const override { return inner_.Record(); }

    int effectsAdded = 0;

private:
    bool giveDescriptor_;
    AAX_CCollection inner_;
    std::unique_ptr<FailingEffect> effect_;
};

TEST(EffectDescription, NoDescriptorRegistersNothing)
{
    FailingCollection collection(false);
    EXPECT_EQ(DescribeEffectWith(&collection, Description("1-1 2-2")), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(collection.effectsAdded, 0);
    EXPECT_TRUE(collection.Record()->manufacturerNames.empty());
    EXPECT_TRUE(collection.Record()->packageNames.empty());
}

TEST(EffectDescription, AFailingCallKeepsTheEffectOut)
{
    FailingCollection collection(true);
    ::testing::internal::CaptureStdout();
    const AAX_Result result = DescribeEffectWith(&collection, Description("1-1 2-2"));
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, AAX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(collection.effectsAdded, 0);
    EXPECT_EQ(collection.Record()->manufacturerNames, std::vector<std::string>{"Tester"});
    EXPECT_EQ(collection.Record()->packageVersion, 0x10000u);
}

} // namespace

// The product glue this test program provides in place of the real product's.
const AAXEffectDescription& ProductEffectDescription()
{
    static const AAXEffectDescription description = Description("1-1 2-2");
    return description;
}

IPlugAAX* CreateProductPlugin()
{
    return new TestPlug;
}
