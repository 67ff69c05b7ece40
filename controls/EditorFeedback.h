#pragma once

// How the plug-in keeps its editor in step with the engine and its parameters. The plug-in calls
// these at fixed points of its block processing and parameter reactions, under its lock, from
// whichever thread called it (the audio thread for the block functions). They only write the
// controls' atomic values and flags; the editor thread draws them at its next frame.

#include "product/Decibels.h"

#include <array>

class IGraphics;
class IPlugBase;
class IPlugEditor;
class ICairoDotMatrix;
class ICairoFader;

namespace kestrune
{

// 20 / ln 10: linear level to dB as this factor times ln|level|.

// The editor as the graphics core, or null when none is attached or it is of another kind.
IGraphics* EditorGraphics(IPlugEditor* editor);
ICairoDotMatrix* AnalyserDisplayAt(IGraphics* graphics, int controlIndex);
ICairoFader* BandFaderAt(IGraphics* graphics, int controlIndex);

// Stores each band's level in dB when it differs from the stored one (a NaN on either side
// counts as different), raises the band's peak when the level is above it, and asks for a
// redraw. Returns the number of bands that changed. Allocates nothing.
int ShowBandLevels(ICairoDotMatrix& display, const double* levelsLinear, int bandCount) noexcept;

// The display's settings from their parameters' real values.
void ApplyDbPerLedSetting(ICairoDotMatrix& display, double value) noexcept;
void ApplyPeakDisplaySetting(ICairoDotMatrix& display, double value) noexcept;
void ClearDisplayPeaks(ICairoDotMatrix& display) noexcept;

} // namespace kestrune
