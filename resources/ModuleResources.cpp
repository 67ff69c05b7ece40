#include "resources/ModuleResources.h"

namespace kestrune::embedded
{
extern const unsigned char titillium_web_regular[];
extern const std::size_t titillium_web_regular_size;
extern const unsigned char sarpanch_medium[];
extern const std::size_t sarpanch_medium_size;
} // namespace kestrune::embedded

namespace kestrune
{

namespace
{

struct EmbeddedResource
{
    int number;
    int type;
    const unsigned char* data;
    const std::size_t* size;
};

// 101 and 102 are the same font file; both entries point at one copy of its bytes.
const EmbeddedResource kResources[] = {
    {kFontTitilliumLabels, kResourceTypeRawData, embedded::titillium_web_regular,
     &embedded::titillium_web_regular_size},
    {kFontTitilliumDisplay, kResourceTypeRawData, embedded::titillium_web_regular,
     &embedded::titillium_web_regular_size},
    {kFontSarpanch, kResourceTypeRawData, embedded::sarpanch_medium,
     &embedded::sarpanch_medium_size},
};

} // namespace

bool FindModuleResource(const void*, int number, int type, ResourceBytes& out)
{
    for (const EmbeddedResource& resource : kResources)
    {
        if (resource.number == number && resource.type == type)
        {
            out.data = resource.data;
            out.size = *resource.size;
            return true;
        }
    }
    return false;
}

} // namespace kestrune
