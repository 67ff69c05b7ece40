#pragma once

// Updates of the analyser display that keep it in step with the engine and its parameters. The
// plug-in calls these at fixed points of its block processing and parameter reactions, under its
// lock, from whichever thread called it (the audio thread for the block functions). They only
// write the display's atomic values and flags; the editor thread draws them at its next frame.

#include "product/Decibels.h"

#include <array>

class ICairoDotMatrix;

namespace kestrune
{

// Stores each band's level in dB when it differs from the stored one (a NaN on either side
// counts as different), raises the band's peak when the level is above it, and asks for a
// redraw. Returns the number of bands that changed. Allocates nothing.
int ShowBandLevels(ICairoDotMatrix& display, const double* levelsLinear, int bandCount) noexcept;

// The display's settings from their parameters' real values.
void ApplyDbPerLedSetting(ICairoDotMatrix& display, double value) noexcept;
void ApplyPeakDisplaySetting(ICairoDotMatrix& display, double value) noexcept;
void ClearDisplayPeaks(ICairoDotMatrix& display) noexcept;

} // namespace kestrune
