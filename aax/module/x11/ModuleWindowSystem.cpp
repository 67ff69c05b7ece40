// On X11 systems the editor opens as a child of the X window the host's view container gives.
#include "aax/module/ModuleWindowSystem.h"

#include "graphics/x11/IGraphicsX11.h"

void UseModuleWindowSystem()
{
    UseX11Graphics();
}
