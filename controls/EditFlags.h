#pragma once

#include <atomic>

// Process-wide flags shared by every plug-in instance of the module. Single atomics: the audio
// thread reads them without a lock while the editor thread and the parameter reactions write.

// A band fader is held with the mouse (set on press, cleared on release by ICairoFader).
inline std::atomic<bool> FaderDragActive{false};

// The custom compensation curve may be edited with the band faders: "Auto EQ compensation" is
// "Custom" and "Auto Eq" is not "Off" (kept up to date by the parameter reactions).
inline std::atomic<bool> CustomCompensationEditing{false};
