// The plug-in's reaction to parameter changes: the only way parameter values reach the engine.

#include "plugin/VantorKestrune.h"

#include <cmath>

namespace
{

constexpr int kIntegrationShortMs = 125;
constexpr int kIntegrationMediumMs = 500;
constexpr int kIntegrationLongMs = 2000;

// The enumerated values as the real values the parameters hold; reactions compare exactly.
constexpr double kModeOff = kAutoEqOff;
constexpr double kModeStatic = kAutoEqStatic;
constexpr double kModeContinuous = kAutoEqContinuous;
constexpr double kCustomCurve = kCompensationCustom;

} // namespace

double VantorKestrune::AutoEqModeValue() const noexcept
{
    return Param(kParamAutoEq)->Value();
}

bool VantorKestrune::CustomCompensationSelected() const noexcept
{
    return Param(kParamAutoEqCompensation)->Value() == kCustomCurve;
}

// Called after the new value is stored, from the host (Host), the editor (Editor) or a restore
// (Restore, every parameter in index order). Takes the plug-in lock.
void VantorKestrune::OnParameterChanged(int index, ParameterChangeSource source)
{
    const auto lock = LockPlugin();
    const IPlugParameter* param = Param(index);
    if (param == nullptr)
    {
        return;
    }
    const double v = param->Value();
    if (IsBandGainParam(index))
    {
        ReactToBandGain(index - kParamGain0, v, source);
        return;
    }
    switch (index)
    {
    case kParamIntegrationTime:
        ReactToIntegrationTime(v);
        break;
    case kParamDisplayMode:
        engine.displayMode = v != 0.0;
        break;
    case kParamResetAutoEq:
        engine.ClearHeldLevels();
        break;
    case kParamAutoEq:
        ReactToAutoEqMode(v, source);
        return; // its editor feedback sits inside the reaction
    case kParamBypassEq:
        engine.eqBypass = v >= 0.5;
        break;
    case kParamResetEq:
        ReactToResetEq(v, source);
        break;
    case kParamDisableAnalyzer:
        analyserDisabled = v >= 0.5;
        break;
    case kParamEqAmount:
        ReactToEqAmount(v);
        break;
    case kParamLuckyAutoEq:
        engine.luckyAlgorithm = v >= 0.5;
        break;
    case kParamAutoEqCompensation:
        ReactToCompensation(v);
        break;
    default:
        break; // 31, 34, 35: the editor only; 41, 42: read by every block
    }
    FeedbackOnParameter(index, v, source);
}

void VantorKestrune::ReactToBandGain(int band, double gainDb, ParameterChangeSource source)
{
    // On a restore every value is already stored: the gains are taken at the stored amount, so
    // the rescaling when "Eq Amount" is announced after them leaves them as they were saved.
    if (source == ParameterChangeSource::Restore)
    {
        engine.SetEqAmount(Param(kParamEqAmount)->Value() / 100.0, false);
    }
    // While the Auto EQ runs with the custom curve, a fader edits that band's compensation
    // value, not its gain: the Auto EQ applies the curve at its next block. The gain in force
    // stays, with or without audio; the parameter shows the curve value only while a drag
    // shows the curve (the fader gives the gain back when the drag ends), otherwise it is put
    // back at once.
    if (CustomCompensationSelected() && source == ParameterChangeSource::Editor &&
        AutoEqModeValue() > 0.0)
    {
        engine.SetCustomCurveValue(band, gainDb);
        FeedbackCompensationMarker(band, gainDb);
        if (!FaderDragActive.load(std::memory_order_relaxed))
        {
            const int index = BandGainParam(band);
            Param(index)->SetClamped(engine.bandGains[band]);
            FeedbackParameterRewritten(index, Param(index)->Value());
        }
        return;
    }
    engine.SetBandGain(gainDb, band);
}

void VantorKestrune::ReactToIntegrationTime(double value)
{
    const int times[] = {kIntegrationShortMs, kIntegrationMediumMs, kIntegrationLongMs};
    for (int position = 0; position < 3; ++position)
    {
        if (value == position)
        {
            engine.integrationTimeMs = times[position];
            engine.UpdateIntegration();
        }
    }
    // Any change, even to a value between the positions, restarts the Auto EQ's learning.
    engine.ClearHeldLevels();
}

void VantorKestrune::ReactToAutoEqMode(double value, ParameterChangeSource source)
{
    if (value == kModeOff)
    {
        engine.autoEqActive = false;
        FeedbackOnParameter(kParamAutoEq, value, source);
        CustomCompensationEditing.store(false, std::memory_order_relaxed);
        return;
    }
    if (value == kModeStatic)
    {
        if (source == ParameterChangeSource::Restore)
        {
            // A restored state never starts a new static learning pass.
            Param(kParamAutoEq)->SetClamped(kModeOff);
            engine.autoEqActive = false;
        }
        else
        {
            engine.autoEqContinuous = false;
            engine.autoEqActive = true;
        }
        FeedbackOnParameter(kParamAutoEq, value, source);
        if (CustomCompensationSelected())
        {
            CustomCompensationEditing.store(true, std::memory_order_relaxed);
        }
        return;
    }
    if (value == kModeContinuous)
    {
        engine.autoEqActive = true;
        engine.autoEqContinuous = true;
        FeedbackOnParameter(kParamAutoEq, value, source);
        if (CustomCompensationSelected())
        {
            CustomCompensationEditing.store(true, std::memory_order_relaxed);
        }
    }
}

void VantorKestrune::ReactToResetEq(double value, ParameterChangeSource source)
{
    // The switch acts when it is switched on. A restore only re-announces stored values, and a
    // host that echoes them back (or announces every port on activation) repeats a value the
    // plug-in already has: a state saved while the switch was left on (by host automation; the
    // editor's button springs back) keeps the gains it stored.
    const bool on = value >= 0.5;
    const bool switchedOn = on && !resetEqOn;
    resetEqOn = on;
    if (!switchedOn || source == ParameterChangeSource::Restore)
    {
        return;
    }
    for (int band = 0; band < kBandCount; ++band)
    {
        IPlugParameter& gain = *Param(BandGainParam(band));
        gain.SetClamped(0.0);
        engine.SetBandGain(gain.Value(), band);
        FeedbackParameterRewritten(BandGainParam(band), gain.Value());
    }
}

void VantorKestrune::ReactToEqAmount(double value)
{
    engine.SetEqAmount(value / 100.0, true);
    if (AutoEqModeValue() != kModeOff)
    {
        return;
    }
    // The faders show the scaled gains; the host is not told, the engine already has them.
    for (int band = 0; band < kBandCount; ++band)
    {
        Param(BandGainParam(band))->SetClamped(engine.bandGains[band]);
        FeedbackParameterRewritten(BandGainParam(band), engine.bandGains[band]);
    }
}

void VantorKestrune::ReactToCompensation(double value)
{
    engine.compensation = static_cast<int>(value);
    CustomCompensationEditing.store(value == kCustomCurve && AutoEqModeValue() != kModeOff,
                                    std::memory_order_relaxed);
}
