#pragma once

#include <cstdint>

#include "framework/IPlugBase.h"
#include "plugin/Parameters.h"
#include "product/Editor.h"
#include "product/Version.h"

// What the plug-in tells every host about itself.
inline constexpr const char* kEffectName = "VantorKestrune";
inline constexpr const char* kProductName = "";
inline constexpr const char* kMakerName = "Vantor";
inline constexpr const char* kChannelIOs = "1-1 2-2"; // mono or stereo
inline constexpr int kPresetCount = 1;
inline constexpr std::int32_t kUniqueId = PackFourCC("KsRn");
inline constexpr std::int32_t kMakerId = PackFourCC("QvMx");
inline constexpr int kLatencySamples = 0;
inline constexpr bool kReceivesMidi = false;
inline constexpr bool kSavesChunks = true;
inline constexpr bool kIsInstrument = false;
inline constexpr bool kHasSideChain = false;
