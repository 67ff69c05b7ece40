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
      columnCount(std::clamp(columns, 0, kMaxColumns)), rowCount(std::max(rows, 1))
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

ICairoDotMatrix::~ICairoDotMatrix()
{
    for (int i = 0; i < spriteCount; ++i)
        cairo_surface_destroy(sprites[static_cast<size_t>(i)].mask);
}

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

// Every column's LEDs, then its peak-hold LED over them.
void ICairoDotMatrix::DrawLeds(int db)
{
    const double radius = geometry.ledRadiusPx - 2.0;
    for (int c = 1; c <= columnCount; ++c)
    {
        const double x = kestrune::LedCentreX(drawRect.left, geometry, c);
        const double levelDb = Level(c - 1);
        for (int j = 0; j < rowCount; ++j)
        {
            const double brightness = kestrune::LedBrightnessPercent(levelDb, rowCount, db, j);
            const Rgb rgb = kestrune::WithBrightness(kestrune::LedBaseColour(j), brightness);
            cairo_set_source_rgba(cr, rgb.red / 255.0, rgb.green / 255.0, rgb.blue / 255.0,
                                  alphaFactor);
            FillLed(x, kestrune::LedCentreY(drawRect.top, geometry, j), radius);
        }
        if (!PeakDisplay())
            continue;
        const int peakRow = kestrune::PeakLedRow(Peak(c - 1), rowCount, db);
        if (peakRow < 0)
            continue;
        cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.8 * alphaFactor);
        FillLed(x, kestrune::LedCentreY(drawRect.top, geometry, peakRow), radius);
    }
}

// A filled circle in the current source colour. The circle's coverage is rasterised once per
// sub-pixel position into a small mask and then only composited: the same pixels as filling the
// circle each time, at a fifth of the cost (the display draws over 400 of them per frame).
void ICairoDotMatrix::FillLed(double x, double y, double radius)
{
    const double pixelX = std::floor(x);
    const double pixelY = std::floor(y);
    const LedSprite* sprite = SpriteFor(x - pixelX, y - pixelY, radius);
    if (!sprite)
    {
        kestrune::FillCircle(cr, x, y, radius);
        return;
    }
    cairo_mask_surface(cr, sprite->mask, pixelX - sprite->marginPx, pixelY - sprite->marginPx);
}

const ICairoDotMatrix::LedSprite* ICairoDotMatrix::SpriteFor(double fractionX, double fractionY,
                                                             double radius)
{
    for (int i = 0; i < spriteCount; ++i)
    {
        const LedSprite& sprite = sprites[static_cast<size_t>(i)];
        if (sprite.fractionX == fractionX && sprite.fractionY == fractionY &&
            sprite.radius == radius)
            return &sprite;
    }
    if (spriteCount == kMaxSprites || !(radius > 0.0) || radius > 1000.0)
        return nullptr;
    const int margin = static_cast<int>(std::ceil(radius)) + 2;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, 2 * margin, 2 * margin);
    cairo_t* maskContext = cairo_create(mask);
    kestrune::FillCircle(maskContext, margin + fractionX, margin + fractionY, radius);
    const bool drawn = cairo_status(maskContext) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(maskContext);
    if (!drawn)
    {
        cairo_surface_destroy(mask);
        return nullptr;
    }
    LedSprite& sprite = sprites[static_cast<size_t>(spriteCount++)];
    sprite = {fractionX, fractionY, radius, margin, mask};
    return &sprite;
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
    DrawText(cr, kestrune::PeakReadoutText(Peak(band), kNoPeakDb).c_str(), kReadoutTextSize,
             kTextColour.alpha, kTextColour.red, kTextColour.green, kTextColour.blue,
             Rect(boxX + 3, boxY + 25, boxX + kReadoutWidth, boxY + 50), kAlignLeft, kAlignMiddle);
}
