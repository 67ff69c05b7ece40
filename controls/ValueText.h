#pragma once

#include <string>

class IPlugBase;

namespace kestrune
{

// The bound parameter's host text for its current value (a display text when it has one),
// followed by `separator` and its Label. "" when the plug-in or the parameter is missing.
std::string ParameterValueText(IPlugBase* plug, int paramIndex, const char* separator);

// The same without the label.
std::string ParameterValueTextOnly(IPlugBase* plug, int paramIndex);

} // namespace kestrune
