#pragma once

// Flags shared by every plug-in instance of the process. The audio thread reads
// them while editor and parameter threads write them, so they are atomics;
// relaxed order is enough, as each is a single independent switch and a reader
// at worst sees a change one block late.

#include <atomic>

// True while a band fader is held with the mouse (set and cleared by the band
// fader).
inline std::atomic<bool> FaderDragActive{false};

// True while the custom compensation curve may be edited: "Auto EQ
// compensation" is "Custom" and the Auto EQ runs (set by the parameter
// reactions). The faders draw and behave differently, and the Auto EQ
// write-back pauses while a fader is held.
inline std::atomic<bool> CustomCompensationEditing{false};
