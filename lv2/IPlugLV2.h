#pragma once

#include "framework/IPlugBase.h"
#include "lv2/Lv2Ports.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// Where editor changes go on their way to the host: the plug-in's LV2 UI, while it is open,
// passes them to the host's port write function (and touch gestures, where offered).
// Called on the editor's (UI) thread.
class Lv2HostLink
{
public:
    virtual ~Lv2HostLink() = default;
    virtual void WriteControlPort(uint32_t port, float value) = 0;
    virtual void TouchControlPort(uint32_t port, bool grabbed) = 0;

protected:
    Lv2HostLink() = default;
    Lv2HostLink(const Lv2HostLink&) = default;
    Lv2HostLink& operator=(const Lv2HostLink&) = default;
};

// The LV2 host adapter. It follows the same contract as every adapter of IPlugBase:
// - a control input port whose value changed reaches the plug-in through the host-change path
//   (SetParameterFromHost: SetFromNormalized, the editor, OnParameterChanged with Host), in
//   parameter index order, at the start of the next block;
// - audio runs through the channel plumbing and RunBlock, with the plug-in lock held for the
//   whole run; a mono instance processes its second channel from a cleared buffer;
// - activation sets the sample rate and block size and resets processing; the first one then
//   announces every parameter once, as a host that sends its whole automation state; a block
//   larger than the block size in force grows it, up to the scratch buffers' reserved room,
//   and resets processing again (a smaller one does not, so a host that splits its cycles does
//   not restart the analysis each time); a block beyond that room runs in slices of it;
// - the state extension saves and restores the text SerializeState writes.
//
// The port numbering is Lv2PortLayout's. The meter outputs after the parameters belong to the
// product: a MeterReader fills them after each block.
class IPlugLV2 : public IPlugBase
{
public:
    // What the host hands to a new instance; the descriptor configures the instance after
    // construction (Configure), so nothing is needed here.
    struct InstanceInfo
    {
    };

    // Fills `count` meter ports (each may be null: not connected) after a block. Called on the
    // audio thread with the plug-in lock held; must not allocate or block.
    using MeterReader = void (*)(IPlugLV2& plug, float* const* ports, int count) noexcept;

    // Block size used until the host says what it will send.
    static constexpr int kDefaultBlockSize = 1024;

    IPlugLV2(InstanceInfo info, const PluginDescription& description);
    ~IPlugLV2() override;

    // Called once by the descriptor's instantiate: the channel configuration of this LV2
    // plug-in, the meters the product adds, the host's sample rate and features (urid:map,
    // options with the block lengths), and the URI under which the state is stored.
    // urid:map is optional: without it the plug-in runs, with no state interface. Returns true.
    bool Configure(int audioInputs, int audioOutputs, int meterCount, MeterReader meterReader,
                   double sampleRate, const LV2_Feature* const* features, const char* stateKeyUri);

    const Lv2PortLayout& PortLayout() const noexcept { return layout_; }
    // Adds the lv2:enabled port after the meters (before the host connects ports): while the
    // host sets it to 0 the plug-in is bypassed (RunBypassedBlock, as the AAX master bypass).
    void AddEnabledPort() noexcept { layout_.enabledPort = true; }

    // The LV2 plug-in interface, in the threading classes LV2 gives them.
    void ConnectPort(uint32_t port, void* data) noexcept;
    void Activate();
    void Deactivate() noexcept {}
    void Run(uint32_t frames) noexcept;
    LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // Set by the UI when it opens and cleared (null) when it closes; UI thread.
    void SetHostLink(Lv2HostLink* link) noexcept { hostLink_.store(link); }
    // The value the adapter last took from, or told, the host for a parameter's port.
    float KnownPortValue(int index) const noexcept;

    // Host-facing operations of IPlugBase.
    void BeginHostGesture(int index) override;
    void NotifyHostOfChange(int index, double normalised) override;
    void EndHostGesture(int index) override;
    int HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120.0; }
    void HostTimeSignature(int* numerator, int* denominator) override;
    void HostTimeInfo(TimeInfo* info) override;

private:
    void ReadBlockLengthOptions(const LV2_Feature* const* features);
    void ReadMeters() noexcept;
    // Hands every control port whose value changed to the host-change path. With the plug-in
    // lock held.
    void ApplyControlChanges() noexcept;
    void TakePortValuesAsKnown() noexcept;

    Lv2PortLayout layout_;
    MeterReader meterReader_ = nullptr;
    double hostSampleRate_ = 44100.0;
    int hostBlockSize_ = kDefaultBlockSize;

    std::vector<float*> audioInputPorts_;
    std::vector<float*> audioOutputPorts_;
    std::vector<const float*> controlPorts_;
    std::vector<float*> meterPorts_;
    // Per parameter: the value last taken from the host's port or sent to the host. A port
    // value equal to it is no change. Read by the UI thread.
    std::unique_ptr<std::atomic<float>[]> knownPortValues_;
    // Per parameter: after the editor told the host a new value, the value the port held
    // before (NaN when none). Until the host's write arrives the port still shows it, and that
    // is no change either.
    std::unique_ptr<std::atomic<float>[]> stalePortValues_;
    // After a state restore the host sets the ports to the values saved with it (or leaves
    // them): the next block takes them as known instead of applying them over the restored
    // parameters.
    std::atomic<bool> adoptPortValues_{false};
    // Every parameter has been announced to the plug-in once (first activation).
    bool announced_ = false;

    std::atomic<Lv2HostLink*> hostLink_{nullptr};

    LV2_URID_Map* map_ = nullptr;
    const float* enabledPort_ = nullptr; // lv2:enabled, when the layout has it
    LV2_URID stateKey_ = 0;
    LV2_URID atomString_ = 0;
    LV2_URID atomChunk_ = 0;
};
