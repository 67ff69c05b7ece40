#pragma once

// Values of the enumerated parameters that the engine, the editor and the state act on.

// "Auto Eq": "Off", "Static" (learn once, then hold), "Continuous".
enum AutoEqMode : int
{
    kAutoEqOff = 0,
    kAutoEqStatic = 1,
    kAutoEqContinuous = 2,
};

// "Auto EQ compensation": "Default" (kDefaultCompensationDb), "None", "Custom" (the user's
// curve, edited on the faders).
enum AutoEqCompensation : int
{
    kCompensationDefault = 0,
    kCompensationNone = 1,
    kCompensationCustom = 2,
};
