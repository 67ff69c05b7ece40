#include "controls/DisplayUpdates.h"

#include "controls/ICairoDotMatrix.h"
#include "framework/IPlugParameter.h"

#include <cmath>

namespace kestrune
{

int ShowBandLevels(ICairoDotMatrix& display, const double* levelsLinear, int bandCount) noexcept
{
    int changed = 0;
    for (int band = 0; band < bandCount; ++band)
    {
        const double levelDb = kLinearToDb * std::log(std::fabs(levelsLinear[band]));
        if (levelDb == display.Level(band))
            continue;
        display.SetLevel(band, levelDb);
        if (levelDb > display.Peak(band))
            display.SetPeak(band, levelDb);
        display.MarkDirty(true);
        ++changed;
    }
    return changed;
}

void ApplyDbPerLedSetting(ICairoDotMatrix& display, double value) noexcept
{
    static constexpr int kDbPerLedByIndex[] = {1, 2, 3, 6};
    const int index = TruncateToInt(value);
    if (index < 0 || index > 3)
        return;
    display.SetDbPerLed(kDbPerLedByIndex[index]);
    display.MarkDirty(true);
}

void ApplyPeakDisplaySetting(ICairoDotMatrix& display, double value) noexcept
{
    display.SetPeakDisplay(value >= 0.5);
    display.MarkDirty(true);
}

void ClearDisplayPeaks(ICairoDotMatrix& display) noexcept
{
    display.ResetPeaks();
    display.MarkDirty(true);
}

} // namespace kestrune
