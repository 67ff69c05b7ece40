#pragma once

#include "engine/BandTable.h"
#include "lv2/Lv2InlineDisplay.h"

#include <lv2/core/lv2.h>

#include <array>
#include <atomic>
#include <cstdint>

class AudioPlugin;
typedef struct _cairo_surface cairo_surface_t;

// The picture a host's mixer strip shows (Ardour's inline display): the equaliser's curve over
// the 31 analysed band levels. The audio thread publishes the gains and levels after a block,
// at most at the editor's frame rate, and asks the host for a redraw when they changed; the
// host's GUI thread draws them with cairo.
class KestruneInlineDisplay
{
public:
    // Takes the host's queue_draw feature when it offers one.
    KestruneInlineDisplay(double sampleRateHz, const LV2_Feature* const* features) noexcept;
    ~KestruneInlineDisplay();
    KestruneInlineDisplay(const KestruneInlineDisplay&) = delete;
    KestruneInlineDisplay& operator=(const KestruneInlineDisplay&) = delete;

    // Audio thread, after each block (with the engine the block ran). Allocates nothing.
    void AfterBlock(const AudioPlugin& engine, uint32_t frames) noexcept;

    // The host's GUI thread: the picture, `width` wide and at most half as high (within
    // maxHeight). The pixels stay valid until the next call or the instance's end.
    Lv2InlineDisplaySurface* Render(uint32_t width, uint32_t maxHeight);

private:
    bool Publish(const AudioPlugin& engine) noexcept;

    const Lv2InlineDisplayQueue* queue_ = nullptr;
    double sampleRateHz_;
    uint32_t framesPerPicture_;
    uint32_t framesSincePublish_;
    std::array<std::atomic<double>, kBandCount> gainsDb_{};
    std::array<std::atomic<double>, kBandCount> levels_{}; // linear, full scale 1
    std::atomic<bool> eqBypassed_{false};

    cairo_surface_t* surface_ = nullptr;
    Lv2InlineDisplaySurface image_{};
};
