// Binds the AAX adapter to the product: the effect description of VantorKestrune and its
// creation function, for the module's entry points.
#include "aax/AAX_EffectDescription.h"
#include "aax/module/ModuleWindowSystem.h"
#include "aax/sdk/AAX_Exports.h"
#include "plugin/VantorKestrune.h"

#include <cctype>
#include <mutex>
#include <string>

namespace
{
std::string LowerCase(std::string text)
{
    for (char& c : text)
    {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Reverse-domain identifier from the maker's and the product's names ("com.vantor.vantorkestrune");
// the effect name stands in for an empty product name.
std::string EffectIdentifier()
{
    const std::string product = *kProductName != '\0' ? kProductName : kEffectName;
    return "com." + LowerCase(kMakerName) + "." + LowerCase(product);
}
} // namespace

const AAXEffectDescription& ProductEffectDescription()
{
    static const std::string effectNames = std::string(kEffectName) + "\n";
    static const std::string manufacturerNames = std::string(kMakerName) + "\n";
    static const std::string effectId = EffectIdentifier();
    static const AAXEffectDescription description = []
    {
        AAXEffectDescription d;
        d.effectNames = effectNames.c_str();
        d.manufacturerNames = manufacturerNames.c_str();
        d.channelIOs = kChannelIOs;
        d.manufacturerId = static_cast<AAX_CTypeID>(kMakerId);
        d.productId = static_cast<AAX_CTypeID>(kUniqueId);
        d.nativeIds[0] = AAX_FourCC("EFN1");
        d.nativeIds[1] = AAX_FourCC("EFN2");
        d.audioSuiteIds[0] = AAX_FourCC("EFA1");
        d.audioSuiteIds[1] = AAX_FourCC("EFA2");
        d.version = static_cast<uint32_t>(kPluginVersion);
        d.effectId = effectId.c_str();
        return d;
    }();
    return description;
}

IPlugAAX* CreateProductPlugin()
{
    static std::once_flag windowSystemChosen;
    std::call_once(windowSystemChosen, UseModuleWindowSystem);
    return CreatePlugin();
}

AAX_Result DescribeEffect(AAX_ICollection* collection)
{
    return DescribeEffectWith(collection, ProductEffectDescription());
}
