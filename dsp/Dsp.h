#pragma once

// The Dsp filter library: uniform two-channel IIR filters built from second-order sections in
// Direct Form II, with optional 128-sample parameter smoothing, and its designs.

#include "dsp/Biquad.h"
#include "dsp/Butterworth.h"
#include "dsp/Cascade.h"
#include "dsp/Filter.h"
#include "dsp/Legendre.h"
#include "dsp/Params.h"
#include "dsp/PoleZero.h"
#include "dsp/RBJ.h"
#include "dsp/State.h"
