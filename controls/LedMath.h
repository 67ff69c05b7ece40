#pragma once

// Geometry and brightness arithmetic of the LED dot-matrix display, kept free of cairo and of the
// control classes so that the numbers can be checked on their own.

#include "product/Bands.h"

#include <array>
#include <string>

namespace kestrune
{

// Red, green and blue components, each 0..255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Rgb&) const = default;
};

// Returns the colour with its HSV value replaced by brightnessPercent (0..100), hue and
// saturation kept; every channel is truncated to an integer.
Rgb WithBrightness(Rgb colour, double brightnessPercent);

struct DotMatrixGeometry
{
    double columnGapPx = 0.0; // extra horizontal space per column
    double ledRadiusPx = 0.0; // radius of one LED cell
};

// widthPx and heightPx are the integer size of the display rectangle; column 0 is the scale
// column, so columnCount band columns take columnCount + 1 cells.
DotMatrixGeometry ComputeDotMatrixGeometry(int widthPx, int heightPx, int columnCount,
                                           int rowCount);

// Centre of the LED in display column c (band b is column b + 1) and row j (0 at the top).
double LedCentreX(int leftPx, const DotMatrixGeometry& geometry, int column);
double LedCentreY(int topPx, const DotMatrixGeometry& geometry, int row);

// Brightness in percent (15 for an unlit LED, 100 for a fully lit one, in between for the
// partially reached LED) of row j of a column showing levelDb. A NaN level shows as unlit.
double LedBrightnessPercent(double levelDb, int rowCount, int dbPerLed, int row);

// Row (0 at the top) of the peak-hold LED for peakDb, or -1 when no peak LED is shown.
int PeakLedRow(double peakDb, int rowCount, int dbPerLed);

// Base colour of an LED by row: red for the top three rows, yellow for the fourth, green below.
Rgb LedBaseColour(int row);

// The hover readout's peak line: "Peak: -3.2dB", or "Peak: -infdB" for a band without a peak
// (the display's "no peak" mark, or silence).
std::string PeakReadoutText(double peakDb, double noPeakDb);

// Frequency texts under the band columns: "20", "25", "32", ..., "1.0K", ..., "20.0K".
std::array<std::string, kBandCount> MakeBandLabels();

} // namespace kestrune
