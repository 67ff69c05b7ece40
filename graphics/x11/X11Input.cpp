#include "graphics/x11/X11Input.h"

#include <X11/X.h>

#include <algorithm>
#include <cstdlib>

namespace kestrune::x11
{

bool DoubleClickDetector::Press(unsigned long timeMs, int x, int y)
{
    // Server time wraps after 49 days; unsigned subtraction keeps the interval right across it.
    const bool isDouble = havePress && timeMs - lastTimeMs <= intervalMs &&
                          std::abs(x - lastX) <= maxDistancePx &&
                          std::abs(y - lastY) <= maxDistancePx;
    havePress = !isDouble;
    lastTimeMs = timeMs;
    lastX = x;
    lastY = y;
    return isDouble;
}

MouseMods ModsFromState(unsigned state, unsigned pressedButton, unsigned releasedButton)
{
    MouseMods mods;
    mods.left = (state & Button1Mask) != 0;
    mods.right = (state & Button3Mask) != 0;
    mods.shift = (state & ShiftMask) != 0;
    mods.control = (state & ControlMask) != 0;
    mods.alt = (state & Mod1Mask) != 0;
    if (pressedButton == kButtonLeft)
    {
        mods.left = true;
    }
    if (pressedButton == kButtonRight)
    {
        mods.right = true;
    }
    if (releasedButton == kButtonLeft)
    {
        mods.left = false;
    }
    if (releasedButton == kButtonRight)
    {
        mods.right = false;
    }
    return mods;
}

int WheelNotches(unsigned button)
{
    if (button == kButtonWheelUp)
    {
        return 1;
    }
    if (button == kButtonWheelDown)
    {
        return -1;
    }
    return 0;
}

void HoverTimer::Arm(long nowMs, int x, int y)
{
    armed = true;
    sinceMs = nowMs;
    anchorX = x;
    anchorY = y;
}

void HoverTimer::PointerMoved(long nowMs, int x, int y)
{
    if (armed && (std::abs(x - anchorX) > kHoverSlopPx || std::abs(y - anchorY) > kHoverSlopPx))
    {
        Arm(nowMs, x, y);
    }
}

bool HoverTimer::Fire(long nowMs)
{
    if (!armed || nowMs - sinceMs < kHoverTimeMs)
    {
        return false;
    }
    armed = false;
    return true;
}

long HoverTimer::MsUntilFire(long nowMs) const
{
    return armed ? std::max(0L, sinceMs + kHoverTimeMs - nowMs) : -1;
}

} // namespace kestrune::x11
