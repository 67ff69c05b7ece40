#include "ControlFixture.h"

#include "controls/ICairoDotMatrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();

// The editor's display: (4, 48, 792, 272), 12 rows, 31 columns, 3 dB per LED.
struct DisplayFixture : ::testing::Test
{
    EditorFixture editor;
    ICairoDotMatrix* display = nullptr;

    void SetUp() override
    {
        display = editor.Add(
            new ICairoDotMatrix(editor.plug.get(), editor.surface, {4, 48, 792, 272}, 12, 31, 3));
        editor.Attach();
    }

    // Pixel under the centre of the LED of band b, row j.
    Pixel Led(int band, int row) const
    {
        const double x = 36.3125 + 24.875 * band;
        const double y = 56.4375 + 16.875 * row;
        return editor.At(static_cast<int>(x), static_cast<int>(y));
    }

    void SetAllLevels(double db)
    {
        for (int b = 0; b < 31; ++b)
            display->SetLevel(b, db);
    }
};

void ExpectPixel(const Pixel& p, int red, int green, int blue, int tolerance = 0)
{
    EXPECT_NEAR(p.red, red, tolerance);
    EXPECT_NEAR(p.green, green, tolerance);
    EXPECT_NEAR(p.blue, blue, tolerance);
}

} // namespace

TEST_F(DisplayFixture, ConstructionState)
{
    EXPECT_EQ(display->ParamIndex(), -1);
    EXPECT_DOUBLE_EQ(display->ColumnGap(), 8.0);
    EXPECT_DOUBLE_EQ(display->LedRadius(), 8.4375);
    EXPECT_EQ(display->DbPerLed(), 3);
    EXPECT_FALSE(display->PeakDisplay());
    EXPECT_EQ(display->HoverX(), -1);
    EXPECT_EQ(display->HoverY(), -1);
    for (int b = 0; b < 31; ++b)
    {
        EXPECT_EQ(display->Level(b), -120.0);
        EXPECT_EQ(display->Peak(b), -999.0);
    }
    EXPECT_EQ(display->Peak(127), -999.0);
    EXPECT_EQ(display->BandLabel(0), "20");
    EXPECT_EQ(display->BandLabel(30), "20.0K");
}

TEST_F(DisplayFixture, SilenceShowsEveryLedAtFifteenPercent)
{
    SetAllLevels(-kInf);
    editor.Frame();
    for (int band : {0, 15, 30})
    {
        ExpectPixel(Led(band, 0), 38, 0, 0);
        ExpectPixel(Led(band, 2), 38, 0, 0);
        ExpectPixel(Led(band, 3), 38, 38, 0);
        ExpectPixel(Led(band, 4), 0, 38, 0);
        ExpectPixel(Led(band, 11), 0, 38, 0);
    }
    // Between two LED columns the background shows through.
    ExpectPixel(editor.At(48, 60), 46, 46, 46);
}

TEST_F(DisplayFixture, FullScaleLightsEveryLed)
{
    SetAllLevels(0.0);
    editor.Frame();
    ExpectPixel(Led(7, 0), 255, 0, 0);
    ExpectPixel(Led(7, 3), 255, 255, 0);
    ExpectPixel(Led(7, 11), 0, 255, 0);
}

TEST_F(DisplayFixture, PartialLedDimmedInProportion)
{
    display->SetLevel(4, -4.0);
    editor.Frame();
    ExpectPixel(Led(4, 0), 38, 0, 0);
    ExpectPixel(Led(4, 1), 169, 0, 0); // 66.7 % of 255, truncated
    ExpectPixel(Led(4, 2), 255, 0, 0);
    ExpectPixel(Led(5, 2), 38, 0, 0); // the neighbour stays silent
}

TEST_F(DisplayFixture, SixDbPerLedRescalesAtNextDraw)
{
    // -6 dB lights 10 of 12 LEDs at 3 dB per LED and 11 at 6 dB per LED.
    display->SetLevel(0, -6.0);
    editor.Frame();
    ExpectPixel(Led(0, 1), 38, 0, 0);
    ExpectPixel(Led(0, 2), 255, 0, 0);
    display->SetDbPerLed(6);
    editor.Frame();
    ExpectPixel(Led(0, 0), 38, 0, 0);
    ExpectPixel(Led(0, 1), 255, 0, 0);
}

TEST_F(DisplayFixture, PeakLedOnlyWithPeakDisplay)
{
    display->SetPeak(2, -3.0);
    editor.Frame();
    ExpectPixel(Led(2, 1), 38, 0, 0);
    display->SetPeakDisplay(true);
    editor.Frame();
    // White at 0.8 over the unlit red LED.
    ExpectPixel(Led(2, 1), 212, 204, 204, 1);
    display->ResetPeaks();
    editor.Frame();
    ExpectPixel(Led(2, 1), 38, 0, 0);
    display->SetPeak(2, -36.0); // exactly -D: k = 0, nothing shown
    editor.Frame();
    ExpectPixel(Led(2, 11), 0, 38, 0);
}

TEST_F(DisplayFixture, GreyedDisplayDrawsAtFortyPercent)
{
    SetAllLevels(0.0);
    display->SetGrayed(true);
    editor.Frame();
    EXPECT_DOUBLE_EQ(display->AlphaFactor(), 0.4);
    // 0.4 x LED + 0.6 x background 46.
    ExpectPixel(Led(3, 0), 130, 28, 28, 1);
    ExpectPixel(Led(3, 11), 28, 130, 28, 1);
    display->SetGrayed(false);
    editor.Frame();
    EXPECT_DOUBLE_EQ(display->AlphaFactor(), 1.0);
    ExpectPixel(Led(3, 0), 255, 0, 0);
}

TEST_F(DisplayFixture, ReadoutSpansPerBand)
{
    struct Case
    {
        int x;
        int band;
    };
    // Band 0 spans x 29..44, band 1 from 54; the scale column and the gaps hold no band.
    const Case cases[] = {{10, -1}, {28, -1}, {29, 0},  {44, 0},   {45, -1}, {53, -1},
                          {54, 1},  {69, 1},  {70, -1}, {775, 30}, {791, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(display->BandAt(c.x, 100), c.band) << c.x;
    EXPECT_EQ(display->BandAt(30, 47), -1);
    EXPECT_EQ(display->BandAt(30, 48), 0);
    EXPECT_EQ(display->BandAt(30, 271), 0);
    EXPECT_EQ(display->BandAt(30, 272), -1);
}

TEST_F(DisplayFixture, ReadoutBoxPlacement)
{
    struct Case
    {
        int hoverX, hoverY;
        int boxX, boxY;
    };
    const Case cases[] = {
        {100, 100, 120, 120}, // room on both sides
        {700, 100, 600, 120}, // within 110 px of the right edge: left of the pointer
        {100, 240, 120, 210}, // within 70 px of the bottom: above it
        {682, 202, 702, 222}, // exactly on both limits still goes right and below
    };
    for (const Case& c : cases)
    {
        display->HandleMouseOver(c.hoverX, c.hoverY, {});
        editor.Frame();
        // The outline colour on the top edge, well right of the text.
        ExpectPixel(editor.At(c.boxX + 80, c.boxY), 205, 255, 67);
        ExpectPixel(editor.At(c.boxX, c.boxY + 40), 205, 255, 67);
        display->HandleMouseOut();
        editor.Frame();
        EXPECT_NE(editor.At(c.boxX + 80, c.boxY).green, 255);
    }
    EXPECT_EQ(display->HoverX(), -1);
    EXPECT_EQ(display->HoverY(), -1);
}

TEST_F(DisplayFixture, HoverMarksForRedrawOnly)
{
    editor.Frame();
    editor.graphics->DrawAll();
    editor.graphics->DrawAll();
    EXPECT_FALSE(display->IsMarkedDirty());
    display->HandleMouseOver(300, 100, {});
    EXPECT_TRUE(display->IsMarkedDirty());
    EXPECT_EQ(display->HoverX(), 300);
    EXPECT_EQ(display->HoverY(), 100);
    EXPECT_TRUE(editor.plug->HostEvents().empty());
}

TEST(DotMatrixLimits, ColumnsBeyondThirtyOneAreCut)
{
    EditorFixture editor;
    auto* display = editor.Add(
        new ICairoDotMatrix(editor.plug.get(), editor.surface, {4, 48, 792, 272}, 12, 40, 3));
    EXPECT_EQ(display->ColumnCount(), 31);
    EXPECT_EQ(display->BandLabel(31), "");
    editor.Attach();
    editor.Frame(); // draws without reading past the label table
}

TEST_F(DisplayFixture, LedsMatchPlainCircleFills)
{
    // A spread of levels and peaks so every brightness kind shows.
    for (int b = 0; b < 31; ++b)
    {
        display->SetLevel(b, -1.3 * b);
        display->SetPeak(b, -1.1 * b);
    }
    display->SetPeakDisplay(true);
    editor.Frame();

    cairo_surface_t* reference = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(reference);
    cairo_set_source_rgb(cr, 46 / 255.0, 46 / 255.0, 46 / 255.0);
    cairo_paint(cr);
    cairo_rectangle(cr, 4, 48, 788, 224);
    cairo_clip(cr);
    const double radius = 8.4375 - 2.0;
    for (int b = 0; b < 31; ++b)
    {
        const double x = 36.3125 + 24.875 * b;
        for (int j = 0; j < 12; ++j)
        {
            const auto rgb = kestrune::WithBrightness(
                kestrune::LedBaseColour(j), kestrune::LedBrightnessPercent(-1.3 * b, 12, 3, j));
            cairo_set_source_rgb(cr, rgb.red / 255.0, rgb.green / 255.0, rgb.blue / 255.0);
            cairo_new_path(cr);
            cairo_arc(cr, x, 56.4375 + 16.875 * j, radius, 0.0, 2.0 * M_PI);
            cairo_fill(cr);
        }
        const int peakRow = kestrune::PeakLedRow(-1.1 * b, 12, 3);
        if (peakRow < 0)
            continue;
        cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.8);
        cairo_new_path(cr);
        cairo_arc(cr, x, 56.4375 + 16.875 * peakRow, radius, 0.0, 2.0 * M_PI);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(reference);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(reference));
    const int stride = cairo_image_surface_get_stride(reference) / 4;
    int largestDifference = 0;
    // The LED area: right of the scale column, above the band labels.
    for (int y = 48; y < 250; ++y)
        for (int x = 29; x < 792; ++x)
        {
            const uint32_t p = pixels[y * stride + x];
            const Pixel got = editor.At(x, y);
            largestDifference =
                std::max({largestDifference, std::abs(got.red - static_cast<int>((p >> 16) & 0xFF)),
                          std::abs(got.green - static_cast<int>((p >> 8) & 0xFF)),
                          std::abs(got.blue - static_cast<int>(p & 0xFF))});
        }
    cairo_surface_destroy(reference);
    // Compositing a mask rounds anti-aliased edge pixels under a translucent source by at most 1.
    EXPECT_LE(largestDifference, 1);
}
