#pragma once

#include "framework/IPlugEditor.h"

#include <cairo.h>

class IGraphics;
class IPlugBase;

// Owns the cairo image surface over the editor's backing bitmap and the one context every control
// draws with, plus the background colour and the module handle fonts are looked up in. The
// plug-in keeps one and hands it to every cairo-drawn control.
class ycairo_surface : public IPlugEditorSurface
{
public:
    explicit ycairo_surface(IPlugBase* plug);
    ycairo_surface(const ycairo_surface&) = delete;
    ycairo_surface& operator=(const ycairo_surface&) = delete;
    // Destroys the context, then the surface; the bitmap memory belongs to the editor.
    ~ycairo_surface() override;

    // Called right after construction, before any control is created.
    void SetModuleHandle(void* handle) { moduleHandle = handle; }
    void* ModuleHandle() const { return moduleHandle; }

    // Adds the background control to the editor (it must be the first control). alpha is ignored:
    // the background is always opaque.
    void CreateBackground(IGraphics* editor, int alpha, int red, int green, int blue);

    // Wraps the editor's backing bitmap (which must exist) as an RGB24 surface, creates the
    // context and paints the background. Does nothing for an editor that is not an IGraphics or
    // has no backing bitmap.
    void AttachToGraphics(IPlugEditor* editor) override;

    cairo_surface_t* Surface() const { return surface; }
    cairo_t* Context() const { return context; }
    int Width() const { return width; }
    int Height() const { return height; }
    double BackgroundRed() const { return backgroundRed; }
    double BackgroundGreen() const { return backgroundGreen; }
    double BackgroundBlue() const { return backgroundBlue; }
    IPlugBase* Plug() const { return plug; }

private:
    void Release();

    cairo_surface_t* surface = nullptr;
    cairo_t* context = nullptr;
    int width = 0;
    int height = 0;
    double backgroundRed = 0.0; // 0..1
    double backgroundGreen = 0.0;
    double backgroundBlue = 0.0;
    IPlugBase* plug = nullptr;
    void* moduleHandle = nullptr;
};
