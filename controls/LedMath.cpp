#include "controls/LedMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrune
{

namespace
{

constexpr double kUnlitBrightnessPercent = 15.0;
constexpr double kFullBrightnessPercent = 100.0;

struct Hsv
{
    double hueDeg = 0.0;
    double saturationPercent = 0.0;
    double valuePercent = 0.0;
};

Hsv ToHsv(Rgb colour)
{
    const double r = colour.red;
    const double g = colour.green;
    const double b = colour.blue;
    const double mx = std::max({r, g, b});
    const double mn = std::min({r, g, b});
    Hsv hsv;
    if (mx <= 0.0)
        return hsv;
    const double saturation = (mx - mn) / mx;
    if (saturation > 0.0)
    {
        double hue = 0.0;
        if (r == mx)
            hue = (g - b) / (mx - mn);
        else if (g == mx)
            hue = (b - r) / (mx - mn) + 2.0;
        else
            hue = (r - g) / (mx - mn) + 4.0;
        hue *= 60.0;
        if (hue < 0.0)
            hue += 360.0;
        hsv.hueDeg = hue;
    }
    hsv.saturationPercent = saturation * 100.0;
    hsv.valuePercent = mx / 255.0 * 100.0;
    return hsv;
}

Rgb FromHsv(const Hsv& hsv)
{
    const double s = hsv.saturationPercent / 100.0;
    const double v = hsv.valuePercent / 100.0;
    const double full = v * 255.0;
    if (s <= 0.0)
    {
        const int grey = static_cast<int>(full);
        return {grey, grey, grey};
    }
    const double h = hsv.hueDeg >= 360.0 ? 0.0 : hsv.hueDeg / 60.0;
    const int sector = static_cast<int>(h);
    const double fraction = h - sector;
    const double p = (1.0 - s) * full;
    const double q = (1.0 - fraction * s) * full;
    const double t = (1.0 - (1.0 - fraction) * s) * full;
    double red = full;
    double green = p;
    double blue = q;
    switch (sector)
    {
    case 0:
        red = full, green = t, blue = p;
        break;
    case 1:
        red = q, green = full, blue = p;
        break;
    case 2:
        red = p, green = full, blue = t;
        break;
    case 3:
        red = p, green = q, blue = full;
        break;
    case 4:
        red = t, green = p, blue = full;
        break;
    default:
        break;
    }
    return {static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue)};
}

// Fraction of the column that a level fills, 0..1; NaN counts as empty.
double FillFraction(double levelDb, int rowCount, int dbPerLed)
{
    const double rangeDb = static_cast<double>(rowCount) * dbPerLed;
    const double fraction = (levelDb + rangeDb) / rangeDb;
    if (std::isnan(fraction))
        return 0.0;
    return std::clamp(fraction, 0.0, 1.0);
}

} // namespace

Rgb WithBrightness(Rgb colour, double brightnessPercent)
{
    Hsv hsv = ToHsv(colour);
    hsv.valuePercent = brightnessPercent;
    return FromHsv(hsv);
}

DotMatrixGeometry ComputeDotMatrixGeometry(int widthPx, int heightPx, int columnCount, int rowCount)
{
    DotMatrixGeometry geometry;
    geometry.columnGapPx = static_cast<double>(widthPx / (columnCount + 1)) / 3.0;
    const double byHeight = static_cast<double>(heightPx / (rowCount + 1)) * 0.5;
    const double byWidth =
        ((widthPx - columnCount * geometry.columnGapPx) / (columnCount + 1)) * 0.5;
    geometry.ledRadiusPx = std::fmin(byHeight, byWidth);
    return geometry;
}

double LedCentreX(int leftPx, const DotMatrixGeometry& geometry, int column)
{
    const double r = geometry.ledRadiusPx;
    return leftPx + r + 2.0 * r * column + geometry.columnGapPx * column - 1.0;
}

double LedCentreY(int topPx, const DotMatrixGeometry& geometry, int row)
{
    const double r = geometry.ledRadiusPx;
    return topPx + r + 2.0 * r * row;
}

double LedBrightnessPercent(double levelDb, int rowCount, int dbPerLed, int row)
{
    const double litLeds = FillFraction(levelDb, rowCount, dbPerLed) * rowCount;
    const double partial = std::fmod(litLeds, 1.0);
    const double whole = litLeds - partial;
    if (rowCount - whole <= row)
        return kFullBrightnessPercent;
    if (row == rowCount - static_cast<int>(std::ceil(litLeds)))
        return std::max(100.0 * partial, kUnlitBrightnessPercent);
    return kUnlitBrightnessPercent;
}

int PeakLedRow(double peakDb, int rowCount, int dbPerLed)
{
    const double fraction = FillFraction(peakDb, rowCount, dbPerLed);
    const int litLeds = static_cast<int>(std::ceil(fraction * rowCount));
    return litLeds >= 1 ? rowCount - litLeds : -1;
}

Rgb LedBaseColour(int row)
{
    if (row < 3)
        return {255, 0, 0};
    if (row == 3)
        return {255, 255, 0};
    return {0, 255, 0};
}

std::string PeakReadoutText(double peakDb, double noPeakDb)
{
    if (!(peakDb > noPeakDb) || !std::isfinite(peakDb))
        return "Peak: -infdB";
    char text[64];
    std::snprintf(text, sizeof text, "Peak: %2.1fdB", peakDb);
    return text;
}

std::array<std::string, kBandCount> MakeBandLabels()
{
    std::array<std::string, kBandCount> labels;
    for (int b = 0; b < kBandCount; ++b)
    {
        char text[32];
        const float hz = kBandCentreHz[static_cast<size_t>(b)];
        if (hz < 1000.0f)
            std::snprintf(text, sizeof text, "%2.0f", static_cast<double>(hz));
        else
            std::snprintf(text, sizeof text, "%2.1fK", static_cast<double>(hz) / 1000.0);
        labels[static_cast<size_t>(b)] = text;
    }
    return labels;
}

} // namespace kestrune
