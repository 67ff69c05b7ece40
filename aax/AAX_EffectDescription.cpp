#include "aax/AAX_EffectDescription.h"

#include "aax/AAX_CEffectGUI_IPLUG.h"
#include "aax/IPlugAAX.h"
#include "aax/sdk/AAX_Exports.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr AAX_CFieldIndex kInputsField = 0;
constexpr AAX_CFieldIndex kOutputsField = 1;
constexpr AAX_CFieldIndex kFrameCountField = 3;
constexpr AAX_CFieldIndex kLocalMidiField = 5;
constexpr AAX_CFieldIndex kGlobalMidiField = 6;
constexpr AAX_CFieldIndex kTransportField = 7;
constexpr AAX_CFieldIndex kSideChainField = 9;
constexpr uint32_t kUnusedSlotBytes = 4;
constexpr uint32_t kAllChannelsMask = 0xFFFF;
constexpr const char* kTransportNodeName = "Transport";
constexpr uint32_t kEffectCategory = 0;

struct ChannelConfiguration
{
    int inputs = 0;
    int outputs = 0;
};

// The tokens of the channel string that read as "%d-%d", in order.
std::vector<ChannelConfiguration> ParseConfigurations(const char* channelIOs)
{
    std::vector<ChannelConfiguration> configurations;
    const std::string text = channelIOs != nullptr ? channelIOs : "";
    size_t start = 0;
    while (start <= text.size())
    {
        const size_t blank = text.find(' ', start);
        const std::string token =
            text.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
        ChannelConfiguration configuration;
        if (std::sscanf(token.c_str(), "%d-%d", &configuration.inputs, &configuration.outputs) == 2)
        {
            configurations.push_back(configuration);
        }
        if (blank == std::string::npos)
        {
            break;
        }
        start = blank + 1;
    }
    return configurations;
}

// Calls `use` with each line-feed-terminated name of the list.
template <typename Use> void ForEachName(const char* names, Use&& use)
{
    const std::string text = names != nullptr ? names : "";
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start))
    {
        use(text.substr(start, end - start).c_str());
        start = end + 1;
    }
}

AAX_Result DescribeComponent(AAX_IEffectDescriptor& effect, const AAXEffectDescription& description,
                             ChannelConfiguration configuration, int pair)
{
    AAX_IComponentDescriptor* component = effect.NewComponentDescriptor();
    if (component == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    AAX_Result result = AAX_SUCCESS;
    result |= component->AddPrivateData(kGlobalMidiField, kUnusedSlotBytes);
    result |= component->AddPrivateData(kLocalMidiField, kUnusedSlotBytes);
    result |= component->AddNode(kTransportField, AAX_eNodeKind_Transport, kTransportNodeName,
                                 kAllChannelsMask);
    result |= component->AddAudioIn(kInputsField);
    result |= component->AddAudioOut(kOutputsField);
    result |= component->AddAudioBufferLength(kFrameCountField);
    result |= component->AddPrivateData(kSideChainField, kUnusedSlotBytes);
    // The block holds a pointer, so it is as wide as one (4 bytes on 32-bit hosts).
    result |= component->AddPrivateData(AAX_CIPlugParameters::kInstanceField,
                                        static_cast<uint32_t>(sizeof(AAX_CIPlugParameters*)));

    AAX_IPropertyMap* properties = component->NewPropertyMap();
    if (properties == nullptr)
    {
        return result | AAX_ERROR_NULL_OBJECT;
    }
    const auto asValue = [](uint32_t code) { return static_cast<int32_t>(code); };
    result |= properties->AddProperty(AAX_eProperty_CanBypass, 0);
    result |= properties->AddProperty(AAX_eProperty_InputStemFormat,
                                      asValue(StemFormatForChannels(configuration.inputs)));
    result |= properties->AddProperty(AAX_eProperty_OutputStemFormat,
                                      asValue(StemFormatForChannels(configuration.outputs)));
    result |= properties->AddProperty(AAX_eProperty_UsesClientGUI, 1);
    result |=
        properties->AddProperty(AAX_eProperty_ManufacturerID, asValue(description.manufacturerId));
    result |= properties->AddProperty(AAX_eProperty_ProductID, asValue(description.productId));
    result |= properties->AddProperty(AAX_eProperty_PlugInID_Native,
                                      asValue(description.nativeIds[pair]));
    if (description.audioSuiteIds[pair] != AAX_TypeIDNone)
    {
        result |= properties->AddProperty(AAX_eProperty_PlugInID_AudioSuite,
                                          asValue(description.audioSuiteIds[pair]));
    }
    result |= component->AddProcessProc(RenderCallback, properties);
    result |= effect.AddComponent(component);
    return result;
}
} // namespace

AAX_EStemFormat StemFormatForChannels(int channels)
{
    static constexpr AAX_EStemFormat kFormats[] = {
        AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo, AAX_eStemFormat_LCR, AAX_eStemFormat_Quad,
        AAX_eStemFormat_5_0,  AAX_eStemFormat_5_1,    AAX_eStemFormat_6_1, AAX_eStemFormat_7_1,
    };
    if (channels < 1 || channels > static_cast<int>(std::size(kFormats)))
    {
        return AAX_eStemFormat_None;
    }
    return kFormats[channels - 1];
}

AAX_Result DescribeEffectWith(AAX_ICollection* collection, const AAXEffectDescription& description)
{
    if (collection == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    AAX_IEffectDescriptor* effect = collection->NewDescriptor();
    if (effect == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    AAX_Result result = AAX_SUCCESS;
    ForEachName(description.effectNames,
                [&](const char* name)
                {
                    result |= effect->AddName(name);
                    result |= collection->AddPackageName(name);
                });
    result |= effect->AddCategory(kEffectCategory);

    int pair = 0;
    for (ChannelConfiguration configuration : ParseConfigurations(description.channelIOs))
    {
        if (pair == AAXEffectDescription::kMaxConfigurations)
        {
            break;
        }
        configuration.inputs = std::max(configuration.inputs, 1);
        std::printf("***** inputs %d *****\n", configuration.inputs);
        result |= DescribeComponent(*effect, description, configuration, pair);
        ++pair;
    }

    result |= effect->AddProcPtr(reinterpret_cast<AAX_ProcPtr>(&CreateEffectParameters),
                                 AAX_eProcPtrID_Create_EffectParameters);
    result |= effect->AddProcPtr(reinterpret_cast<AAX_ProcPtr>(&CreateEffectGUI),
                                 AAX_eProcPtrID_Create_EffectGUI);
    if (result == AAX_SUCCESS)
    {
        result = collection->AddEffect(description.effectId, effect);
    }
    ForEachName(description.manufacturerNames,
                [&](const char* name) { collection->SetManufacturerName(name); });
    collection->SetPackageVersion(description.version);
    return result;
}

void RenderCallback(AAX_SRenderContext* const* first, AAX_SRenderContext* const* last)
{
    if (first == nullptr || last == nullptr)
    {
        return;
    }
    for (AAX_SRenderContext* const* entry = first; entry < last; ++entry)
    {
        AAX_SRenderContext* context = *entry;
        if (context == nullptr || context->fields[AAX_CIPlugParameters::kInstanceField] == nullptr)
        {
            continue;
        }
        AAX_CIPlugParameters* instance = nullptr;
        std::memcpy(&instance, context->fields[AAX_CIPlugParameters::kInstanceField],
                    sizeof instance);
        if (instance != nullptr)
        {
            instance->Render(context);
        }
    }
}

AAX_IEffectParameters* CreateEffectParameters()
{
    try
    {
        return CreateProductPlugin();
    }
    catch (...)
    {
        return nullptr;
    }
}

AAX_IEffectGUI* CreateEffectGUI()
{
    try
    {
        return new AAX_CEffectGUI_IPLUG;
    }
    catch (...)
    {
        return nullptr;
    }
}
