#include "lv2/Lv2Ports.h"

#include <cctype>

std::string Lv2PortSymbol(const std::string& name)
{
    std::string symbol;
    bool inSeparatorRun = false;
    for (const char c : name)
    {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && std::isalnum(u))
        {
            symbol += static_cast<char>(std::tolower(u));
            inSeparatorRun = false;
        }
        else if (!inSeparatorRun)
        {
            symbol += '_';
            inSeparatorRun = true;
        }
    }
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol.front())))
    {
        symbol.insert(symbol.begin(), '_');
    }
    return symbol;
}

namespace
{

std::string ChannelSuffix(int channel, int channels, const char* separator)
{
    if (channels == 1)
    {
        return "";
    }
    if (channels == 2)
    {
        return std::string(separator) + (channel == 0 ? "l" : "r");
    }
    return std::string(separator) + std::to_string(channel + 1);
}

} // namespace

std::string Lv2AudioPortSymbol(bool input, int channel, int channels)
{
    return (input ? "in" : "out") + ChannelSuffix(channel, channels, "_");
}

std::string Lv2AudioPortName(bool input, int channel, int channels)
{
    std::string suffix = ChannelSuffix(channel, channels, " ");
    if (channels == 2)
    {
        suffix = channel == 0 ? " L" : " R";
    }
    return (input ? "Input" : "Output") + suffix;
}
