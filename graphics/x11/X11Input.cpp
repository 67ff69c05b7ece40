#include "graphics/x11/X11Input.h"

#include <X11/X.h>
#include <X11/keysym.h>

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

int VirtualKeyFromKeySym(unsigned long keySym)
{
    switch (keySym)
    {
    case XK_space:
        return 0x20;
    case XK_Left:
    case XK_KP_Left:
        return 0x25;
    case XK_Up:
    case XK_KP_Up:
        return 0x26;
    case XK_Right:
    case XK_KP_Right:
        return 0x27;
    case XK_Down:
    case XK_KP_Down:
        return 0x28;
    default:
        break;
    }
    if (keySym >= XK_0 && keySym <= XK_9)
    {
        return static_cast<int>(0x30 + (keySym - XK_0));
    }
    if (keySym >= XK_a && keySym <= XK_z)
    {
        return static_cast<int>(0x41 + (keySym - XK_a));
    }
    if (keySym >= XK_A && keySym <= XK_Z)
    {
        return static_cast<int>(0x41 + (keySym - XK_A));
    }
    return 0;
}

} // namespace kestrune::x11
