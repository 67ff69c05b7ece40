// Where the module has no window system layer, editors draw offscreen.
#include "aax/module/ModuleWindowSystem.h"

void UseModuleWindowSystem() {}
