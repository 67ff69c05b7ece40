#include "graphics/KeyCodes.h"

namespace
{

int EditorKeyFromCharacter(unsigned long c)
{
    if (c == ' ')
    {
        return kKeySpace;
    }
    if (c >= '0' && c <= '9')
    {
        return kKeyDigit0 + static_cast<int>(c - '0');
    }
    if (c >= 'A' && c <= 'Z')
    {
        return kKeyLetterA + static_cast<int>(c - 'A');
    }
    return kKeyNone;
}

} // namespace

int EditorKeyFromVirtualKey(int virtualKey)
{
    switch (virtualKey)
    {
    case 0x26: // VK_UP
        return kKeyUp;
    case 0x28: // VK_DOWN
        return kKeyDown;
    case 0x25: // VK_LEFT
        return kKeyLeft;
    case 0x27: // VK_RIGHT
        return kKeyRight;
    default:
        return virtualKey < 0 ? kKeyNone
                              : EditorKeyFromCharacter(static_cast<unsigned long>(virtualKey));
    }
}

int EditorKeyFromKeysym(unsigned long keysym)
{
    switch (keysym)
    {
    case 0xff52: // XK_Up
        return kKeyUp;
    case 0xff54: // XK_Down
        return kKeyDown;
    case 0xff51: // XK_Left
        return kKeyLeft;
    case 0xff53: // XK_Right
        return kKeyRight;
    default:
        break;
    }
    if (keysym >= 'a' && keysym <= 'z')
    {
        return kKeyLetterA + static_cast<int>(keysym - 'a');
    }
    return EditorKeyFromCharacter(keysym);
}

int WheelNotchesFromDelta(int wheelDelta)
{
    return wheelDelta / 120;
}
