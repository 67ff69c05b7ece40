#include "graphics/x11/X11Errors.h"

#include <mutex>

namespace kestrune::x11
{
namespace
{

std::mutex gTrapMutex;
Display* gTrappedDisplay = nullptr;
bool gTrapCaught = false;
XErrorHandler gPreviousHandler = nullptr;

int TrapHandler(Display* display, XErrorEvent* /*error*/)
{
    if (display == gTrappedDisplay)
    {
        gTrapCaught = true;
    }
    return 0;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* displayIn) : display(displayIn)
{
    gTrapMutex.lock();
    XSync(display, False);
    gTrappedDisplay = display;
    gTrapCaught = false;
    gPreviousHandler = XSetErrorHandler(TrapHandler);
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(display, False);
    XSetErrorHandler(gPreviousHandler);
    gTrappedDisplay = nullptr;
    gTrapMutex.unlock();
}

bool X11ErrorTrap::Caught()
{
    XSync(display, False);
    return gTrapCaught;
}

void InitXThreadsOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { XInitThreads(); });
}

} // namespace kestrune::x11
