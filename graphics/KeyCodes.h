#pragma once

// Key codes handed to DispatchKeyDown: space 0, arrows up/down/left/right 1-4, digits 0-9 are
// 5-14, letters A-Z are 15-40. Other keys are not mapped and go to the host.
enum EditorKey : int
{
    kKeyNone = -1,
    kKeySpace = 0,
    kKeyUp = 1,
    kKeyDown = 2,
    kKeyLeft = 3,
    kKeyRight = 4,
    kKeyDigit0 = 5,
    kKeyLetterA = 15,
    kKeyLetterZ = 40,
};

// Windows virtual-key codes; kKeyNone for keys the editor does not map.
int EditorKeyFromVirtualKey(int virtualKey);
// X11 keysyms (letters in either case).
int EditorKeyFromKeysym(unsigned long keysym);

// Wheel data in 1/120 notches to whole notches, truncated towards zero (a high-resolution wheel
// step below 120 gives 0).
int WheelNotchesFromDelta(int wheelDelta);
