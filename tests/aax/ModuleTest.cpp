// The real module file, driven through its entry points as a host drives it.

#include "aax/host/AaxHost.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

constexpr float kSampleRateHz = 44100.0f;

class ModuleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        module = aaxhost::Module::Load(KESTRUNE_AAX_MODULE_PATH, &error).release();
        ASSERT_NE(module, nullptr) << error;
    }
    static void TearDownTestSuite()
    {
        delete module;
        module = nullptr;
    }

    std::unique_ptr<aaxhost::Instance> MakeInstance(int channels)
    {
        const AAX_SComponentRecord* component = module->ComponentForChannels(channels);
        EXPECT_NE(component, nullptr);
        auto instance = std::make_unique<aaxhost::Instance>(*module, *component, kSampleRateHz);
        EXPECT_NE(instance->Effect(), nullptr);
        EXPECT_EQ(instance->Initialize(), AAX_SUCCESS);
        return instance;
    }

    static aaxhost::Module* module;
};

aaxhost::Module* ModuleTest::module = nullptr;

std::string ValueText(const AAX_IParameter& parameter)
{
    char text[64] = {};
    parameter.GetValueString(text, sizeof text);
    return text;
}

nlohmann::json ChunkDocument(const std::vector<char>& chunk)
{
    int32_t count = 0;
    EXPECT_GE(chunk.size(), sizeof count);
    std::memcpy(&count, chunk.data(), sizeof count);
    EXPECT_EQ(static_cast<size_t>(count) + sizeof count, chunk.size());
    return nlohmann::json::parse(chunk.begin() + sizeof count, chunk.end());
}

// A stereo test signal: two sines of different pitch.
struct StereoBlock
{
    explicit StereoBlock(int frames, float phase = 0.0f)
        : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)),
          outLeft(static_cast<size_t>(frames), -7.0f), outRight(static_cast<size_t>(frames), -7.0f)
    {
        for (int i = 0; i < frames; ++i)
        {
            left[static_cast<size_t>(i)] = 0.25f * std::sin(0.031f * static_cast<float>(i) + phase);
            right[static_cast<size_t>(i)] = 0.2f * std::sin(0.113f * static_cast<float>(i) + phase);
        }
        in = {left.data(), right.data()};
        out = {outLeft.data(), outRight.data()};
    }
    std::vector<float> left, right, outLeft, outRight;
    std::array<float*, 2> in{};
    std::array<float*, 2> out{};
};

TEST_F(ModuleTest, ExportsExactlyTheSevenEntryPoints)
{
    const std::string command =
        std::string("nm -D --defined-only '") + KESTRUNE_AAX_MODULE_PATH + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr)
    {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3)
        {
            names.insert(name);
        }
    }
    ASSERT_EQ(pclose(pipe), 0);
    const std::set<std::string> expected = {
        "ACFCanUnloadNow",   "ACFGetClassFactory", "ACFGetSDKVersion", "ACFRegisterComponent",
        "ACFRegisterPlugin", "ACFShutdown",        "ACFStartup"};
    EXPECT_EQ(names, expected);
}

TEST_F(ModuleTest, DescribesOneEffectWithMonoAndStereoComponents)
{
    const AAX_SCollectionRecord& description = module->Description();
    EXPECT_EQ(description.packageNames, std::vector<std::string>{"VantorKestrune"});
    EXPECT_EQ(description.manufacturerNames, std::vector<std::string>{"Vantor"});
    EXPECT_EQ(description.packageVersion, 0x00010205u);
    ASSERT_EQ(description.effects.size(), 1u);
    EXPECT_EQ(description.effects[0].first, "com.vantor.vantorkestrune");

    const AAX_SEffectRecord& effect = module->Effect();
    EXPECT_EQ(effect.names, std::vector<std::string>{"VantorKestrune"});
    EXPECT_EQ(effect.categories, std::vector<uint32_t>{0});
    EXPECT_NE(AAX_FindProc(effect, AAX_eProcPtrID_Create_EffectParameters), nullptr);
    EXPECT_NE(AAX_FindProc(effect, AAX_eProcPtrID_Create_EffectGUI), nullptr);
    ASSERT_EQ(effect.components.size(), 2u);

    struct Expected
    {
        uint32_t stem;
        uint32_t native;
        uint32_t audioSuite;
    };
    const Expected expected[] = {{0x00000001, 0x45464E31, 0x45464131},
                                 {0x00010002, 0x45464E32, 0x45464132}};
    for (size_t c = 0; c < 2; ++c)
    {
        SCOPED_TRACE(c);
        const AAX_SComponentRecord& component = effect.components[c];
        ASSERT_EQ(component.processProcs.size(), 1u);
        std::vector<std::pair<uint32_t, uint32_t>> properties;
        for (const AAX_SProperty& property : component.processProcs[0].properties)
        {
            properties.emplace_back(property.id, static_cast<uint32_t>(property.value));
        }
        const std::vector<std::pair<uint32_t, uint32_t>> wanted = {{56, 0},
                                                                   {51, expected[c].stem},
                                                                   {52, expected[c].stem},
                                                                   {60, 1},
                                                                   {11, 0x51764D78},
                                                                   {12, 0x4B73526E},
                                                                   {13, expected[c].native},
                                                                   {14, expected[c].audioSuite}};
        EXPECT_EQ(properties, wanted);

        std::vector<std::pair<int, AAX_EFieldKind>> fields;
        for (const AAX_SField& field : component.fields)
        {
            fields.emplace_back(field.index, field.kind);
        }
        const std::vector<std::pair<int, AAX_EFieldKind>> wantedFields = {
            {6, AAX_EFieldKind::PrivateData}, {5, AAX_EFieldKind::PrivateData},
            {7, AAX_EFieldKind::Node},        {0, AAX_EFieldKind::AudioIn},
            {1, AAX_EFieldKind::AudioOut},    {3, AAX_EFieldKind::BufferLength},
            {9, AAX_EFieldKind::PrivateData}, {8, AAX_EFieldKind::PrivateData}};
        EXPECT_EQ(fields, wantedFields);
        EXPECT_EQ(component.fields[2].name, "Transport");
        EXPECT_EQ(component.fields[2].nodeKind, AAX_eNodeKind_Transport);
        EXPECT_EQ(component.fields[2].mask, 0xFFFFu);
        EXPECT_EQ(component.fields[7].size, sizeof(void*));
    }
}

TEST_F(ModuleTest, EntryPointsRefuseNullOutputs)
{
    auto registerPlugin =
        reinterpret_cast<ACFRegisterPluginProc>(module->Symbol("ACFRegisterPlugin"));
    auto sdkVersion = reinterpret_cast<ACFGetSDKVersionProc>(module->Symbol("ACFGetSDKVersion"));
    auto registerComponent =
        reinterpret_cast<ACFRegisterComponentProc>(module->Symbol("ACFRegisterComponent"));
    auto classFactory =
        reinterpret_cast<ACFGetClassFactoryProc>(module->Symbol("ACFGetClassFactory"));
    EXPECT_EQ(registerPlugin(nullptr, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(sdkVersion(nullptr), AAX_ERROR_NULL_OBJECT);
    void* component = &component;
    EXPECT_EQ(registerComponent(nullptr, 0, &component), ACF_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(component, nullptr);
    AAX_ProcPtr factory = nullptr;
    EXPECT_EQ(classFactory(nullptr, "com.other.effect", 0, &factory), ACF_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(classFactory(nullptr, module->EffectId().c_str(), 7, &factory),
              ACF_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
}

TEST_F(ModuleTest, CannotUnloadWhileAnInstanceLives)
{
    {
        auto instance = MakeInstance(2);
        EXPECT_EQ(module->CanUnloadNow(), ACF_FALSE);
    }
    EXPECT_EQ(module->CanUnloadNow(), ACF_OK);
}

TEST_F(ModuleTest, RegistersBypassFirstThenEveryParameter)
{
    auto instance = MakeInstance(2);
    AAX_IEffectParameters& effect = *instance->Effect();
    ASSERT_EQ(effect.GetNumberOfParameters(), 47);

    struct Row
    {
        int position;
        const char* identifier;
        const char* name;
        int steps;
        AAX_EParameterType type;
        const char* valueText;
    };
    const Row rows[] = {
        {0, "MasterBypassID", "Master Bypass", 2, AAX_EParameterType::Discrete, "bypass"},
        {1, "1", "Gain 0", 128, AAX_EParameterType::Continuous, "0.00 dB"},
        {31, "31", "Gain 30", 128, AAX_EParameterType::Continuous, "0.00 dB"},
        {32, "32", "Analyzer dB per led", 4, AAX_EParameterType::Discrete, "6"},
        {33, "33", "Integration Time", 3, AAX_EParameterType::Discrete, "1s"},
        {35, "35", "Enable peak display", 2, AAX_EParameterType::Discrete, "on"},
        {38, "38", "Auto Eq", 3, AAX_EParameterType::Discrete, "Off"},
        {44, "44", "Eq Amount", 128, AAX_EParameterType::Continuous, "50.00 %"},
        {46, "46", "Auto EQ compensation", 3, AAX_EParameterType::Discrete, "Default"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.identifier);
        AAX_IParameter* parameter = effect.GetParameterAt(row.position);
        ASSERT_NE(parameter, nullptr);
        EXPECT_STREQ(parameter->Identifier(), row.identifier);
        EXPECT_STREQ(parameter->Name(), row.name);
        EXPECT_EQ(parameter->NumberOfSteps(), row.steps);
        EXPECT_EQ(parameter->Type(), row.type);
        EXPECT_TRUE(parameter->Automatable());
        EXPECT_EQ(ValueText(*parameter), row.valueText);
        EXPECT_EQ(effect.GetParameterByID(row.identifier), parameter);
    }
    char text[32] = {};
    effect.GetParameterByID("MasterBypassID")->GetNormalizedValueString(1.0, text, sizeof text);
    EXPECT_STREQ(text, "on");
    EXPECT_EQ(effect.GetParameterByID("47"), nullptr);
    EXPECT_EQ(effect.GetParameterByID("0"), nullptr);
}

TEST_F(ModuleTest, HostUpdates)
{
    auto instance = MakeInstance(2);
    AAX_IEffectParameters& effect = *instance->Effect();
    const int32_t changesBefore = effect.NumberOfChanges();

    EXPECT_EQ(instance->SetParameter("47", 0.5), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ(instance->SetParameter("Gain 0", 0.5), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ(effect.NumberOfChanges(), changesBefore);

    ASSERT_EQ(instance->SetParameter("1", 0.75), AAX_SUCCESS);
    EXPECT_EQ(ValueText(*effect.GetParameterByID("1")), "7.50 dB");
    ASSERT_EQ(instance->SetParameter("1", 0.5), AAX_SUCCESS);
    EXPECT_EQ(ValueText(*effect.GetParameterByID("1")), "0.00 dB");
    EXPECT_EQ(effect.NumberOfChanges(), changesBefore + 2);

    // The plug-in's own parameter followed: the state document holds the value.
    ASSERT_EQ(instance->SetParameter("44", 0.8), AAX_SUCCESS);
    AAX_Result result = AAX_ERROR_NULL_OBJECT;
    const nlohmann::json document = ChunkDocument(instance->TakeChunk(&result));
    ASSERT_EQ(result, AAX_SUCCESS);
    EXPECT_EQ(document["params"][43]["name"], "Eq Amount");
    EXPECT_DOUBLE_EQ(document["params"][43]["value"].get<double>(), 80.0);
    EXPECT_DOUBLE_EQ(document["params"][0]["value"].get<double>(), 0.0);

    EXPECT_EQ(instance->SetParameter("44", std::nan("")), AAX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(ValueText(*effect.GetParameterByID("44")), "80.00 %");
}

TEST_F(ModuleTest, BypassPassesAudioThroughUnprocessed)
{
    auto instance = MakeInstance(2);
    ASSERT_EQ(instance->SetParameter("42", 1.0), AAX_SUCCESS); // "Input" +15 dB
    const int frames = 256;

    StereoBlock processed(frames);
    instance->Render(processed.in.data(), processed.out.data(), frames);
    EXPECT_NE(processed.outLeft, processed.left);

    ASSERT_EQ(instance->SetParameter("MasterBypassID", 1.0), AAX_SUCCESS);
    EXPECT_EQ(ValueText(*instance->Effect()->GetParameterByID("MasterBypassID")), "on");
    StereoBlock bypassed(frames, 1.0f);
    instance->Render(bypassed.in.data(), bypassed.out.data(), frames);
    EXPECT_EQ(bypassed.outLeft, bypassed.left);
    EXPECT_EQ(bypassed.outRight, bypassed.right);
}

TEST_F(ModuleTest, FirstBlockAfterBlockSizeChangeIsProcessed)
{
    // The instance starts at 1024 frames; the host's 64-frame blocks must not lose the first.
    auto gained = MakeInstance(2);
    auto bypassed = MakeInstance(2);
    ASSERT_EQ(gained->SetParameter("42", 1.0), AAX_SUCCESS);
    ASSERT_EQ(bypassed->SetParameter("MasterBypassID", 1.0), AAX_SUCCESS);
    StereoBlock a(64);
    StereoBlock b(64);
    gained->Render(a.in.data(), a.out.data(), 64);
    bypassed->Render(b.in.data(), b.out.data(), 64);
    EXPECT_EQ(b.outLeft, b.left);
    float peak = 0.0f;
    for (float sample : a.outLeft)
    {
        peak = std::max(peak, std::fabs(sample));
    }
    EXPECT_GT(peak, 0.25f); // +15 dB on a 0.25 sine
}

TEST_F(ModuleTest, MonoInstanceRendersOneChannel)
{
    auto instance = MakeInstance(1);
    ASSERT_EQ(instance->InputChannels(), 1);
    ASSERT_EQ(instance->SetParameter("MasterBypassID", 1.0), AAX_SUCCESS);
    StereoBlock block(128);
    std::array<float*, 1> in = {block.left.data()};
    std::array<float*, 1> out = {block.outLeft.data()};
    instance->Render(in.data(), out.data(), 128);
    EXPECT_EQ(block.outLeft, block.left);
    EXPECT_EQ(block.outRight, std::vector<float>(128, -7.0f)); // never handed over, never touched
}

TEST_F(ModuleTest, RenderCallbackSkipsContextsWithoutInstance)
{
    auto instance = MakeInstance(2);
    StereoBlock block(32);
    aaxhost::Instance& host = *instance;
    AAX_SRenderContext context = host.Context();
    void* noInstance = nullptr;
    int32_t frames = 32;
    context.fields[0] = block.in.data();
    context.fields[1] = block.out.data();
    context.fields[3] = &frames;
    context.fields[8] = &noInstance;
    AAX_SRenderContext withoutBlock = context;
    withoutBlock.fields[8] = nullptr;
    AAX_SRenderContext* contexts[] = {&context, nullptr, &withoutBlock};
    host.ProcessProc()(contexts, contexts + 3);
    host.ProcessProc()(contexts + 3, contexts); // first after last: nothing
    EXPECT_EQ(block.outLeft, std::vector<float>(32, -7.0f));
}

TEST_F(ModuleTest, ChunkIdentifiersAndForeignChunks)
{
    auto instance = MakeInstance(2);
    AAX_IEffectParameters& effect = *instance->Effect();
    EXPECT_EQ(effect.ChunkCount(), 1);
    AAX_CTypeID id = 1;
    EXPECT_EQ(effect.ChunkIdAt(0, &id), AAX_SUCCESS);
    EXPECT_EQ(id, AAX_FourCC("KsRn"));
    EXPECT_EQ(effect.ChunkIdAt(1, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ(id, 0u);

    const AAX_CTypeID foreign = AAX_FourCC("Othr");
    uint32_t size = 99;
    EXPECT_EQ(effect.ChunkSize(foreign, &size), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ(size, 0u);
    auto record = aaxhost::MakeChunkRecord(foreign, {}, 4096);
    EXPECT_EQ(effect.FillChunk(foreign, aaxhost::ChunkRecord(record)), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ(effect.ApplyChunk(foreign, aaxhost::ChunkRecord(record)), AAX_ERROR_INVALID_CHUNK_ID);
    bool equal = false;
    EXPECT_EQ(effect.CompareChunk(aaxhost::ChunkRecord(record), &equal), AAX_SUCCESS);
    EXPECT_TRUE(equal);
}

TEST_F(ModuleTest, ChunkRoundTripThroughAFreshInstance)
{
    auto source = MakeInstance(2);
    ASSERT_EQ(source->SetParameter("44", 0.8), AAX_SUCCESS); // "Eq Amount" 80
    ASSERT_EQ(source->SetParameter("6", 0.35), AAX_SUCCESS); // "Gain 5" -4.5 dB
    ASSERT_EQ(source->SetParameter("38", 1.0), AAX_SUCCESS); // "Auto Eq" Continuous
    AAX_Result result = AAX_ERROR_NULL_OBJECT;
    const std::vector<char> chunk = source->TakeChunk(&result);
    ASSERT_EQ(result, AAX_SUCCESS);
    uint32_t reported = 0;
    source->Effect()->ChunkSize(AAX_FourCC("KsRn"), &reported);
    EXPECT_EQ(reported, chunk.size());
    const nlohmann::json document = ChunkDocument(chunk);
    EXPECT_EQ(document["version"], "1.2.5");
    EXPECT_EQ(document["params"].size(), 46u);

    auto target = MakeInstance(2);
    bool equal = true;
    ASSERT_EQ(target->CompareChunk(chunk, &equal), AAX_SUCCESS);
    EXPECT_FALSE(equal);
    const int32_t changesBefore = target->Effect()->NumberOfChanges();
    target->HostAutomation().ClearEvents();
    ASSERT_EQ(target->ApplyChunk(chunk), AAX_SUCCESS);
    ASSERT_EQ(target->CompareChunk(chunk, &equal), AAX_SUCCESS);
    EXPECT_TRUE(equal);

    // Every parameter is sent to the host, in index order, and echoed back.
    const auto& events = target->HostAutomation().Events();
    ASSERT_EQ(events.size(), 46u);
    for (size_t i = 0; i < events.size(); ++i)
    {
        EXPECT_EQ(events[i].identifier, std::to_string(i + 1));
    }
    EXPECT_GT(target->Effect()->NumberOfChanges(), changesBefore);
    EXPECT_EQ(ValueText(*target->Effect()->GetParameterByID("6")), "-4.50 dB");
    EXPECT_EQ(ValueText(*target->Effect()->GetParameterByID("38")), "Continuous");

    ASSERT_EQ(target->SetParameter("6", 0.5), AAX_SUCCESS);
    ASSERT_EQ(target->CompareChunk(chunk, &equal), AAX_SUCCESS);
    EXPECT_FALSE(equal);
}

// A state saved while "Reset EQ" was left on (host automation): the host echoes every restored
// value back as a host change, and the gains stay as they were saved.
TEST_F(ModuleTest, ChunkWithResetEqOnKeepsItsGainsThroughTheHostsEcho)
{
    auto source = MakeInstance(2);
    ASSERT_EQ(source->SetParameter("40", 1.0), AAX_SUCCESS); // "Reset EQ" on
    ASSERT_EQ(source->SetParameter("11", 0.7), AAX_SUCCESS); // "Gain 10" +6 dB
    AAX_Result result = AAX_ERROR_NULL_OBJECT;
    const std::vector<char> chunk = source->TakeChunk(&result);
    ASSERT_EQ(result, AAX_SUCCESS);

    auto target = MakeInstance(2);
    ASSERT_EQ(target->ApplyChunk(chunk), AAX_SUCCESS);
    ASSERT_EQ(target->HostAutomation().Events().size(), 46u);
    EXPECT_EQ(ValueText(*target->Effect()->GetParameterByID("11")), "6.00 dB");
    bool equal = false;
    ASSERT_EQ(target->CompareChunk(chunk, &equal), AAX_SUCCESS);
    EXPECT_TRUE(equal) << "host and plug-in agree";
}

TEST_F(ModuleTest, CompareChunkReadsOnlyTheChunksBytes)
{
    auto instance = MakeInstance(2);
    AAX_Result result = AAX_ERROR_NULL_OBJECT;
    const std::vector<char> chunk = instance->TakeChunk(&result);
    ASSERT_EQ(result, AAX_SUCCESS);

    // Parameter-chunk format: the count and every real value as a double.
    std::vector<char> parameterChunk(4 + 46 * 8);
    const int32_t count = 46;
    std::memcpy(parameterChunk.data(), &count, 4);
    const nlohmann::json document = ChunkDocument(chunk);
    for (int i = 0; i < 46; ++i)
    {
        const double value = document["params"][i]["value"].get<double>();
        std::memcpy(parameterChunk.data() + 4 + 8 * i, &value, 8);
    }
    const struct
    {
        const char* what;
        std::vector<char> data;
        bool equal;
    } cases[] = {
        {"state document", chunk, true},
        {"parameter chunk", parameterChunk, true},
        {"truncated parameter chunk", {parameterChunk.begin(), parameterChunk.begin() + 84}, false},
        {"count beyond the data", {chunk.begin(), chunk.begin() + 40}, false},
        {"empty", {}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        bool equal = !c.equal;
        // Exactly sized records: any read past the data is caught by the address sanitizer.
        std::vector<char> exact(c.data);
        auto record =
            aaxhost::MakeChunkRecord(AAX_FourCC("KsRn"), exact, static_cast<int32_t>(exact.size()));
        ASSERT_EQ(instance->Effect()->CompareChunk(aaxhost::ChunkRecord(record), &equal),
                  AAX_SUCCESS);
        EXPECT_EQ(equal, c.equal);
    }
}

TEST_F(ModuleTest, FillChunkNeverWritesPastTheHostsCapacity)
{
    auto instance = MakeInstance(2);
    uint32_t size = 0;
    ASSERT_EQ(instance->Effect()->ChunkSize(AAX_FourCC("KsRn"), &size), AAX_SUCCESS);
    ASSERT_GT(size, 100u);
    auto record = aaxhost::MakeChunkRecord(AAX_FourCC("KsRn"), std::vector<char>(size, 'x'),
                                           static_cast<int32_t>(size));
    AAX_SPlugInChunk* chunk = aaxhost::ChunkRecord(record);
    chunk->fSize = static_cast<int32_t>(size) - 1;
    EXPECT_EQ(instance->Effect()->FillChunk(AAX_FourCC("KsRn"), chunk), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ(AAX_ChunkData(chunk)[size - 1], 'x');
    chunk->fSize = static_cast<int32_t>(size);
    std::strncpy(reinterpret_cast<char*>(chunk->fName), "kept", sizeof chunk->fName);
    EXPECT_EQ(instance->Effect()->FillChunk(AAX_FourCC("KsRn"), chunk), AAX_SUCCESS);
    EXPECT_EQ(chunk->fSize, static_cast<int32_t>(size));
    EXPECT_STREQ(reinterpret_cast<const char*>(chunk->fName), "kept");
}

TEST_F(ModuleTest, EditorReportsItsSizeAndOpensOnlyWithAParentWindow)
{
    auto instance = MakeInstance(2);
    AAX_CreateEffectGUIProc factory = module->GuiFactory();
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<AAX_IEffectGUI> gui(factory());
    ASSERT_NE(gui, nullptr);

    AAX_Point size;
    EXPECT_EQ(gui->GetViewSize(&size), AAX_SUCCESS);
    EXPECT_EQ(size.vert, 0.0f); // no editor found yet
    ASSERT_EQ(gui->Initialize(instance->Effect()), AAX_SUCCESS);
    EXPECT_EQ(gui->GetViewSize(&size), AAX_SUCCESS);
    EXPECT_EQ(size.vert, 600.0f);
    EXPECT_EQ(size.horz, 800.0f);

    aaxhost::ViewContainer noWindow(0);
    EXPECT_EQ(gui->SetViewContainer(&noWindow), AAX_SUCCESS);
    aaxhost::ViewContainer window(1);
    EXPECT_EQ(gui->SetViewContainer(&window), AAX_SUCCESS);
    EXPECT_EQ(gui->SetViewContainer(nullptr), AAX_SUCCESS);
    EXPECT_EQ(gui->SetViewContainer(&window), AAX_SUCCESS); // shown again
    gui.reset();                                            // deleted while shown
}

} // namespace
