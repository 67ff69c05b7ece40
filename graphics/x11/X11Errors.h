#pragma once

#include <X11/Xlib.h>

namespace kestrune::x11
{

// Catches X protocol errors of one display for the lifetime of the trap instead of letting
// Xlib's default handler end the process. The error handler is process-wide, so traps are
// serialised by a process-wide lock; other displays' errors raised meanwhile are ignored.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Synchronises with the server and tells whether an error of this display arrived.
    bool Caught();

private:
    Display* display;
};

// Makes Xlib safe for several connections used from several threads; call before any
// XOpenDisplay of this process (the editor windows call it themselves).
void InitXThreadsOnce();

} // namespace kestrune::x11
