#include "controls/ICairoFader.h"

#include "controls/CairoShapes.h"
#include "controls/EditFlags.h"
#include "framework/IPlugBase.h"
#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr double kGainRangeDb = 15.0;

} // namespace

ICairoFader::ICairoFader(IPlugBase* plugIn, ycairo_surface* holderSurface, const Rect& bounds,
                         int parameter, const Color& track, const Color& handle,
                         const Color& outline)
    : IControl(plugIn, bounds, parameter), ycairo_gui(holderSurface, this), trackColour(track),
      handleColour(handle), outlineColour(outline)
{
}

ICairoFader::~ICairoFader() = default;

bool ICairoFader::ShowsMarker()
{
    return CustomCompensationEditing.load() && FaderDragActive.load();
}

void ICairoFader::HandleMouseDown(int, int y, MouseMods)
{
    FaderDragActive.store(true);
    grabOffset = y - handleRect.top;
}

void ICairoFader::HandleMouseUp(int, int, MouseMods)
{
    grabOffset = 0;
    FaderDragActive.store(false);
    RestoreAllSetAsideValues();
}

// At the end of a drag every fader that put its parameter's value aside gives it back at once,
// not at its next redraw: without audio nothing may redraw it, and the compensation values it
// showed would stay in the band gains.
void ICairoFader::RestoreAllSetAsideValues()
{
    IGraphics* graphics = Graphics();
    if (!graphics || !plug)
        return;
    const auto lock = plug->LockPlugin();
    for (int i = 0; i < graphics->ControlCount(); ++i)
    {
        auto* fader = dynamic_cast<ICairoFader*>(graphics->ControlAt(i));
        if (fader && fader->RestoreSetAsideValue())
        {
            // The value box of the band shows the gain again too.
            graphics->UpdateControlsForParameter(fader->ParamIndex(), fader->GetValue(), true);
            fader->MarkDirty(false);
        }
    }
}

bool ICairoFader::RestoreSetAsideValue()
{
    IPlugParameter* parameter = plug ? plug->Param(paramIndex) : nullptr;
    if (!parameter || savedValue == kNothingSaved)
        return false;
    parameter->SetClamped(savedValue);
    savedValue = kNothingSaved;
    SetValue(parameter->Normalized());
    return true;
}

void ICairoFader::HandleMouseDrag(int, int y, int, int, MouseMods)
{
    const int handleHeight = handleRect.bottom - handleRect.top;
    int newTop = y - grabOffset;
    if (newTop < drawRect.top)
        newTop = drawRect.top;
    if (newTop + handleHeight > drawRect.bottom)
        newTop = drawRect.bottom - handleHeight;
    handleRect.top = newTop;
    handleRect.bottom = newTop + handleHeight;
    const int travel = drawRect.bottom - drawRect.top - handleHeight;
    // A fader no taller than its handle has no travel: the value stays where it is.
    if (travel > 0)
        SetValue(1.0 - static_cast<double>(newTop - drawRect.top) / travel);
    MarkDirty(true);
}

void ICairoFader::HandleMouseWheel(int, int, MouseMods mods, int notches)
{
    SetValue(GetValue() + notches * WheelStep(mods));
    MarkDirty(true);
}

void ICairoFader::SwapCompensationValue()
{
    IPlugParameter* parameter = plug ? plug->Param(paramIndex) : nullptr;
    if (!parameter)
        return;
    const bool showMarker = ShowsMarker();
    if (!showMarker && savedValue == kNothingSaved)
        return;
    // Drawing never waits for a block: while the plug-in is busy, the swap is retried at the
    // next frame, so it never lands in the middle of a block, a reaction or a state save.
    const auto lock = plug->TryLockPlugin();
    if (!lock.owns_lock())
    {
        SetRedrawPending();
        return;
    }
    if (showMarker)
    {
        if (savedValue == kNothingSaved)
            savedValue = parameter->Value();
        parameter->SetClamped(compensationMarker.load());
    }
    else
    {
        RestoreSetAsideValue();
    }
}

void ICairoFader::PlaceHandle()
{
    if (grabOffset != 0)
        return;
    const int handleHeight = drawRect.Height() / 6;
    const int travel = drawRect.bottom - (drawRect.top + handleHeight);
    double position = GetValue();
    if (ShowsMarker())
        position =
            std::clamp((compensationMarker.load() + kGainRangeDb) / (2.0 * kGainRangeDb), 0.0, 1.0);
    const int offset = static_cast<int>((1.0 - position) * travel);
    handleRect = Rect(drawRect.left, drawRect.top + offset, drawRect.right,
                      drawRect.top + handleHeight + offset);
}

bool ICairoFader::Draw(IGraphics&)
{
    SwapCompensationValue();
    PlaceHandle();
    const double alpha = IsGrayed() ? 0.4 : 1.0;
    BeginDraw();
    if (!cr)
        return true;
    DrawTrack(alpha);
    DrawHandle(alpha);
    EndDraw();
    return true;
}

void ICairoFader::DrawTrack(double alpha)
{
    const int faderWidth = drawRect.Width();
    const int trackWidth = faderWidth / 4;
    cairo_new_path(cr);
    cairo_rectangle(cr, drawRect.left + faderWidth * 0.5 - trackWidth * 0.5, drawRect.top,
                    trackWidth, drawRect.Height());
    kestrune::SetSourceRgbAlpha(cr, trackColour, trackColour.alpha / 255.0 * alpha);
    cairo_fill(cr);
}

void ICairoFader::DrawHandle(double alpha)
{
    const double x = handleRect.left;
    const double y = handleRect.top;
    const double w = handleRect.right - handleRect.left;
    const double hh = handleRect.bottom - handleRect.top;
    const double radius = 2.0 * (hh / 10.0);
    cairo_new_path(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2.0, 0.0);
    cairo_arc(cr, x + w - radius, y + hh - radius, radius, 0.0, kPi / 2.0);
    cairo_arc(cr, x + radius, y + hh - radius, radius, kPi / 2.0, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 3.0 * kPi / 2.0);
    cairo_close_path(cr);
    kestrune::SetSourceRgbAlpha(cr, handleColour, handleColour.alpha / 255.0 * alpha);
    cairo_fill_preserve(cr);
    const double outlineAlpha = outlineColour.alpha / 255.0 * alpha;
    kestrune::SetSourceRgbAlpha(cr, outlineColour, outlineAlpha);
    cairo_set_line_width(cr, w / 10.0);
    cairo_stroke(cr);

    cairo_new_path(cr);
    cairo_rectangle(cr, x + (w - 0.8 * w) * 0.5, y + hh * 0.5 - 1.0, 0.8 * w, 2.0);
    kestrune::SetSourceRgbAlpha(cr, outlineColour, outlineAlpha);
    cairo_fill(cr);
}
