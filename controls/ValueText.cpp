#include "controls/ValueText.h"

#include "framework/IPlugBase.h"

namespace kestrune
{

std::string ParameterValueTextOnly(IPlugBase* plug, int paramIndex)
{
    const IPlugParameter* parameter = plug ? plug->Param(paramIndex) : nullptr;
    if (!parameter)
        return {};
    char text[kParamTextCapacity];
    parameter->FormatForHost(parameter->Value(), false, text, true, sizeof text);
    return text;
}

std::string ParameterValueText(IPlugBase* plug, int paramIndex, const char* separator)
{
    const IPlugParameter* parameter = plug ? plug->Param(paramIndex) : nullptr;
    if (!parameter)
        return {};
    return ParameterValueTextOnly(plug, paramIndex) + separator + parameter->Label();
}

} // namespace kestrune
