#pragma once

// Flags shared by every plug-in instance of the process: FaderDragActive (a band fader is held,
// set and cleared by the band fader) and CustomCompensationEditing (the custom compensation
// curve may be edited, set by the parameter reactions). The audio thread reads them while
// editor and parameter threads write them, so they are atomics; relaxed order is enough, as
// each is a single independent switch and a reader at worst sees a change one block late.
// They are defined once, next to the band fader that sets the first.

#include "controls/EditFlags.h"
