#pragma once

#include "controls/LedMath.h"
#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_text.h"

#include <array>
#include <atomic>
#include <string>

// The spectrum display: one column of round LEDs per analyser band (red at the top, one yellow,
// green below), a dB scale column on the left, a frequency label under every column and, while
// the pointer hovers, a readout with the frequency and peak of the column under it. Bound to no
// parameter: the plug-in writes levels, peaks and options into it.
//
// Threads: levels, peaks, dB per LED and the peak switch are written by the plug-in (audio thread
// or parameter reactions, under the plug-in lock) and read by Draw on the editor thread without
// it; each is an atomic, so a frame shows whole values, at worst one block old.
class ICairoDotMatrix : public IControl, public ycairo_gui, public ycairo_text
{
public:
    static constexpr int kMaxColumns = kBandCount;
    static constexpr int kLevelSlots = 128;
    static constexpr double kSilentLevelDb = -120.0;
    static constexpr double kNoPeakDb = -999.0;

    ICairoDotMatrix(IPlugBase* plug, ycairo_surface* surface, const Rect& rect, int rowCount,
                    int columnCount, int dbPerLed);
    ~ICairoDotMatrix() override;

    void HandleMouseOver(int x, int y, MouseMods mods) override;
    void HandleMouseOut() override;
    bool Draw(IGraphics& graphics) override;

    // Band levels and peak-hold levels in dB; bands outside 0..127 read as silence and are not
    // stored.
    double Level(int band) const;
    void SetLevel(int band, double levelDb);
    double Peak(int band) const;
    void SetPeak(int band, double peakDb);
    // Every peak back to "none" (-999 dB).
    void ResetPeaks();

    int DbPerLed() const { return dbPerLed.load(std::memory_order_relaxed); }
    // Only positive steps are taken; the editor uses 1, 2, 3 and 6.
    void SetDbPerLed(int db);
    bool PeakDisplay() const { return peakDisplay.load(std::memory_order_relaxed); }
    void SetPeakDisplay(bool show) { peakDisplay.store(show, std::memory_order_relaxed); }

    int ColumnCount() const { return columnCount; }
    double LedRadius() const { return geometry.ledRadiusPx; }
    double ColumnGap() const { return geometry.columnGapPx; }
    double AlphaFactor() const { return alphaFactor; }
    int HoverX() const { return hoverX; }
    int HoverY() const { return hoverY; }
    const std::string& BandLabel(int band) const;
    // Band whose readout span holds (x, y), or -1 (scale column, gaps, outside).
    int BandAt(int x, int y) const;

private:
    void UpdateGeometry();
    void DrawScale(int db);
    void DrawLeds(int db);
    void FillLed(double x, double y, double radius);

    // An LED's coverage at one sub-pixel position, rasterised once (editor thread only).
    struct LedSprite
    {
        double fractionX = 0.0;
        double fractionY = 0.0;
        double radius = 0.0;
        int marginPx = 0; // the circle's centre lies this far into the mask
        cairo_surface_t* mask = nullptr;
    };
    static constexpr int kMaxSprites = 128;
    const LedSprite* SpriteFor(double fractionX, double fractionY, double radius);
    void DrawBandLabels();
    void DrawReadout();

    int columnCount = 0;
    int rowCount = 0;
    std::atomic<int> dbPerLed{3};
    kestrune::DotMatrixGeometry geometry;
    std::array<std::atomic<double>, kLevelSlots> levels;
    std::array<std::atomic<double>, kLevelSlots> peaks;
    int hoverX = -1; // editor thread only
    int hoverY = -1;
    std::atomic<bool> peakDisplay{false};
    double alphaFactor = 1.0; // 0.4 while greyed, recomputed at every draw
    std::array<std::string, kMaxColumns> bandLabels;
    std::array<LedSprite, kMaxSprites> sprites{};
    int spriteCount = 0;
};
