#pragma once

#include "graphics/GraphicsTypes.h"

namespace kestrune::x11
{

// X reports no double-clicks: the window turns a second left press close in time and place to
// the first into one. A third press starts over, as on systems with native double-clicks.
class DoubleClickDetector
{
public:
    static constexpr unsigned long kDefaultIntervalMs = 500;
    static constexpr int kDefaultMaxDistancePx = 4;

    explicit DoubleClickDetector(unsigned long intervalMs = kDefaultIntervalMs,
                                 int maxDistancePx = kDefaultMaxDistancePx)
        : intervalMs(intervalMs), maxDistancePx(maxDistancePx)
    {
    }

    // A left press at server time timeMs; true when it completes a double-click.
    bool Press(unsigned long timeMs, int x, int y);
    void Reset() { havePress = false; }

private:
    unsigned long intervalMs;
    int maxDistancePx;
    bool havePress = false;
    unsigned long lastTimeMs = 0;
    int lastX = 0;
    int lastY = 0;
};

// Mouse buttons of the X protocol.
enum : unsigned
{
    kButtonLeft = 1,
    kButtonMiddle = 2,
    kButtonRight = 3,
    kButtonWheelUp = 4,
    kButtonWheelDown = 5,
    kButtonWheelLeft = 6,
    kButtonWheelRight = 7,
};

// Modifiers of a pointer event: state holds the buttons and keys held before the event, so the
// button pressed by a press event is added and the one released by a release event removed.
MouseMods ModsFromState(unsigned state, unsigned pressedButton = 0, unsigned releasedButton = 0);

// Wheel notches of a press of button 4 (+1, away from the user) or 5 (-1); 0 for other buttons.
int WheelNotches(unsigned button);

// Windows virtual-key code of an X key symbol for the keys the editor's key mapping knows
// (space, arrows, digits, letters); 0 for every other key.
int VirtualKeyFromKeySym(unsigned long keySym);

} // namespace kestrune::x11
