#pragma once

#include <cstddef>
#include <vector>

#include "framework/IPlugBase.h"

// The host adapter for running a plug-in without a host: the command-line tool and the tests.
// It answers the host-facing operations of IPlugBase itself: gestures and change notifications
// are recorded (so tests can read what a host would have been told), transport queries report
// a stopped transport at sample 0, and RenderBlock plays the host's part around a block with
// float buffers, as a real adapter's render callback does.
//
// Its constructor takes the same arguments as every other adapter's, so a product class builds
// against any adapter unchanged (plugin/CMakeLists.txt).
class IPlugHeadless : public IPlugBase
{
public:
    // What a host would hand to a new instance; nothing, here.
    struct InstanceInfo
    {
    };

    struct HostEvent
    {
        enum class Kind
        {
            BeginGesture,
            Change,
            EndGesture,
        };
        Kind kind;
        int index;
        double normalised; // for Change; 0 otherwise
    };

    // The recorder keeps at most this many events; later ones are dropped.
    static constexpr std::size_t kMaxRecordedEvents = 65536;
    // Block size until the first RenderBlock says otherwise.
    static constexpr int kInitialBlockSize = 1024;

    IPlugHeadless(InstanceInfo info, const PluginDescription& description);

    void BeginHostGesture(int index) override;
    void NotifyHostOfChange(int index, double normalised) override;
    void EndHostGesture(int index) override;
    int HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120.0; }
    void HostTimeSignature(int* numerator, int* denominator) override;
    void HostTimeInfo(TimeInfo* info) override;
    void MarkChanged() override { ++changeCount_; }

    const std::vector<HostEvent>& HostEvents() const noexcept { return hostEvents_; }
    void ClearHostEvents() noexcept { hostEvents_.clear(); }

    // One block as a host delivers it, under the plug-in lock: the first `inputChannels`
    // inputs and `outputChannels` outputs are connected (the others run on cleared scratch
    // buffers), a frame count different from the block size sets the new block size and resets
    // processing before the samples are taken, then the block runs, bypassed or not, and the
    // connected outputs are written back as floats. A block longer than the scratch buffers
    // (IPlugBase::ScratchCapacity) runs in slices of that size (IPlugBase::RunHostBlock).
    void RenderBlock(float** inputs, int inputChannels, float** outputs, int outputChannels,
                     int frames, bool bypassed);

private:
    void Record(HostEvent::Kind kind, int index, double normalised);

    std::vector<HostEvent> hostEvents_;
    int changeCount_ = 0;
};
