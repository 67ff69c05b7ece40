#pragma once

#include "product/Bands.h"

#include <array>
#include <string>
#include <vector>

class VantorKestrune;

namespace kestrune::cli
{

// What the response picture shows: the gains the equaliser applies, the sample rate they are
// designed at and, optionally, the analysed band levels.
struct ResponseData
{
    double sampleRateHz = 44100.0;
    std::array<double, kBandCount> bandGainsDb{};
    std::array<double, kBandCount> bandLevelsLinear{};
    bool showLevels = false;
    bool bypassed = false; // "Bypass EQ" is on: the filters do not run
};

ResponseData CollectResponseData(const VantorKestrune& plug, bool showLevels);

// Draws the plot (magnitude over 20 Hz - 20 kHz on a log axis, gains as points, levels as
// bars) and writes it as PNG; a ToolError when the file cannot be written.
void WriteResponsePicture(const ResponseData& data, const std::string& path,
                          const std::vector<std::string>& inputs = {});

} // namespace kestrune::cli
