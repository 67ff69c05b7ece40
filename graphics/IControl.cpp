#include "graphics/IControl.h"

#include "framework/IPlugBase.h"
#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

#include <algorithm>
#include <cstring>

void TextStyle::SetFontName(const char* name)
{
    std::memset(fontName, 0, sizeof(fontName));
    if (name)
    {
        std::strncpy(fontName, name, sizeof(fontName) - 1);
    }
}

IControl::IControl(IPlugBase* owner, const Rect& rect, int parameterIndex)
    : plug(owner), drawRect(rect), targetRect(rect), paramIndex(parameterIndex)
{
}

IControl::~IControl() = default;

void IControl::HandleMouseDown(int, int, MouseMods mods)
{
    if (mods.right)
    {
        PromptForValue();
    }
}

void IControl::HandleMouseUp(int, int, MouseMods) {}

void IControl::HandleMouseDrag(int, int, int, int, MouseMods) {}

void IControl::HandleDoubleClick(int, int, MouseMods)
{
    const double restored = defaultValue.load();
    if (restored >= 0.0)
    {
        value.store(restored);
        MarkDirty(true);
    }
}

void IControl::HandleMouseWheel(int, int, MouseMods, int) {}

bool IControl::HandleKeyDown(int, int, int)
{
    return false;
}

void IControl::HandleMouseOver(int, int, MouseMods) {}

void IControl::HandleMouseOut() {}

void IControl::HandleScaleChange(double) {}

void IControl::UpdateFromParameter(double normalised)
{
    // The first value a control receives becomes its double-click default.
    if (defaultValue.load() < 0.0)
    {
        defaultValue.store(normalised);
        value.store(normalised);
    }
    if (value.load() == normalised)
    {
        return;
    }
    value.store(normalised);
    MarkDirty(false);
    SetRedrawPending();
}

void IControl::ApplyUserValue(double normalised)
{
    if (value.load() == normalised)
    {
        return;
    }
    value.store(normalised);
    MarkDirty(true);
    SetRedrawPending();
}

void IControl::AcceptEnteredText(const char*) {}

void IControl::SetHidden(bool hide)
{
    hidden.store(hide);
    SetRedrawPending();
    MarkDirty(false);
}

void IControl::SetGrayed(bool gray)
{
    grayed.store(gray);
    MarkDirty(false);
}

bool IControl::HitTest(int x, int y)
{
    return !targetRect.IsEmpty() && targetRect.Contains(x, y);
}

void IControl::MarkDirty(bool pushToParameter)
{
    const double current = value.load();
    // Written so that a NaN value is replaced by clampHigh rather than kept.
    value.store(clampLow > current ? clampLow : std::min(clampHigh, current));
    redrawFlags.fetch_or(kDirty | kRedrawPending);
    if (pushToParameter && plug && paramIndex >= 0)
    {
        plug->SetParameterFromGUI(paramIndex, value.load());
    }
    if (paramIndex >= 0 && owningGraphics)
    {
        owningGraphics->UpdateControlsForParameter(paramIndex, value.load(), true);
    }
}

void IControl::MarkForRedraw() noexcept
{
    const double current = value.load();
    value.store(clampLow > current ? clampLow : std::min(clampHigh, current));
    redrawFlags.fetch_or(kDirty | kRedrawPending);
}

void IControl::MarkClean()
{
    // dirty = redrawPending, redrawPending = false, as one step.
    unsigned flags = redrawFlags.load();
    while (!redrawFlags.compare_exchange_weak(flags, (flags & kRedrawPending) ? kDirty : 0u))
    {
    }
}

bool IControl::IsMarkedDirty()
{
    return (redrawFlags.load() & kDirty) != 0;
}

void IControl::IdleTick() {}

void IControl::UpdateAuxFromParameter(int auxIndex, double normalised)
{
    if (auxIndex < 0 || auxIndex >= AuxBindingCount())
    {
        return;
    }
    AuxBinding& binding = auxBindings[static_cast<size_t>(auxIndex)];
    if (binding.value.load() != normalised)
    {
        binding.value.store(normalised);
        MarkDirty(false);
        SetRedrawPending();
    }
}

void IControl::MoveTo(int x, int y)
{
    drawRect = Rect(x, y, x + drawRect.Width(), y + drawRect.Height());
    targetRect = drawRect;
}

int IControl::AuxIndexOf(int parameterIndex) const
{
    for (size_t i = 0; i < auxBindings.size(); ++i)
    {
        if (auxBindings[i].paramIndex == parameterIndex)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IControl::AddAuxBinding(int parameterIndex)
{
    auxBindings.emplace_back(parameterIndex);
    return AuxBindingCount() - 1;
}

double IControl::AuxValue(int auxIndex) const
{
    if (auxIndex < 0 || auxIndex >= AuxBindingCount())
    {
        return -1.0;
    }
    return auxBindings[static_cast<size_t>(auxIndex)].value.load();
}

void IControl::SetClamp(double low, double high)
{
    clampLow = low;
    clampHigh = high;
}

namespace
{

// The anchor through the centre of the source rectangle, computed in single precision and
// truncated, so an odd width or height ends up one pixel smaller.
Rect CentredAnchor(const Rect& source)
{
    const float cx = static_cast<float>(source.left + source.right) * 0.5f;
    const float cy = static_cast<float>(source.top + source.bottom) * 0.5f;
    const float hw = static_cast<float>(source.right - source.left) * 0.5f;
    const float hh = static_cast<float>(source.bottom - source.top) * 0.5f;
    const int x = static_cast<int>(cx);
    const int y = static_cast<int>(cy);
    const int w = static_cast<int>(hw);
    const int h = static_cast<int>(hh);
    return Rect(x - w, y - h, x + w, y + h);
}

} // namespace

void IControl::PromptForValue()
{
    if (paramIndex < 0 || promptDisabled || !plug || !owningGraphics)
    {
        return;
    }
    IPlugParameter* parameter = plug->Param(paramIndex);
    if (!parameter)
    {
        return;
    }
    const Rect anchor = parameter->DisplayTextCount() > 0 ? drawRect : CentredAnchor(drawRect);
    owningGraphics->PromptForParameter(this, parameter, &anchor);
    SetRedrawPending();
}

void IControl::PromptForValueIn(const Rect& area)
{
    if (paramIndex < 0 || promptDisabled || !plug || !owningGraphics)
    {
        return;
    }
    IPlugParameter* parameter = plug->Param(paramIndex);
    if (!parameter)
    {
        return;
    }
    const Rect anchor = CentredAnchor(area);
    owningGraphics->PromptForParameter(this, parameter, &anchor);
    SetRedrawPending();
}

IKnobControl::IKnobControl(IPlugBase* owner, const Rect& rect, int parameterIndex, int dir,
                           double gear)
    : IControl(owner, rect, parameterIndex), direction(dir), gearing(gear)
{
}

void IKnobControl::HandleMouseDrag(int, int, int dX, int dY, MouseMods mods)
{
    double g = gearing;
    if (mods.control || mods.shift)
    {
        g *= 10.0;
    }
    if (direction == kVertical)
    {
        // The divisor is the negative height, so dragging up raises the value.
        value.store(value.load() +
                    dY / static_cast<double>(targetRect.top - targetRect.bottom) / g);
    }
    else
    {
        value.store(value.load() +
                    dX / static_cast<double>(targetRect.right - targetRect.left) / g);
    }
    MarkDirty(true);
}

void IKnobControl::HandleMouseWheel(int, int, MouseMods mods, int notches)
{
    value.store(value.load() + notches * WheelStep(mods));
    MarkDirty(true);
}

double WheelStep(MouseMods mods)
{
    return (mods.control || mods.shift) ? 0.001 : 0.01;
}
