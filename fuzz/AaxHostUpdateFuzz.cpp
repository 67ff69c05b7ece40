// Hostile host traffic through the AAX adapter: parameter updates with arbitrary identifier
// strings and any double (infinities and NaN included), editor changes that the automation
// echoes back as host updates, value texts asked for and parsed by the host, render calls.
//
// Input: a sequence of steps, each an operation byte followed by its operands.

#include "fuzz/AaxPlugin.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

// A registered identifier, or one just outside the table: "MasterBypassID", "1" ... "47".
std::string KnownIdentifier(std::uint8_t selector, int parameterCount)
{
    const int number = selector % (parameterCount + 2);
    return number == 0 ? std::string(IPlugAAX::kBypassIdentifier) : std::to_string(number);
}

void CheckUpdate(VantorKestrune& plugin, const std::string& identifier, double normalised)
{
    const bool known = plugin.GetParameterByID(identifier.c_str()) != nullptr;
    const AAX_Result result = plugin.HostUpdatesParameter(identifier.c_str(), normalised);
    if (!known && result != AAX_ERROR_INVALID_PARAMETER_ID)
    {
        std::abort();
    }
}

void CheckTexts(VantorKestrune& plugin, const std::string& identifier, double value,
                std::int32_t capacity, const std::string& text)
{
    const AAX_IParameter* parameter = plugin.GetParameterByID(identifier.c_str());
    if (parameter == nullptr)
    {
        return;
    }
    char out[64];
    std::memset(out, 'x', sizeof out);
    parameter->GetNormalizedValueString(value, out, capacity);
    if (std::memchr(out, '\0', static_cast<std::size_t>(capacity)) == nullptr ||
        out[capacity] != 'x')
    {
        std::abort();
    }
    double normalised = 0.0;
    if (parameter->GetNormalizedValueFromString(text.c_str(), &normalised) &&
        !(normalised >= 0.0 && normalised <= 1.0))
    {
        std::abort();
    }
    if (parameter->GetNormalizedValueFromDouble(value, &normalised) &&
        !(normalised >= 0.0 && normalised <= 1.0))
    {
        std::abort();
    }
}

// Every AAX parameter holds a normalised value inside [0, 1].
void CheckAaxParameters(VantorKestrune& plugin)
{
    for (int i = -1; i < plugin.ParameterCount(); ++i)
    {
        const std::string identifier =
            i < 0 ? std::string(IPlugAAX::kBypassIdentifier) : std::to_string(i + 1);
        const AAX_IParameter* parameter = plugin.GetParameterByID(identifier.c_str());
        if (parameter == nullptr)
        {
            std::abort();
        }
        const double normalised = parameter->GetNormalizedValue();
        if (!(normalised >= 0.0 && normalised <= 1.0))
        {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<fuzzing::AaxInstance> owned = fuzzing::FreshAaxInstance();
    fuzzing::AaxInstance& instance = *owned;
    VantorKestrune& plugin = *instance.plugin;
    const int count = plugin.ParameterCount();
    for (int step = 0; size > 0 && step < 64; ++step)
    {
        const auto operation = fuzzing::Take<std::uint8_t>(data, size);
        switch (operation % 5)
        {
        case 0:
        {
            const std::string identifier = fuzzing::TakeText(data, size);
            CheckUpdate(plugin, identifier, fuzzing::Take<double>(data, size));
            break;
        }
        case 1:
        {
            const std::string identifier =
                KnownIdentifier(fuzzing::Take<std::uint8_t>(data, size), count);
            CheckUpdate(plugin, identifier, fuzzing::Take<double>(data, size));
            break;
        }
        case 2:
        {
            // An editor change: the adapter posts it, the automation answers with an update.
            const int index = fuzzing::Take<std::uint8_t>(data, size) % count;
            const double normalised = fuzzing::Take<double>(data, size);
            plugin.BeginHostGesture(index);
            plugin.SetParameterFromGUI(index, normalised);
            plugin.EndHostGesture(index);
            break;
        }
        case 3:
        {
            const std::string identifier =
                KnownIdentifier(fuzzing::Take<std::uint8_t>(data, size), count);
            const double value = fuzzing::Take<double>(data, size);
            const std::int32_t capacity = 1 + fuzzing::Take<std::uint8_t>(data, size) % 40;
            CheckTexts(plugin, identifier, value, capacity, fuzzing::TakeText(data, size));
            break;
        }
        default:
            fuzzing::CheckRenderIsFinite(instance);
            break;
        }
    }
    fuzzing::CheckParameters(plugin);
    CheckAaxParameters(plugin);
    fuzzing::CheckRenderIsFinite(instance);
    return 0;
}
