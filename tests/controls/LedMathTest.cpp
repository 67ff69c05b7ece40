#include "controls/LedMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kestrune;

namespace
{

// The editor's analyser rectangle (4, 48, 792, 272) with 31 columns and 12 rows.
DotMatrixGeometry EditorGeometry()
{
    return ComputeDotMatrixGeometry(792 - 4, 272 - 48, 31, 12);
}

} // namespace

TEST(DotMatrixGeometry, EditorDisplayGapRadiusAndCentres)
{
    const DotMatrixGeometry geometry = EditorGeometry();
    EXPECT_DOUBLE_EQ(geometry.columnGapPx, 8.0);
    EXPECT_DOUBLE_EQ(geometry.ledRadiusPx, 8.4375);
    for (int band = 0; band < kBandCount; ++band)
        EXPECT_DOUBLE_EQ(LedCentreX(4, geometry, band + 1), 36.3125 + 24.875 * band) << band;
    EXPECT_DOUBLE_EQ(LedCentreY(48, geometry, 0), 56.4375);
    EXPECT_DOUBLE_EQ(LedCentreY(48, geometry, 11), 242.0625);
}

TEST(DotMatrixGeometry, RadiusLimitedByHeightWhenDisplayIsFlat)
{
    // 13 cells of 10 px height: the height bound 5.0 is smaller than the width bound.
    const DotMatrixGeometry geometry = ComputeDotMatrixGeometry(788, 130, 31, 12);
    EXPECT_DOUBLE_EQ(geometry.ledRadiusPx, 5.0);
}

TEST(LedBrightness, UnlitLedsAtFifteenPercent)
{
    EXPECT_EQ(WithBrightness({255, 0, 0}, 15.0), (Rgb{38, 0, 0}));
    EXPECT_EQ(WithBrightness({255, 255, 0}, 15.0), (Rgb{38, 38, 0}));
    EXPECT_EQ(WithBrightness({0, 255, 0}, 15.0), (Rgb{0, 38, 0}));
}

TEST(LedBrightness, ConversionCases)
{
    struct Case
    {
        Rgb in;
        double percent;
        Rgb out;
    };
    const Case cases[] = {
        {{255, 0, 0}, 100.0, {255, 0, 0}},
        {{0, 255, 0}, 66.0, {0, 168, 0}},
        {{200, 200, 200}, 50.0, {127, 127, 127}}, // grey: no saturation
        {{0, 0, 0}, 40.0, {102, 102, 102}},       // black has no hue either
        {{0, 0, 255}, 100.0, {0, 0, 255}},
        {{255, 0, 255}, 100.0, {255, 0, 255}},   // hue 300: last sector
        {{205, 255, 67}, 100.0, {205, 255, 66}}, // channels are truncated, not rounded
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithBrightness(c.in, c.percent), c.out)
            << c.in.red << "," << c.in.green << "," << c.in.blue << " at " << c.percent;
}

TEST(LedBrightness, BaseColourByRow)
{
    EXPECT_EQ(LedBaseColour(0), (Rgb{255, 0, 0}));
    EXPECT_EQ(LedBaseColour(2), (Rgb{255, 0, 0}));
    EXPECT_EQ(LedBaseColour(3), (Rgb{255, 255, 0}));
    EXPECT_EQ(LedBaseColour(4), (Rgb{0, 255, 0}));
    EXPECT_EQ(LedBaseColour(11), (Rgb{0, 255, 0}));
}

TEST(LedLevels, ColumnAtThreeDbPerLed)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        double levelDb;
        double expected[12];
    };
    const Case cases[] = {
        {0.0, {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}},
        {6.0, {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}},
        {-3.0, {15, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}},
        {-4.0,
         {15, 100.0 * (32.0 / 36.0 * 12.0 - 10.0), 100, 100, 100, 100, 100, 100, 100, 100, 100,
          100}},
        {-36.0, {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15}},
        {-inf, {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15}},
        {nan, {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15}},
        // Barely above the bottom: the partial LED stays at the 15 % floor.
        {-35.9, {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15}},
    };
    for (const Case& c : cases)
        for (int row = 0; row < 12; ++row)
            EXPECT_NEAR(LedBrightnessPercent(c.levelDb, 12, 3, row), c.expected[row], 1e-9)
                << "level " << c.levelDb << " row " << row;
    EXPECT_NEAR(LedBrightnessPercent(-4.0, 12, 3, 1), 66.6667, 1e-3);
}

TEST(LedLevels, SixDbPerLedDoublesTheRange)
{
    EXPECT_DOUBLE_EQ(LedBrightnessPercent(-6.0, 12, 6, 0), 15.0);
    EXPECT_DOUBLE_EQ(LedBrightnessPercent(-6.0, 12, 6, 1), 100.0);
    EXPECT_DOUBLE_EQ(LedBrightnessPercent(-66.0, 12, 6, 11), 100.0);
    EXPECT_DOUBLE_EQ(LedBrightnessPercent(-72.0, 12, 6, 11), 15.0);
}

TEST(LedLevels, PeakRow)
{
    struct Case
    {
        double peakDb;
        int row;
    };
    const Case cases[] = {
        {0.0, 0}, {-3.0, 1}, {-4.0, 1}, {-33.0, 11}, {-35.0, 11}, {-36.0, -1}, {-999.0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeakLedRow(c.peakDb, 12, 3), c.row) << c.peakDb;
}

TEST(BandLabels, FormattedFromTheCentreTable)
{
    const auto labels = MakeBandLabels();
    const char* expected[kBandCount] = {
        "20",   "25",   "32",   "40",   "50",   "63",    "80",    "100",   "125",  "160",  "200",
        "250",  "315",  "400",  "500",  "635",  "800",   "1.0K",  "1.2K",  "1.6K", "2.0K", "2.5K",
        "3.1K", "4.0K", "5.0K", "6.3K", "8.0K", "10.0K", "12.0K", "16.0K", "20.0K"};
    for (int b = 0; b < kBandCount; ++b)
        EXPECT_EQ(labels[static_cast<size_t>(b)], expected[b]) << b;
}

// The readout prints a peak as a number; the display's "no peak" mark and silence are no
// number.
TEST(PeakReadout, NumbersForPeaksAndNoneForTheMark)
{
    const std::pair<double, const char*> cases[] = {
        {-3.24, "Peak: -3.2dB"},  {0.0, "Peak: 0.0dB"},        {6.05, "Peak: 6.0dB"},
        {-999.0, "Peak: -infdB"}, {-HUGE_VAL, "Peak: -infdB"}, {std::nan(""), "Peak: -infdB"},
    };
    for (const auto& [peakDb, text] : cases)
        EXPECT_EQ(kestrune::PeakReadoutText(peakDb, -999.0), text) << peakDb;
}
