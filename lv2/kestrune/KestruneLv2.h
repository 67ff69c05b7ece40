#pragma once

#include "lv2/Lv2Turtle.h"
#include "product/Bands.h"

// The product as LV2 plug-ins: its URIs, its two channel configurations, the meter outputs it
// adds after the parameters, and the bundle description the Turtle generator writes.

inline constexpr const char* kKestruneMonoUri = "https://vantor.audio/plugins/kestrune#mono";
inline constexpr const char* kKestruneStereoUri = "https://vantor.audio/plugins/kestrune#stereo";
inline constexpr const char* kKestruneUiUri = "https://vantor.audio/plugins/kestrune#ui";
// The property under which the state document is saved.
inline constexpr const char* kKestruneStateUri = "https://vantor.audio/plugins/kestrune#state";
// Factory presets are this prefix and the preset name in lower case, "-" between words.
inline constexpr const char* kKestrunePresetUriPrefix =
    "https://vantor.audio/plugins/kestrune#preset-";
inline constexpr const char* kKestruneBinary = "VantorKestrune.so";

// Meter outputs: the 31 band gains in force (dB), then the 31 analyser band levels (dB).
inline constexpr int kKestruneMeterCount = 2 * kBandCount;
// Band levels are reported down to this level; silence (minus infinity dB) reads as it.
inline constexpr double kKestruneLevelFloorDb = -120.0;
inline constexpr double kKestruneLevelCeilingDb = 24.0;

class IPlugBase;

// The description of the bundle; applied-gain ranges are taken from the band parameters.
Lv2BundleDescription KestruneBundleDescription(const IPlugBase& plug);
