#pragma once

#include <cstddef>

// The module's raw data resources. On Windows they live in the module; elsewhere the build embeds
// the same bytes into a table that is looked up the same way, by number and type.
namespace kestrune
{

constexpr int kResourceTypeRawData = 10;

constexpr int kFontTitilliumLabels = 101;  // text labels
constexpr int kFontTitilliumDisplay = 102; // analyser, dropdowns, knobs (same bytes as 101)
constexpr int kFontSarpanch = 103;         // the footer's large labels

constexpr const char* kTitilliumFileName = "resources/TitilliumWeb-Regular.ttf";
constexpr const char* kSarpanchFileName = "resources/Sarpanch-Medium.ttf";

struct ResourceBytes
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// Finds a resource; false (and out untouched) when the module has none with that number and
// type. The bytes stay valid for the life of the process. moduleHandle may be null.
bool FindModuleResource(const void* moduleHandle, int number, int type, ResourceBytes& out);

} // namespace kestrune
