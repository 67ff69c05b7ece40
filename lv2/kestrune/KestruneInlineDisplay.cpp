#include "lv2/kestrune/KestruneInlineDisplay.h"

#include "controls/CurveColours.h"
#include "engine/AudioPlugin.h"
#include "engine/BandResponse.h"
#include "plugin/ProductIdentity.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string_view>

namespace
{

using kestrune::CurveColour;

constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kGainRangeDb = 18.0;   // the curve spans -18 .. +18 dB
constexpr double kLevelFloorDb = -72.0; // an empty bar; 0 dBFS fills the height
// Levels below the floor draw nothing: they are published as 0, so that the filters' tiny
// anti-denormal signal in silence does not ask the host for pictures that look the same.
const double kLevelFloor = std::pow(10.0, kLevelFloorDb / 20.0);

void SetColour(cairo_t* cr, const CurveColour& colour, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, alpha);
}

// The picture's frequency axis: log 20 Hz .. 20 kHz, inset by half a bar on either side.
struct Axes
{
    double width;
    double height;
    double barWidth;

    double X(double freqHz) const
    {
        const double inset = barWidth * 0.5 + 1.0;
        const double t = std::log(freqHz / kLowHz) / std::log(kHighHz / kLowHz);
        return inset + t * (width - 2.0 * inset);
    }
    double YGain(double db) const
    {
        const double t = std::clamp(db / kGainRangeDb, -1.0, 1.0);
        return height * 0.5 - t * (height * 0.5 - 1.5);
    }
};

void DrawLevelBars(cairo_t* cr, const Axes& axes, const std::array<double, kBandCount>& levels)
{
    SetColour(cr, kestrune::kCurveLevelBar, 0.7);
    for (int band = 0; band < kBandCount; ++band)
    {
        const double level = levels[static_cast<std::size_t>(band)];
        if (!(level > 0.0))
        {
            continue;
        }
        const double db = 20.0 * std::log10(level);
        const double fill = std::clamp((db - kLevelFloorDb) / -kLevelFloorDb, 0.0, 1.0);
        const double x = axes.X(BandCentreHz(band));
        cairo_rectangle(cr, x - axes.barWidth * 0.5, axes.height * (1.0 - fill), axes.barWidth,
                        axes.height * fill);
    }
    cairo_fill(cr);
}

void DrawCurve(cairo_t* cr, const Axes& axes, const BandResponse& response, bool bypassed)
{
    SetColour(cr, kestrune::kCurveGrid);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, 0.0, std::round(axes.height * 0.5) + 0.5);
    cairo_rel_line_to(cr, axes.width, 0.0);
    cairo_stroke(cr);

    SetColour(cr, kestrune::kCurveAccent, bypassed ? 0.4 : 1.0);
    cairo_set_line_width(cr, 1.5);
    const int steps = std::max(2, static_cast<int>(axes.width));
    for (int i = 0; i <= steps; ++i)
    {
        const double hz = kLowHz * std::pow(kHighHz / kLowHz, static_cast<double>(i) / steps);
        const double y = axes.YGain(bypassed ? 0.0 : response.MagnitudeDb(hz));
        if (i == 0)
        {
            cairo_move_to(cr, axes.X(hz), y);
        }
        else
        {
            cairo_line_to(cr, axes.X(hz), y);
        }
    }
    cairo_stroke(cr);
}

} // namespace

KestruneInlineDisplay::KestruneInlineDisplay(double sampleRateHz,
                                             const LV2_Feature* const* features) noexcept
    : sampleRateHz_(sampleRateHz),
      framesPerPicture_(static_cast<uint32_t>(std::max(1.0, sampleRateHz / kEditorFrameRate))),
      framesSincePublish_(framesPerPicture_)
{
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
    {
        if (std::string_view(features[i]->URI) == kLv2InlineDisplayQueueDrawUri)
        {
            queue_ = static_cast<const Lv2InlineDisplayQueue*>(features[i]->data);
        }
    }
}

KestruneInlineDisplay::~KestruneInlineDisplay()
{
    if (surface_ != nullptr)
    {
        cairo_surface_destroy(surface_);
    }
}

void KestruneInlineDisplay::AfterBlock(const AudioPlugin& engine, uint32_t frames) noexcept
{
    framesSincePublish_ += std::min(frames, framesPerPicture_);
    if (framesSincePublish_ < framesPerPicture_)
    {
        return;
    }
    framesSincePublish_ -= framesPerPicture_;
    if (Publish(engine) && queue_ != nullptr && queue_->queueDraw != nullptr)
    {
        queue_->queueDraw(queue_->handle);
    }
}

bool KestruneInlineDisplay::Publish(const AudioPlugin& engine) noexcept
{
    bool changed = false;
    for (std::size_t band = 0; band < kBandCount; ++band)
    {
        changed |= gainsDb_[band].exchange(engine.bandGains[band], std::memory_order_relaxed) !=
                   engine.bandGains[band];
        const double level = engine.bandLevels[band] > kLevelFloor ? engine.bandLevels[band] : 0.0;
        changed |= levels_[band].exchange(level, std::memory_order_relaxed) != level;
    }
    changed |= eqBypassed_.exchange(engine.eqBypass, std::memory_order_relaxed) != engine.eqBypass;
    return changed;
}

Lv2InlineDisplaySurface* KestruneInlineDisplay::Render(uint32_t width, uint32_t maxHeight)
{
    const int w = static_cast<int>(std::min<uint32_t>(width, 4096));
    const int h = static_cast<int>(std::min<uint32_t>({maxHeight, width / 2, 4096}));
    if (w < 8 || h < 4)
    {
        return nullptr;
    }
    if (surface_ == nullptr || cairo_image_surface_get_width(surface_) != w ||
        cairo_image_surface_get_height(surface_) != h)
    {
        if (surface_ != nullptr)
        {
            cairo_surface_destroy(surface_);
        }
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    }
    std::array<double, kBandCount> gains{};
    std::array<double, kBandCount> levels{};
    for (std::size_t band = 0; band < kBandCount; ++band)
    {
        gains[band] = gainsDb_[band].load(std::memory_order_relaxed);
        levels[band] = levels_[band].load(std::memory_order_relaxed);
    }
    const Axes axes{static_cast<double>(w), static_cast<double>(h),
                    std::max(1.0, std::floor(w / (kBandCount * 1.25)))};

    cairo_t* cr = cairo_create(surface_);
    SetColour(cr, kestrune::kCurveBackground);
    cairo_paint(cr);
    DrawLevelBars(cr, axes, levels);
    DrawCurve(cr, axes, BandResponse(sampleRateHz_, gains),
              eqBypassed_.load(std::memory_order_relaxed));
    cairo_destroy(cr);
    cairo_surface_flush(surface_);

    image_ = {cairo_image_surface_get_data(surface_), w, h,
              cairo_image_surface_get_stride(surface_)};
    return image_.data != nullptr ? &image_ : nullptr;
}
