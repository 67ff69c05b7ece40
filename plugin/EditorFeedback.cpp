// Editor feedback: the points where the editor follows the plug-in. Each hook runs under the
// plug-in lock on the thread that called the plug-in (the audio thread for the block hooks);
// the editor draws from what they store at its next frame, without the lock.

#include "plugin/VantorKestrune.h"

#include "controls/DisplayUpdates.h"
#include "controls/ICairoDotMatrix.h"
#include "controls/ICairoFader.h"
#include "graphics/IGraphics.h"

// After the engine's block (ProcessBlock, before the output gain): the analyser display takes
// engine.bandLevels in dB unless analyserDisabled; when gainsWrittenBack the faders follow the
// band parameters.
void VantorKestrune::FeedbackAfterEngine(bool gainsWrittenBack) noexcept
{
    if (analyserDisplay && !analyserDisabled)
        kestrune::ShowBandLevels(*analyserDisplay, engine.bandLevels.data(), kBandCount);
    if (!gainsWrittenBack || !graphics)
        return;
    for (int band = 0; band < kBandCount; ++band)
    {
        const int index = BandGainParam(band);
        graphics->UpdateControlsForParameter(index, Param(index)->Value(), false);
    }
}

// After the output gain: every control is redrawn at the next editor frame.
void VantorKestrune::FeedbackMarkAllDirty() noexcept
{
    if (Editor())
        graphics->MarkAllControlsDirty();
}

// After the reaction to parameter `index` with its real value (for "Auto Eq", before
// CustomCompensationEditing is updated; a restored "Static" has already been set back to
// "Off" when this runs).
void VantorKestrune::FeedbackOnParameter(int index, double value, ParameterChangeSource source)
{
    if (!graphics)
        return;
    ICairoDotMatrix* display = analyserDisplay;
    switch (index)
    {
    case kParamAnalyzerDbPerLed:
        if (display)
            kestrune::ApplyDbPerLedSetting(*display, value);
        break;
    case kParamEnablePeakDisplay:
        if (display)
            kestrune::ApplyPeakDisplaySetting(*display, value);
        break;
    case kParamResetAnalyzer:
        if (display)
            kestrune::ClearDisplayPeaks(*display);
        break;
    case kParamAutoEq:
    {
        const double off = kAutoEqOff;
        const double learnOnce = kAutoEqStatic;
        const double follow = kAutoEqContinuous;
        if (value == off)
            graphics->SetParameterControlsGrayed(kParamAutoEqCompensation, true);
        else if (value == learnOnce && source == ParameterChangeSource::Restore)
        {
            graphics->UpdateControlsForParameter(kParamAutoEq, off, false);
            graphics->SetParameterControlsGrayed(kParamAutoEqCompensation, true);
        }
        else if (value == learnOnce || value == follow)
            graphics->SetParameterControlsGrayed(kParamAutoEqCompensation, false);
        break;
    }
    case kParamBypassEq:
        FeedbackBandAvailability();
        break;
    case kParamDisableAnalyzer:
        if (display)
            display->SetGrayed(value >= 0.5);
        break;
    default:
        break;
    }
}

// After a processing reset and on "Bypass EQ": a band fader is greyed (and takes no input)
// while the equaliser is bypassed or the sample rate does not carry its band.
void VantorKestrune::FeedbackBandAvailability()
{
    if (!graphics)
        return;
    const bool bypassed = Param(kParamBypassEq)->Value() >= 0.5;
    const bool rateKnown = engine.SampleRate() > 0;
    for (int band = 0; band < kBandCount; ++band)
    {
        const bool unavailable = rateKnown && !engine.BandCarried(band);
        graphics->SetParameterControlsGrayed(BandGainParam(band), bypassed || unavailable);
    }
}

// A band parameter was rewritten by the plug-in itself ("Reset EQ", "Eq Amount").
void VantorKestrune::FeedbackParameterRewritten(int index, double value)
{
    if (graphics)
        graphics->UpdateControlsForParameter(index, value, false);
}

// A band's custom compensation value was stored (fader edit or state restore).
void VantorKestrune::FeedbackCompensationMarker(int band, double gainDb)
{
    if (band < 0 || band >= kBandCount)
        return;
    ICairoFader* fader = bandFaders[static_cast<size_t>(band)];
    if (fader)
        fader->SetCompensationMarker(gainDb);
}
