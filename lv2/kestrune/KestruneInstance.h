#pragma once

#include "lv2/kestrune/KestruneInlineDisplay.h"
#include "plugin/VantorKestrune.h"

#include <memory>

// What an LV2 handle of the bundle points to (also for the UI, through instance access): the
// product object and the picture for the host's mixer strip.
struct KestruneInstance
{
    KestruneInstance(std::unique_ptr<VantorKestrune> product, double sampleRateHz,
                     const LV2_Feature* const* features)
        : plug(std::move(product)), inlineDisplay(sampleRateHz, features)
    {
    }

    std::unique_ptr<VantorKestrune> plug;
    KestruneInlineDisplay inlineDisplay;
};
