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

    explicit DoubleClickDetector(unsigned long maxIntervalMs = kDefaultIntervalMs,
                                 int maxDistance = kDefaultMaxDistancePx)
        : intervalMs(maxIntervalMs), maxDistancePx(maxDistance)
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

// Modifiers of a pointer event. X's state holds the buttons and keys held before the event, so
// the button a press event presses is added and the one a release event releases removed.
MouseMods ModsFromState(unsigned state, unsigned pressedButton = 0, unsigned releasedButton = 0);

// Wheel notches of a press of button 4 (+1, away from the user) or 5 (-1); 0 for other buttons.
int WheelNotches(unsigned button);

// Hover detection: armed when the pointer reaches another control, it fires once the pointer
// has stayed within a few pixels for the hover time; moving further restarts the wait.
class HoverTimer
{
public:
    static constexpr long kHoverTimeMs = 400;
    static constexpr int kHoverSlopPx = 4;

    void Arm(long nowMs, int x, int y);
    void Disarm() { armed = false; }
    void PointerMoved(long nowMs, int x, int y);
    // True once, when the hover time has passed.
    bool Fire(long nowMs);
    long MsUntilFire(long nowMs) const;

private:
    bool armed = false;
    long sinceMs = 0;
    int anchorX = 0;
    int anchorY = 0;
};

} // namespace kestrune::x11
