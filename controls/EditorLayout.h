#pragma once

#include "product/Bands.h"
#include "product/Editor.h"

#include <array>
#include <memory>

class IGraphics;
class IPlugBase;
class ycairo_surface;
class ICairoDotMatrix;
class ICairoFader;

namespace kestrune
{

// Background plus 97 controls.
inline constexpr int kEditorControlCount = 98;

// The controls the plug-in's editor feedback writes into, found once when the editor is laid
// out (the editor owns them for the plug-in's lifetime), with their places in the control list.
struct EditorControls
{
    ICairoDotMatrix* analyser = nullptr;
    std::array<ICairoFader*, kBandCount> faders{};
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
// returns the analyser display and the band faders.
EditorControls LayOutEditor(IPlugBase* plug, IGraphics& graphics, ycairo_surface& surface);

// Left edges of the band faders and of the value boxes under them, band 0 first.
extern const std::array<int, kBandCount> kFaderLeftPx;
extern const std::array<int, kBandCount> kValueBoxLeftPx;

} // namespace kestrune
