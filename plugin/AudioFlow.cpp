// The plug-in's processing: engine preparation and the block flow around the engine.

#include "plugin/VantorKestrune.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace
{

void Scale(double* samples, int frames, double gain) noexcept
{
    for (int j = 0; j < frames; ++j)
    {
        samples[j] *= gain;
    }
}

// The host's rate truncated towards zero; a rate that is not a positive number an int can hold
// leaves the engine unprepared rather than designing filters from nonsense.
int EngineSampleRate(double sampleRateHz) noexcept
{
    if (!(sampleRateHz >= 1.0) || sampleRateHz > INT_MAX)
    {
        return -1;
    }
    return static_cast<int>(sampleRateHz);
}

} // namespace

// After the sample rate is set and whenever the block size changes. Takes the plug-in lock.
void VantorKestrune::ResetProcessing()
{
    const auto lock = LockPlugin();
    engine.SetSampleRate(EngineSampleRate(SampleRate()));
    engine.SetBlockSize(BlockSize());
    engine.SetOversampling(1);
    engine.SetMix(1.0);
    FeedbackBandAvailability();
}

void VantorKestrune::ClearAudioHistory()
{
    const auto lock = LockPlugin();
    engine.ClearHistory();
}

// Audio thread, plug-in lock held by the adapter. The input buffers are the working buffers.
// Blocks longer than the engine's buffers are cut into pieces by the engine itself.
void VantorKestrune::ProcessBlock(double** inputs, double** outputs, int frames) noexcept
{
    if (frames < 1)
    {
        return;
    }
    const double inputGain = std::exp(Param(kParamInput)->Value() * kDbToLinear);
    Scale(inputs[0], frames, inputGain);
    Scale(inputs[1], frames, inputGain);

    engine.Process(inputs, frames);

    const int mode = static_cast<int>(AutoEqModeValue());
    const bool editingCurve = FaderDragActive.load(std::memory_order_relaxed) &&
                              CustomCompensationEditing.load(std::memory_order_relaxed);
    const bool writeBack = (mode == kAutoEqStatic || mode == kAutoEqContinuous) && !editingCurve;
    if (writeBack)
    {
        WriteBackAutoEqGains();
    }
    FeedbackAfterEngine(writeBack);

    const double outputGain = std::exp(Param(kParamOutput)->Value() * kDbToLinear);
    Scale(inputs[0], frames, outputGain);
    Scale(inputs[1], frames, outputGain);
    FeedbackMarkAllDirty();

    const std::size_t bytes = static_cast<std::size_t>(frames) * sizeof(double);
    for (int c = 1; c >= 0; --c)
    {
        if (outputs[c] != inputs[c])
        {
            std::memmove(outputs[c], inputs[c], bytes);
        }
    }
}

// The engine already applies these gains; the parameters follow without telling the host.
void VantorKestrune::WriteBackAutoEqGains() noexcept
{
    for (int band = 0; band < kBandCount; ++band)
    {
        Param(BandGainParam(band))->SetClamped(engine.bandGains[band]);
    }
}
