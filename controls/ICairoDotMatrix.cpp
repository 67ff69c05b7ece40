#include "controls/ICairoDotMatrix.h"

#include "controls/CairoShapes.h"
#include "resources/ModuleResources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using kestrune::Rgb;

namespace
{

const Color kTextColour{255, 200, 200, 200};
const Color kReadoutOutline{255, 205, 255, 67};

constexpr int kReadoutWidth = 90;
constexpr int kReadoutHeight = 50;
constexpr double kReadoutTextSize = 12.0;

int Floor(double v)
{
    return static_cast<int>(std::floor(v));
}

bool ValidSlot(int band)
{
    return band >= 0 && band < ICairoDotMatrix::kLevelSlots;
}

} // namespace

ICairoDotMatrix::ICairoDotMatrix(IPlugBase* plugIn, ycairo_surface* holderSurface,
                                 const Rect& bounds, int rows, int columns, int db)
    : IControl(plugIn, bounds, -1), ycairo_gui(holderSurface, this), ycairo_text(holderSurface),
      columnCount(std::clamp(columns, 0, kMaxColumns)), rowCount(std::clamp(rows, 1, kMaxRows))
{
    SetDbPerLed(db);
    LoadFont(kestrune::kFontTitilliumDisplay, kestrune::kResourceTypeRawData,
             kestrune::kTitilliumFileName);
    UpdateGeometry();
    const auto labels = kestrune::MakeBandLabels();
    std::copy(labels.begin(), labels.end(), bandLabels.begin());
    for (int b = 0; b < kLevelSlots; ++b)
    {
        levels[static_cast<size_t>(b)].store(b < columnCount ? kSilentLevelDb : 0.0);
        peaks[static_cast<size_t>(b)].store(kNoPeakDb);
    }
}

ICairoDotMatrix::~ICairoDotMatrix() = default;

double ICairoDotMatrix::Level(int band) const
{
    return ValidSlot(band) ? levels[static_cast<size_t>(band)].load(std::memory_order_relaxed)
                           : kSilentLevelDb;
}

void ICairoDotMatrix::SetLevel(int band, double levelDb)
{
    if (ValidSlot(band))
        levels[static_cast<size_t>(band)].store(levelDb, std::memory_order_relaxed);
}

double ICairoDotMatrix::Peak(int band) const
{
    return ValidSlot(band) ? peaks[static_cast<size_t>(band)].load(std::memory_order_relaxed)
                           : kNoPeakDb;
}

void ICairoDotMatrix::SetPeak(int band, double peakDb)
{
    if (ValidSlot(band))
        peaks[static_cast<size_t>(band)].store(peakDb, std::memory_order_relaxed);
}

void ICairoDotMatrix::ResetPeaks()
{
    for (auto& peak : peaks)
        peak.store(kNoPeakDb, std::memory_order_relaxed);
}

void ICairoDotMatrix::SetDbPerLed(int db)
{
    if (db > 0)
        dbPerLed.store(db, std::memory_order_relaxed);
}

const std::string& ICairoDotMatrix::BandLabel(int band) const
{
    static const std::string none;
    return band >= 0 && band < kMaxColumns ? bandLabels[static_cast<size_t>(band)] : none;
}

void ICairoDotMatrix::HandleMouseOver(int x, int y, MouseMods)
{
    hoverX = x;
    hoverY = y;
    MarkDirty(true);
}

void ICairoDotMatrix::HandleMouseOut()
{
    hoverX = -1;
    hoverY = -1;
    MarkDirty(true);
}

void ICairoDotMatrix::UpdateGeometry()
{
    geometry = kestrune::ComputeDotMatrixGeometry(drawRect.Width(), drawRect.Height(), columnCount,
                                                  rowCount);
}

int ICairoDotMatrix::BandAt(int x, int y) const
{
    if (y < drawRect.top || y >= drawRect.bottom)
        return -1;
    const double r = geometry.ledRadiusPx;
    const int bands = std::min(columnCount, kMaxColumns);
    for (int b = 0; b < bands; ++b)
    {
        const int x1 = Floor(drawRect.left + r + 2.0 * r * (b + 1) + b * geometry.columnGapPx);
        const int x2 = Floor(x1 + 2.0 * r);
        if (x >= x1 && x < x2)
            return b;
    }
    return -1;
}

bool ICairoDotMatrix::Draw(IGraphics&)
{
    alphaFactor = IsGrayed() ? 0.4 : 1.0;
    BeginDraw();
    if (!cr)
        return true;
    UpdateGeometry();
    const int db = DbPerLed();
    DrawScale(db);
    DrawLeds(db);
    DrawBandLabels();
    if (hoverX >= 0 && hoverY >= 0)
        DrawReadout();
    EndDraw();
    return true;
}

void ICairoDotMatrix::DrawScale(int db)
{
    const double r = geometry.ledRadiusPx;
    for (int j = 0; j < rowCount; ++j)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%2d", -(j * db));
        const Rect cell(drawRect.left, Floor(drawRect.top + 2.0 * r * j),
                        Floor(drawRect.left + 2.0 * r), Floor(drawRect.top + 2.0 * r * (j + 1)));
        DrawText(cr, buffer, r, kTextColour.alpha, kTextColour.red, kTextColour.green,
                 kTextColour.blue, cell, kAlignCentre, kAlignMiddle);
    }
}

// All LEDs, then the peak-hold LEDs over them. Circles of one colour are filled as one path:
// no two LEDs share a pixel, so this draws exactly what one fill per LED draws, in a fraction
// of the time.
void ICairoDotMatrix::DrawLeds(int db)
{
    static constexpr int kMaxLeds = kMaxColumns * kMaxRows;
    std::array<int, kMaxLeds> packedColour;
    std::array<int, kMaxLeds> distinctColours;
    int distinctCount = 0;
    const int rows = rowCount;
    for (int c = 0; c < columnCount; ++c)
    {
        const double levelDb = Level(c);
        for (int j = 0; j < rows; ++j)
        {
            const double brightness = kestrune::LedBrightnessPercent(levelDb, rows, db, j);
            const Rgb rgb = kestrune::WithBrightness(kestrune::LedBaseColour(j), brightness);
            const int packed = (rgb.red << 16) | (rgb.green << 8) | rgb.blue;
            packedColour[static_cast<size_t>(c * rows + j)] = packed;
            const auto distinctEnd = distinctColours.begin() + distinctCount;
            if (std::find(distinctColours.begin(), distinctEnd, packed) == distinctEnd)
                distinctColours[static_cast<size_t>(distinctCount++)] = packed;
        }
    }
    const double radius = geometry.ledRadiusPx - 2.0;
    for (int k = 0; k < distinctCount; ++k)
    {
        const int packed = distinctColours[static_cast<size_t>(k)];
        cairo_new_path(cr);
        for (int c = 0; c < columnCount; ++c)
            for (int j = 0; j < rows; ++j)
                if (packedColour[static_cast<size_t>(c * rows + j)] == packed)
                    kestrune::AddCircle(cr, kestrune::LedCentreX(drawRect.left, geometry, c + 1),
                                        kestrune::LedCentreY(drawRect.top, geometry, j), radius);
        cairo_set_source_rgba(cr, ((packed >> 16) & 0xFF) / 255.0, ((packed >> 8) & 0xFF) / 255.0,
                              (packed & 0xFF) / 255.0, alphaFactor);
        cairo_fill(cr);
    }
    if (!PeakDisplay())
        return;
    cairo_new_path(cr);
    for (int c = 0; c < columnCount; ++c)
    {
        const int peakRow = kestrune::PeakLedRow(Peak(c), rowCount, db);
        if (peakRow >= 0)
            kestrune::AddCircle(cr, kestrune::LedCentreX(drawRect.left, geometry, c + 1),
                                kestrune::LedCentreY(drawRect.top, geometry, peakRow), radius);
    }
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.8 * alphaFactor);
    cairo_fill(cr);
}

void ICairoDotMatrix::DrawBandLabels()
{
    const double r = geometry.ledRadiusPx;
    const double g = geometry.columnGapPx;
    for (int c = 1; c <= columnCount; ++c)
    {
        const Rect cell(Floor(drawRect.left + 2.0 * r * c),
                        Floor(drawRect.top + 2.0 * r * rowCount),
                        Floor(drawRect.left + 2.0 * r * (c + 1) + 2.0 * g * c - 1.0),
                        Floor(drawRect.top + 2.0 * r * (rowCount + 1)));
        DrawText(cr, BandLabel(c - 1).c_str(), 1.1 * r, kTextColour.alpha, kTextColour.red,
                 kTextColour.green, kTextColour.blue, cell, kAlignCentre, kAlignMiddle);
    }
}

void ICairoDotMatrix::DrawReadout()
{
    const int boxX = hoverX + 110 <= drawRect.right ? hoverX + 20 : hoverX - 100;
    const int boxY = hoverY + 70 <= drawRect.bottom ? hoverY + 20 : hoverY - 30;
    cairo_new_path(cr);
    cairo_rectangle(cr, boxX, boxY, kReadoutWidth, kReadoutHeight);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.8 * alphaFactor);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.0);
    kestrune::SetSourceRgbAlpha(cr, kReadoutOutline, alphaFactor);
    cairo_stroke(cr);

    const int band = BandAt(hoverX, hoverY);
    if (band < 0)
        return;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Freq: %sHz", BandLabel(band).c_str());
    DrawText(cr, buffer, kReadoutTextSize, kTextColour.alpha, kTextColour.red, kTextColour.green,
             kTextColour.blue, Rect(boxX + 3, boxY, boxX + kReadoutWidth, boxY + 25), kAlignLeft,
             kAlignMiddle);
    std::snprintf(buffer, sizeof buffer, "Peak: %2.1fdB", Peak(band));
    DrawText(cr, buffer, kReadoutTextSize, kTextColour.alpha, kTextColour.red, kTextColour.green,
             kTextColour.blue, Rect(boxX + 3, boxY + 25, boxX + kReadoutWidth, boxY + 50),
             kAlignLeft, kAlignMiddle);
}
