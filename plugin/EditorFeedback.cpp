// Editor feedback: the points where the editor follows the plug-in. Each hook
// runs under the plug-in lock on the thread that called the plug-in (the audio
// thread for the block hooks); the editor draws from what they store at its
// next frame, without the lock.
//
// The hooks do nothing until the editor and its controls exist in this build.

#include "plugin/VantorKestrune.h"

// After the engine's block (ProcessBlock, before the output gain): the analyser
// display takes engine.bandLevels in dB unless analyserDisabled; when
// gainsWrittenBack the faders follow the band parameters.
void VantorKestrune::FeedbackAfterEngine(bool /*gainsWrittenBack*/) noexcept {}

// After the output gain: every control is redrawn at the next editor frame.
void VantorKestrune::FeedbackMarkAllDirty() noexcept {}

// After the reaction to parameter `index` with its real value (for "Auto Eq",
// before CustomCompensationEditing is updated; a restored "Static" has already
// been set back to "Off" when this runs).
void VantorKestrune::FeedbackOnParameter(int /*index*/, double /*value*/,
                                         ParameterChangeSource /*source*/) {}

// A band parameter was rewritten by the plug-in itself ("Reset EQ", "Eq
// Amount").
void VantorKestrune::FeedbackParameterRewritten(int /*index*/,
                                                double /*value*/) {}

// A band's custom compensation value was stored (fader edit or state restore).
void VantorKestrune::FeedbackCompensationMarker(int /*band*/,
                                                double /*gainDb*/) {}
