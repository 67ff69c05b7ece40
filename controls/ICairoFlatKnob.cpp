#include "controls/ICairoFlatKnob.h"

#include "controls/CairoShapes.h"
#include "controls/ValueText.h"
#include "resources/ModuleResources.h"

namespace
{

constexpr double kGearing = 4.0;
constexpr double kZeroAngle = 2.35619;  // value 0 points down-left
constexpr double kSweepAngle = 4.71238; // 270 degrees clockwise

} // namespace

ICairoFlatKnob::ICairoFlatKnob(IPlugBase* plugIn, int parameter, ycairo_surface* holderSurface,
                               const Rect& bounds, const Color& colour, int, int textOffset)
    : IKnobControl(plugIn, bounds, parameter, kVertical, kGearing), ycairo_gui(holderSurface, this),
      ycairo_text(holderSurface), knobColour(colour)
{
    promptDisabled = false;
    LoadFont(kestrune::kFontTitilliumDisplay, kestrune::kResourceTypeRawData,
             kestrune::kTitilliumFileName);
    // Every placement puts the text inside the knob; no other placement is used by this editor.
    const int size = textStyle.size;
    const int top = bounds.top + bounds.Height() / 2 - (size + 4) / 2 + textOffset;
    textRect = Rect(static_cast<int>(bounds.left + 0.25 * bounds.Width()), top,
                    static_cast<int>(bounds.left + 0.75 * bounds.Width()), top + size + 4);
}

ICairoFlatKnob::~ICairoFlatKnob() = default;

void ICairoFlatKnob::HandleMouseDown(int x, int y, MouseMods mods)
{
    if (!textRect.IsEmpty() && textRect.Contains(x, y))
    {
        PromptForValueIn(textRect);
        return;
    }
    if (mods.alt)
    {
        const double fallback = GetDefaultValue();
        if (fallback >= 0.0)
        {
            SetValue(fallback);
            MarkDirty(true);
        }
        return;
    }
    HandleMouseDrag(x, y, 0, 0, mods);
}

void ICairoFlatKnob::HandleDoubleClick(int, int, MouseMods)
{
    PromptForValueIn(textRect);
}

bool ICairoFlatKnob::Draw(IGraphics&)
{
    const double w = drawRect.Width();
    const double h = drawRect.Height();
    const double v = GetValue();
    const int lw = static_cast<int>(w / 10.0);
    const double cx = drawRect.left + 0.5 * w;
    const double cy = drawRect.top + 0.5 * h + knobYOffset;
    const double a = -kZeroAngle - kSweepAngle * v;
    const double gamma = IsGrayed() ? 0.4 : 0.0;

    BeginDraw();
    if (!cr)
        return true;
    knobColour.alpha = IsGrayed() ? 128 : 255;
    kestrune::SetSourceRgbAlpha(cr, knobColour, 1.0 - gamma);

    cairo_set_line_width(cr, lw / 6.0);
    kestrune::StrokeCircle(cr, cx, cy, 0.5 * w - lw / 6.0);

    const double arcRadius = 0.5 * w - lw - 0.1 * lw;
    cairo_set_line_width(cr, lw);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, arcRadius, 2.10619, -a - 0.25);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, arcRadius, -a - 0.2, -a + 0.2);
    cairo_stroke(cr);

    kestrune::SetSourceRgbAlpha(cr, knobColour, 0.5 - gamma);
    kestrune::FillCircle(cr, cx, cy, 0.5 * w - lw - 0.9 * lw);

    valueText = kestrune::ParameterValueText(plug, paramIndex, "");
    DrawText(cr, valueText.c_str(), w / 6.0, knobColour.alpha, knobColour.red, knobColour.green,
             knobColour.blue, textRect, kAlignCentre, kAlignMiddle);
    EndDraw();
    return true;
}
