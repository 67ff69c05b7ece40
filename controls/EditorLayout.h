#pragma once

#include "product/Bands.h"
#include "product/Editor.h"

#include <array>
#include <memory>

class IGraphics;
class IPlugBase;
class ycairo_surface;

namespace kestrune
{

// Background plus 97 controls.
inline constexpr int kEditorControlCount = 98;

// Where the plug-in finds the controls its editor feedback writes into.
struct EditorControlIndices
{
    int analyserControlIndex = -1;
    std::array<int, kBandCount> faderControlIndices{};
};

// The editor object and its drawing surface, before any control is added: the platform's
// graphics object of 800 x 600 at 30 frames per second with tooltips and mouse-over tracking
// on, and a surface holder with the module handle set.
struct EditorShell
{
    IGraphics* graphics = nullptr; // owned by the plug-in once attached
    std::unique_ptr<ycairo_surface> surface;
};
EditorShell CreateEditorShell(IPlugBase* plug, void* moduleHandle);

// Adds the background (control 0) and the editor's 97 controls in their fixed order and
// returns the indices of the analyser display and of the band faders.
EditorControlIndices LayOutEditor(IPlugBase* plug, IGraphics& graphics, ycairo_surface& surface);

// Left edges of the band faders and of the value boxes under them, band 0 first.
extern const std::array<int, kBandCount> kFaderLeftPx;
extern const std::array<int, kBandCount> kValueBoxLeftPx;

} // namespace kestrune
