// A binary built without the X11 editor: instances keep the offscreen editor.
#include "lv2/kestrune/KestruneModule.h"

void KestruneModuleStartup() {}
