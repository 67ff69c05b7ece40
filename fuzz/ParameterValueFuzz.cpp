// Hostile values on every parameter path: normalised values from the host (any double,
// infinities and NaN included), real values, value texts for the host and the editor.

#include "fuzz/HeadlessPlugin.h"

#include <cstring>

namespace
{

void CheckText(const char* text, std::size_t capacity)
{
    if (std::memchr(text, '\0', capacity) == nullptr)
    {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<VantorKestrune> instance = fuzzing::FreshPlugin();
    VantorKestrune& plugin = *instance;
    constexpr std::size_t kStep = 1 + sizeof(double);
    for (; size >= kStep; data += kStep, size -= kStep)
    {
        const int index = data[0] % (kNumParams + 2) - 1; // -1 and 46 are unknown indices
        double value = 0.0;
        std::memcpy(&value, data + 1, sizeof value);
        switch (data[0] / (kNumParams + 2) % 4)
        {
        case 0:
            plugin.SetParameterFromHost(index, value);
            break;
        case 1:
            plugin.SetParameterValueFromHost(index, value);
            break;
        case 2:
            plugin.SetParameterFromGUI(index, value);
            break;
        default:
            if (IPlugParameter* param = plugin.Param(index))
            {
                char text[kParamTextCapacity];
                param->FormatForHost(value, true, text, true);
                CheckText(text, sizeof text);
                param->FormatForHost(value, false, text, false);
                CheckText(text, sizeof text);
                char small[4];
                param->FormatForHost(value, false, small, true, sizeof small);
                CheckText(small, sizeof small);
            }
            break;
        }
    }
    fuzzing::CheckParameters(plugin);
    fuzzing::CheckBlockIsFinite(plugin);
    return 0;
}
