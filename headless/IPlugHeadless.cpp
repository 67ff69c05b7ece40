#include "headless/IPlugHeadless.h"

IPlugHeadless::IPlugHeadless(InstanceInfo /*info*/, const PluginDescription& description)
    : IPlugBase(description, kApiHeadless)
{
    PrepareForHost("headless", kInitialBlockSize);
}

void IPlugHeadless::Record(HostEvent::Kind kind, int index, double normalised)
{
    if (hostEvents_.size() < kMaxRecordedEvents)
    {
        hostEvents_.push_back({kind, index, normalised});
    }
}

void IPlugHeadless::BeginHostGesture(int index)
{
    const auto lock = LockPlugin();
    Record(HostEvent::Kind::BeginGesture, index, 0.0);
}

void IPlugHeadless::NotifyHostOfChange(int index, double normalised)
{
    const auto lock = LockPlugin();
    Record(HostEvent::Kind::Change, index, normalised);
}

void IPlugHeadless::EndHostGesture(int index)
{
    const auto lock = LockPlugin();
    Record(HostEvent::Kind::EndGesture, index, 0.0);
}

void IPlugHeadless::HostTimeSignature(int* numerator, int* denominator)
{
    if (numerator != nullptr)
    {
        *numerator = 4;
    }
    if (denominator != nullptr)
    {
        *denominator = 4;
    }
}

void IPlugHeadless::HostTimeInfo(TimeInfo* info)
{
    if (info != nullptr)
    {
        *info = TimeInfo{};
        info->tempo = HostTempo();
    }
}

void IPlugHeadless::RenderBlock(float** inputs, int inputChannels, float** outputs,
                                int outputChannels, int frames, bool bypassed)
{
    const auto lock = LockPlugin();
    // The block size changes before the samples are taken: resizing clears the scratch
    // buffers. A block beyond the scratch buffers keeps their size and runs in slices.
    FitBlockSizeToHost(frames);
    RunHostBlock(inputs, inputChannels, outputs, outputChannels, frames, bypassed);
}
