#pragma once

// Which bands of the product's band table the engine can carry at a sample rate.

#include "product/Bands.h"

#include <cstddef>

// A band is carried at a rate when its centre lies below this fraction of the Nyquist
// frequency. The band shelf's design divides by sin(2 pi f / Fs), which vanishes at Nyquist,
// a centre above Nyquist would act on its alias, and the analyser's band-pass edges cross over
// there. The highest ratio of the common rates, 20 kHz at 44.1 kHz (0.907), is carried, so
// every band is carried from 44.1 kHz up.
inline constexpr double kMaxCarriedFractionOfNyquist = 0.95;

// The analyser reports a band's level as its largest smoothed value raised by 3 dB.
inline constexpr double kLevelBoost = 1.4125375446227544;

// True when `band` can be equalised and measured at `rateHz` (see kMaxCarriedFractionOfNyquist).
// Bands are carried from band 0 up to the highest one that fits.
constexpr bool BandCarriedAt(int band, double rateHz)
{
    return band >= 0 && band < kBandCount && rateHz > 0.0 &&
           static_cast<double>(kBandCentreHz[static_cast<std::size_t>(band)]) <
               kMaxCarriedFractionOfNyquist * 0.5 * rateHz;
}
