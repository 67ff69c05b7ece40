#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "framework/IPlugBase.h"

// The parameter table of a plug-in instance as a JSON array: one object per parameter with
// "index", "name", "kind", "default", "min", "max", "step", "label", "displayTexts" (array of
// {"value", "text"}) and "valueText" (the host's value text of the default).
nlohmann::ordered_json ParametersToJson(const IPlugBase& plug);

// The same table as aligned text, one parameter per line under a heading.
std::string ParametersToText(const IPlugBase& plug);
