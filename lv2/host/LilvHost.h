#pragma once

#include "lv2/Lv2InlineDisplay.h"

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

// A small LV2 host on lilv, as the test programs and the benchmark use it: loads plug-ins by
// URI, connects every port to a buffer of its own, and runs blocks of float audio. It offers the
// features a well-behaved plug-in may ask for: urid map/unmap, options with the block-length
// bounds and the sample rate, and bounded block lengths.
namespace lv2host
{

class HostError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Thread-safe URI <-> URID table shared by the world and its instances.
class UridTable
{
public:
    LV2_URID Map(const char* uri);
    const char* Unmap(LV2_URID urid);

    LV2_URID_Map* MapFeature() { return &map_; }
    LV2_URID_Unmap* UnmapFeature() { return &unmap_; }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, LV2_URID> ids_;
    std::vector<std::unique_ptr<std::string>> uris_;
    LV2_URID_Map map_{this, &UridTable::MapCallback};
    LV2_URID_Unmap unmap_{this, &UridTable::UnmapCallback};

    static LV2_URID MapCallback(LV2_URID_Map_Handle handle, const char* uri);
    static const char* UnmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID urid);
};

// The lilv world. With an empty bundle path it loads everything on LV2_PATH (or the default
// places); otherwise only the given bundle directory (plus the installed specifications).
class World
{
public:
    explicit World(const std::string& bundlePath = "");
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    LilvWorld* Get() const { return world_; }
    // The plug-in with this URI, or null when the world does not hold it.
    const LilvPlugin* FindPlugin(const std::string& uri) const;
    UridTable& Urids() { return urids_; }

private:
    LilvWorld* world_ = nullptr;
    UridTable urids_;
};

enum class PortKind
{
    AudioIn,
    AudioOut,
    ControlIn,
    ControlOut,
    AtomIn,
    AtomOut,
    Other,
};

struct PortInfo
{
    uint32_t index = 0;
    PortKind kind = PortKind::Other;
    std::string symbol;
    std::string name;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float defaultValue = 0.0f;
};

// A picture rendered through the inline display extension: cairo's ARGB32 words, row by row.
struct InlinePicture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// What a host offers beyond the usual features.
struct HostOffers
{
    // Ardour's inline display: queue_draw, whose calls the instance counts.
    bool inlineDisplay = false;
};

// One instance of a plug-in with all of its ports connected. Control inputs start at their
// defaults (clamped into the range).
class Instance
{
public:
    Instance(World& world, const std::string& uri, double sampleRate, uint32_t maxBlockFrames,
             HostOffers offers = {});
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    const std::vector<PortInfo>& Ports() const { return ports_; }
    // Index into Ports() of the port with this symbol; throws HostError when there is none.
    std::size_t PortBySymbol(const std::string& symbol) const;
    bool HasPort(const std::string& symbol) const;

    void SetControl(const std::string& symbol, float value);
    float Control(const std::string& symbol) const;

    void Activate();
    void Deactivate();
    // Copies `frames` samples of each input into the audio input ports, runs the plug-in and
    // copies the audio output ports into `outputs`. frames must not exceed the maximum block.
    void Run(const float* const* inputs, float* const* outputs, uint32_t frames);

    // The plug-in's state (with the port values) as Turtle text, as a preset file holds it.
    std::string SaveState(const std::string& stateUri = "urn:kestrune:test-state");
    // Restores a state saved by SaveState: the plug-in's own state and the port values.
    void RestoreState(const std::string& turtle);

    // Renders the plug-in's inline display as a host's GUI thread would; nothing when the
    // plug-in has no such interface or draws nothing at that size.
    std::optional<InlinePicture> RenderInlineDisplay(uint32_t width, uint32_t maxHeight);
    // Times the plug-in asked for a redraw through queue_draw (any thread).
    int QueuedDraws() const { return queuedDraws_.load(); }

    LilvInstance* Raw() const { return instance_; }
    const LilvPlugin* Plugin() const { return plugin_; }

private:
    void BuildFeatures(double sampleRate, HostOffers offers);
    void ConnectPorts();
    void ResetAtomPorts();

    static const void* GetPortValue(const char* symbol, void* userData, uint32_t* size,
                                    uint32_t* type);
    static void SetPortValue(const char* symbol, void* userData, const void* value, uint32_t size,
                             uint32_t type);

    World& world_;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    uint32_t maxBlockFrames_ = 0;
    bool active_ = false;

    std::vector<PortInfo> ports_;
    std::vector<float> controls_;                  // one per port (unused for non-control ports)
    std::vector<std::vector<float>> audioBuffers_; // one per port
    std::vector<std::vector<uint64_t>> atomBuffers_;
    std::vector<std::size_t> audioIns_;
    std::vector<std::size_t> audioOuts_;

    int32_t minBlock_ = 1;
    int32_t maxBlock_ = 0;
    float sampleRateValue_ = 0.0f;
    std::vector<LV2_Options_Option> options_;
    std::vector<LV2_Feature> featureStore_;
    std::vector<const LV2_Feature*> features_;
    std::atomic<int> queuedDraws_{0};
    Lv2InlineDisplayQueue inlineQueue_{this, &Instance::QueueDraw};

    static void QueueDraw(void* handle);
};

} // namespace lv2host
