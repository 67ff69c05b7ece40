#pragma once

#include <lv2/core/lv2.h>

// Shared by the plug-in and UI halves of the bundle's binary.

// 1 for the mono plug-in's descriptor, 2 for the stereo one's.
int KestruneChannelsOf(const LV2_Descriptor* descriptor);

// Called before every instance is created: on the first call, registers the window system the
// instances' editors use (the X11 window when the binary has the UI, offscreen otherwise).
void KestruneModuleStartup();
