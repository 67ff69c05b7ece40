#pragma once

#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"

#include <atomic>

// The vertical slider of one band gain: a thin track and a rounded handle with a grip line,
// dragged with a fixed grab point. While any fader is held and the custom compensation curve is
// being edited (EditFlags.h), every fader shows and temporarily carries its band's custom
// compensation value instead of its gain.
//
// Threads: mouse handling and drawing run on the editor thread. The compensation marker is
// written by the plug-in under its lock and read here; the parameter swap writes the parameter's
// atomic value from the editor thread.
class ICairoFader : public IControl, public ycairo_gui
{
public:
    static constexpr double kNothingSaved = -999.0;

    ICairoFader(IPlugBase* plug, ycairo_surface* surface, const Rect& rect, int paramIndex,
                const Color& trackColour, const Color& handleColour, const Color& outlineColour);
    ~ICairoFader() override;

    void HandleMouseDown(int x, int y, MouseMods mods) override;
    void HandleMouseUp(int x, int y, MouseMods mods) override;
    void HandleMouseDrag(int x, int y, int dX, int dY, MouseMods mods) override;
    void HandleMouseWheel(int x, int y, MouseMods mods, int notches) override;
    bool Draw(IGraphics& graphics) override;

    // The band's custom compensation value in dB; requests no redraw.
    void SetCompensationMarker(double db) { compensationMarker.store(db); }
    double CompensationMarker() const { return compensationMarker.load(); }

    const Rect& HandleRect() const { return handleRect; }
    int GrabOffset() const { return grabOffset; }
    double SavedValue() const { return savedValue; }

private:
    static bool ShowsMarker();
    void SwapCompensationValue();
    void RestoreAllSetAsideValues();
    // Gives the parameter its set-aside value back; false when nothing was set aside.
    bool RestoreSetAsideValue();
    void PlaceHandle();
    void DrawTrack(double alpha);
    void DrawHandle(double alpha);

    Color trackColour;
    Color handleColour;
    Color outlineColour;
    Rect handleRect;
    int grabOffset = 0; // pointer y minus handle top at the press; 0 when idle
    std::atomic<double> compensationMarker{0.0};
    double savedValue = kNothingSaved; // the parameter's own value while the marker is shown
};
