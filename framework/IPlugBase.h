#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/IPlugEditor.h"
#include "framework/IPlugParameter.h"
#include "framework/PluginDescription.h"
#include "framework/StateChunk.h"

// Why OnParameterChanged is called.
enum class ParameterChangeSource : int
{
    Host = 1,    // the host (automation, its own controls) set the parameter
    Restore = 2, // every parameter after a restore, in index order
    Editor = 3,  // an editor control changed the parameter
};

// Which host interface an adapter serves (IPlugBase::ApiKind).
inline constexpr int kApiAax = 4;
inline constexpr int kApiLv2 = 16;
inline constexpr int kApiHeadless = 17;

// Host identifiers produced by SetHost; -1 until SetHost is called, 0 for a host that is not
// recognised.
enum HostIdentifier : int
{
    kHostNotIdentified = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruity = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVstManLib = 13,
    kHostAuLab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSawStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigital = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostPresonus = 26,
    kHostVst3PluginTestHost = 27,
    kHostArdour = 28,
    kHostRenoise = 29,
    kHostOpenMpt = 30,
    kHostWaveLab = 31,
};

// Four characters packed big-endian, the first in the most significant byte: 'KsRn'.
constexpr std::int32_t PackFourCC(const char (&code)[5])
{
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(code[0]) << 24) | (static_cast<std::uint32_t>(code[1]) << 16) |
        (static_cast<std::uint32_t>(code[2]) << 8) | static_cast<std::uint32_t>(code[3]));
}

// Versions: major in bits 16 to 31, minor in bits 8 to 15, revision in bits 0 to 7.
constexpr int VersionMajor(int version)
{
    return (version >> 16) & 0xFFFF;
}
constexpr int VersionMinor(int version)
{
    return (version >> 8) & 0xFF;
}
constexpr int VersionRevision(int version)
{
    return version & 0xFF;
}
// "v1.2.5" for 0x10205; always terminated.
void FormatHostVersion(int version, char* out, std::size_t outSize) noexcept;

// One accepted channel configuration.
struct ChannelIO
{
    int inputs = 0;
    int outputs = 0;
};

// A saved preset slot.
struct IPlugPreset
{
    bool initialised = false;
    char name[kLongNameCapacity] = "empty";
    StateChunk chunk;
};

// Transport information an adapter can fill from its host.
struct TimeInfo
{
    double tempo = 0.0;
    double samplePosition = 0.0;
    double quarterNotePosition = 0.0;
    double loopStartQuarterNotes = 0.0;
    double loopEndQuarterNotes = 0.0;
    int meterNumerator = 4;
    int meterDenominator = 4;
    bool playing = false;
    bool looping = false;
};

// The host-independent base of every plug-in object: identity, parameters and presets, channel
// configuration and buffers, the editor, the host's identity and the plug-in lock. A host
// adapter derives from it and implements the host-facing operations (gestures, change
// notification, transport); the product derives from the adapter and overrides the
// product-facing ones (ResetProcessing, OnParameterChanged, ProcessBlock, SerializeState,
// DeserializeState).
//
// Threads: the plug-in lock (a re-entrant mutex) serialises block processing, parameter changes
// from the host and the editor, parameter reactions, processing resets and state save and
// restore. The editor draws without it.
class IPlugBase
{
public:
    // Channel counts beyond this are cut to it when the channel string is parsed.
    static constexpr int kMaxChannels = 64;
    // Every channel's scratch buffer has room for this many frames from construction on, so
    // block size changes up to it never allocate. Adapters run longer host blocks in slices of
    // at most ScratchCapacity() frames (RunHostBlock).
    static constexpr int kMaxBlockFrames = 8192;

    IPlugBase(const PluginDescription& description, int apiKind);
    IPlugBase(const IPlugBase&) = delete;
    IPlugBase& operator=(const IPlugBase&) = delete;

    // Virtual operations, in the framework's fixed slot order. Unused hooks are left out.

    // Deletes the editor, parameters, presets, channels, delay line and drawing surface.
    virtual ~IPlugBase();
    // Prepares processing after a sample rate or block size change. Takes the lock.
    virtual void ResetProcessing();
    // The plug-in's reaction to a stored parameter change. Takes the lock.
    virtual void OnParameterChanged(int index, ParameterChangeSource source);
    // Processes one block on the audio thread with the lock held. This default copies input c
    // to output c and zeroes the outputs beyond the inputs.
    virtual void ProcessBlock(double** inputs, double** outputs, int frames) noexcept;
    // Called by the editor when a frame had nothing to redraw (editor thread).
    virtual void OnEditorIdle() {}
    // Saves the state into a chunk; this default writes the parameter chunk.
    virtual bool SerializeState(StateChunk& chunk);
    // Restores state from a chunk at a position, returns the position after it or -1. This
    // default reads the parameter chunk.
    virtual int DeserializeState(const StateChunk& chunk, int position);
    // True when every parameter value and values[first + i], both rounded to float, differ by
    // less than 1e-5. `values` must hold first + ParameterCount() entries.
    virtual bool CompareParams(const double* values, int first) const;
    // True when the `size` bytes hold the state SerializeState would write now: the same bytes,
    // or a parameter chunk with the same values (CompareParams). Hosts that ask whether a saved
    // chunk still matches hand it over as it is; products whose state holds more than the
    // parameters compare their own format. Reads only `size` bytes.
    virtual bool HoldsCurrentState(const char* bytes, int size);
    // Right click on a control bound to a parameter (editor thread); does nothing here.
    virtual void OnParamContextClick(int index, int x, int y);
    // An editor control set a normalised value: store it, tell the host, react. Takes the lock.
    // A non-finite value or an unknown index is ignored.
    virtual void SetParameterFromGUI(int index, double normalised);
    // Host-facing: the user starts changing a parameter, its new value, the user stops.
    virtual void BeginHostGesture(int index) = 0;
    virtual void NotifyHostOfChange(int index, double normalised) = 0;
    virtual void EndHostGesture(int index) = 0;
    // Host-facing transport queries; meaningful only while the host is rendering.
    virtual int HostSamplePosition() = 0;
    virtual double HostTempo() = 0;
    virtual void HostTimeSignature(int* numerator, int* denominator) = 0;
    virtual void HostTimeInfo(TimeInfo* info) = 0;
    virtual int HostId() const { return hostId_; }
    virtual int ApiKind() const { return apiKind_; }
    // The editor asks the host for another size; the editors here have a fixed size.
    virtual void EditorResized(int width, int height);
    // Takes ownership of the editor and attaches it (see framework/IPlugEditor.h); null does
    // nothing. Takes the lock.
    virtual void AttachEditor(IPlugEditor* editor);
    // Stores the latency in samples (negative gives 0) and resizes the delay line, if any.
    virtual void SetLatencySamples(int samples);
    // Shows every parameter's current value in the editor, if one is attached.
    virtual void PushValuesToEditor();
    // Tells the host that the state changed; does nothing here.
    virtual void MarkChanged() {}
    // Resizes and zeroes every channel's scratch buffer when the size changes (negative gives
    // 0). Up to ScratchCapacity() frames this allocates nothing and is safe on the audio thread;
    // a larger size grows the buffers and is for callers off the audio thread only (a tool's
    // block size, a host's announced maximum).
    virtual void SetHostBlockSize(int frames);

    // Parameters.
    int ParameterCount() const noexcept { return static_cast<int>(params_.size()); }
    // Null outside 0 .. ParameterCount() - 1.
    IPlugParameter* Param(int index) noexcept;
    const IPlugParameter* Param(int index) const noexcept;

    // The host-change contract every adapter follows, under the lock: store the normalised
    // value, show it in the editor, react with source Host. False (and nothing changed) for an
    // unknown index or a non-finite value.
    bool SetParameterFromHost(int index, double normalised);
    // The same contract for hosts and tools that exchange real values: the value is stored
    // clamped into the range, without step rounding (as SetClamped does).
    bool SetParameterValueFromHost(int index, double value);

    // The parameter chunk: int32 count, then each real value as a double.
    bool SerializeParams(StateChunk& chunk);
    // Reads a parameter chunk at `position`; every parameter is then announced with source
    // Restore. Returns the position after the last value read, or -1 when a read failed. A
    // value that could not be read leaves its parameter unchanged; a value read beyond the
    // range is clamped into it.
    int UnserializeParams(const StateChunk& chunk, int position);

    // Fills the first `count` uninitialised preset slots with the current state (null name
    // gives "Empty").
    void CapturePreset(const char* name, int count);
    int PresetCount() const noexcept { return static_cast<int>(presets_.size()); }
    // Null outside 0 .. PresetCount() - 1.
    const IPlugPreset* Preset(int index) const noexcept;

    // Identity.
    const char* EffectName() const noexcept { return effectName_; }
    const char* ProductName() const noexcept { return productName_; }
    const char* MakerName() const noexcept { return makerName_; }
    int UniqueId() const noexcept { return uniqueId_; }
    int MakerId() const noexcept { return makerId_; }
    int Version() const noexcept { return version_; }
    bool SavesChunks() const noexcept { return savesChunks_; }
    bool IsInstrument() const noexcept { return isInstrument_; }
    bool ReceivesMidi() const noexcept { return receivesMidi_; }

    // Host identification: the name is lower-cased and matched against the host table.
    void SetHost(const char* name, int version);
    // The host name as lower-cased by SetHost ("" before).
    const char* HostName() const noexcept { return hostName_; }
    int HostVersion() const noexcept { return hostVersion_; }

    void SetHostSampleRate(double sampleRate) noexcept;
    double SampleRate() const noexcept { return sampleRate_.load(std::memory_order_relaxed); }
    int BlockSize() const noexcept { return blockSize_.load(std::memory_order_relaxed); }
    int Latency() const noexcept { return latency_; }

    // Channel configurations and channel plumbing, used by the adapter around every block.
    int ChannelIOCount() const noexcept { return static_cast<int>(channelIOs_.size()); }
    ChannelIO ChannelIOAt(int index) const noexcept;
    // Channel counts of the widest configuration.
    int InputCount() const noexcept { return static_cast<int>(inputs_.size()); }
    int OutputCount() const noexcept { return static_cast<int>(outputs_.size()); }
    bool IsInputConnected(int channel) const noexcept;
    bool IsOutputConnected(int channel) const noexcept;
    // Frames every channel's scratch buffer holds without allocating: kMaxBlockFrames, or the
    // largest block size set so far when that is more.
    int ScratchCapacity() const noexcept { return scratchCapacity_; }
    bool HasLatencyDelayLine() const noexcept { return delayLine_ != nullptr; }

    // The editor (null until AttachEditor) and the drawing surface over its bitmap.
    IPlugEditor* Editor() const noexcept { return editor_; }
    // Takes ownership of the surface; AttachEditor attaches it to the editor.
    void SetEditorSurface(std::unique_ptr<IPlugEditorSurface> surface) noexcept;
    IPlugEditorSurface* EditorSurface() const noexcept { return surface_.get(); }

    // The plug-in lock; the same thread may take it again while holding it.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> LockPlugin() const
    {
        return std::unique_lock<std::recursive_mutex>(mutex_);
    }
    // Takes the lock only when that does not wait; check owns_lock().
    [[nodiscard]] std::unique_lock<std::recursive_mutex> TryLockPlugin() const
    {
        return std::unique_lock<std::recursive_mutex>(mutex_, std::try_to_lock);
    }

protected:
    // The channel plumbing: what host adapters call around every block, under the plug-in
    // lock. The product and the programs never call these; they see ProcessBlock.
    // Set the connected flag of the existing channels first .. first + count - 1; a channel
    // that becomes unconnected reads or writes its own scratch buffer.
    void ConnectInputs(int first, int count, bool connected) noexcept;
    void ConnectOutputs(int first, int count, bool connected) noexcept;
    // Converts `frames` floats of the next entry of `data` into each connected input channel
    // of the range; entries are consumed only by connected channels, and a null entry reads as
    // silence. Frames beyond the block size are not taken.
    void TakeInputs(int first, int count, float** data, int frames) noexcept;
    // Remembers the next entry of `data` as the host destination of each connected output
    // channel of the range.
    void TakeOutputs(int first, int count, float** data) noexcept;
    void ClearChannelBuffers() noexcept;
    // Before a host block of `frames`, with the lock held and before its samples are taken
    // (resizing zeroes the scratch buffers): the block size becomes the frames themselves while
    // they fit the scratch buffers, ScratchCapacity() beyond that (negative gives 0), and
    // processing is reset when it changed. Allocates nothing.
    void FitBlockSizeToHost(int frames);
    // One host block through the channel plumbing, with the lock held and the block size set
    // (FitBlockSizeToHost): the first `inputChannels` inputs and `outputChannels` outputs
    // are connected, the others run on cleared scratch buffers. A block longer than the block
    // size runs as consecutive slices of the block size, each exactly as if the host had
    // delivered it as a block of its own: the audio is the same, and whatever the plug-in does
    // once per block (meters, analysis updates) happens once per slice.
    void RunHostBlock(float* const* inputs, int inputChannels, float* const* outputs,
                      int outputChannels, int frames, bool bypassed) noexcept;
    // ProcessBlock, then the connected outputs are converted to their host destinations.
    // Frames are limited to the block size. Called with the lock held.
    void RunBlock(int frames) noexcept;
    // Copies the inputs through (delayed by the latency when a delay line exists), then
    // converts as RunBlock does.
    void RunBypassedBlock(int frames) noexcept;
    // Creates the latency delay line (latency x inputs samples, zeroed).
    void CreateLatencyDelayLine();
    // What every adapter does once it is made: every channel connected, the latency line made,
    // the host's name and the first block size set.
    void PrepareForHost(const char* hostName, int blockSize);

private:
    struct InputChannel
    {
        bool connected = false;
        int slot = 0;
        std::vector<double> scratch;
    };
    struct OutputChannel
    {
        bool connected = false;
        int slot = 0;
        float* destination = nullptr;
        std::vector<double> scratch;
    };
    struct LatencyDelayLine
    {
        std::vector<double> ring;
        int writeFrame = 0;
        int inputs = 0;
        int outputs = 0;
        int latency = 0;
    };

    void ParseChannelIOs(const char* text);
    void CopyThrough(int frames) noexcept;
    void DelayThrough(int frames) noexcept;
    void ConvertOutputs(int frames) noexcept;
    int LimitFrames(int frames) const noexcept;

    std::vector<ChannelIO> channelIOs_;
    mutable std::recursive_mutex mutex_;
    char effectName_[kPlugNameCapacity] = {};
    char productName_[kPlugNameCapacity] = {};
    char makerName_[kPlugNameCapacity] = {};
    int uniqueId_ = 0;
    int makerId_ = 0;
    int version_ = 0;
    int apiKind_ = 0;
    int hostId_ = kHostNotIdentified;
    int hostVersion_ = 0;
    char hostName_[kLongNameCapacity] = {};
    bool savesChunks_ = false;
    bool isInstrument_ = false;
    bool receivesMidi_ = false;
    std::atomic<double> sampleRate_{44100.0};
    std::atomic<int> blockSize_{0};
    int scratchCapacity_ = kMaxBlockFrames; // frames reserved in every scratch buffer
    int latency_ = 0;
    std::unique_ptr<LatencyDelayLine> delayLine_;
    std::unique_ptr<IPlugEditorSurface> surface_;
    IPlugEditor* editor_ = nullptr; // owned; deleted first by the destructor
    std::vector<std::unique_ptr<IPlugParameter>> params_;
    std::vector<std::unique_ptr<IPlugPreset>> presets_;
    std::vector<double*> inputPointers_;
    std::vector<double*> outputPointers_;
    std::vector<InputChannel> inputs_;
    std::vector<OutputChannel> outputs_;
};
