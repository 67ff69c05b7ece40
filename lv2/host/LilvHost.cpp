#include "lv2/host/LilvHost.h"

#include <cairo.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lv2host
{
namespace
{

constexpr std::size_t kAtomBufferBytes = 8192;

// Hosts keep the drawing library loaded through their own toolkits, so cairo's font caches stay
// with cairo when a plug-in is unloaded. Linked here, it stays loaded in the test hosts as well:
// otherwise unloading the plug-in unloads cairo with it, and LeakSanitizer reports the caches.
[[maybe_unused]] const int kDrawingLibraryVersion = cairo_version();

struct Node
{
    explicit Node(LilvNode* n) : node(n) {}
    ~Node() { lilv_node_free(node); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    LilvNode* node;
};

float NodeFloat(const LilvNode* node, float fallback)
{
    return node && (lilv_node_is_float(node) || lilv_node_is_int(node)) ? lilv_node_as_float(node)
                                                                        : fallback;
}

} // namespace

LV2_URID UridTable::Map(const char* uri)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = ids_.find(uri);
    if (found != ids_.end())
    {
        return found->second;
    }
    uris_.push_back(std::make_unique<std::string>(uri));
    const auto id = static_cast<LV2_URID>(uris_.size());
    ids_.emplace(*uris_.back(), id);
    return id;
}

const char* UridTable::Unmap(LV2_URID urid)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1]->c_str() : nullptr;
}

LV2_URID UridTable::MapCallback(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridTable*>(handle)->Map(uri);
}

const char* UridTable::UnmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<UridTable*>(handle)->Unmap(urid);
}

World::World(const std::string& bundlePath) : world_(lilv_world_new())
{
    if (bundlePath.empty())
    {
        lilv_world_load_all(world_);
        return;
    }
    lilv_world_load_specifications(world_);
    lilv_world_load_plugin_classes(world_);
    std::string uri = "file://" + bundlePath;
    if (uri.back() != '/')
    {
        uri += '/';
    }
    Node bundle(lilv_new_uri(world_, uri.c_str()));
    lilv_world_load_bundle(world_, bundle.node);
}

World::~World()
{
    lilv_world_free(world_);
}

const LilvPlugin* World::FindPlugin(const std::string& uri) const
{
    Node node(lilv_new_uri(world_, uri.c_str()));
    return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node.node);
}

Instance::Instance(World& world, const std::string& uri, double sampleRate, uint32_t maxBlockFrames,
                   HostOffers offers)
    : world_(world), plugin_(world.FindPlugin(uri)), maxBlockFrames_(maxBlockFrames)
{
    if (!plugin_)
    {
        throw HostError("plug-in not found: " + uri);
    }
    BuildFeatures(sampleRate, offers);
    instance_ = lilv_plugin_instantiate(plugin_, sampleRate, features_.data());
    if (!instance_)
    {
        throw HostError("plug-in failed to instantiate: " + uri);
    }
    ConnectPorts();
}

Instance::~Instance()
{
    if (instance_)
    {
        Deactivate();
        lilv_instance_free(instance_);
    }
}

void Instance::BuildFeatures(double sampleRate, HostOffers offers)
{
    UridTable& urids = world_.Urids();
    minBlock_ = 1;
    maxBlock_ = static_cast<int32_t>(maxBlockFrames_);
    sampleRateValue_ = static_cast<float>(sampleRate);
    const LV2_URID intType = urids.Map(LV2_ATOM__Int);
    const LV2_URID floatType = urids.Map(LV2_ATOM__Float);
    options_ = {
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__minBlockLength), sizeof(int32_t), intType,
         &minBlock_},
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType,
         &maxBlock_},
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t),
         intType, &maxBlock_},
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_PARAMETERS__sampleRate), sizeof(float), floatType,
         &sampleRateValue_},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    featureStore_ = {
        {LV2_URID__map, urids.MapFeature()},
        {LV2_URID__unmap, urids.UnmapFeature()},
        {LV2_OPTIONS__options, options_.data()},
        {LV2_BUF_SIZE__boundedBlockLength, nullptr},
    };
    if (offers.inlineDisplay)
    {
        featureStore_.push_back({kLv2InlineDisplayQueueDrawUri, &inlineQueue_});
    }
    features_.clear();
    for (const LV2_Feature& feature : featureStore_)
    {
        features_.push_back(&feature);
    }
    features_.push_back(nullptr);
}

void Instance::QueueDraw(void* handle)
{
    static_cast<Instance*>(handle)->queuedDraws_.fetch_add(1);
}

std::optional<InlinePicture> Instance::RenderInlineDisplay(uint32_t width, uint32_t maxHeight)
{
    const auto* display = static_cast<const Lv2InlineDisplayInterface*>(
        lilv_instance_get_extension_data(instance_, kLv2InlineDisplayInterfaceUri));
    if (display == nullptr || display->render == nullptr)
    {
        return std::nullopt;
    }
    const Lv2InlineDisplaySurface* surface =
        display->render(lilv_instance_get_handle(instance_), width, maxHeight);
    if (surface == nullptr || surface->data == nullptr)
    {
        return std::nullopt;
    }
    InlinePicture picture;
    picture.width = surface->width;
    picture.height = surface->height;
    for (int y = 0; y < surface->height; ++y)
    {
        const auto* row = reinterpret_cast<const uint32_t*>(surface->data + y * surface->stride);
        picture.pixels.insert(picture.pixels.end(), row, row + surface->width);
    }
    return picture;
}

void Instance::ConnectPorts()
{
    LilvWorld* w = world_.Get();
    Node audio(lilv_new_uri(w, LV2_CORE__AudioPort));
    Node control(lilv_new_uri(w, LV2_CORE__ControlPort));
    Node atom(lilv_new_uri(w, LV2_ATOM__AtomPort));
    Node input(lilv_new_uri(w, LV2_CORE__InputPort));

    const uint32_t count = lilv_plugin_get_num_ports(plugin_);
    ports_.resize(count);
    controls_.assign(count, 0.0f);
    audioBuffers_.resize(count);
    atomBuffers_.resize(count);
    for (uint32_t i = 0; i < count; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
        PortInfo& info = ports_[i];
        info.index = i;
        info.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, port));
        LilvNode* name = lilv_port_get_name(plugin_, port);
        info.name = name ? lilv_node_as_string(name) : "";
        lilv_node_free(name);
        const bool isInput = lilv_port_is_a(plugin_, port, input.node);
        if (lilv_port_is_a(plugin_, port, audio.node))
        {
            info.kind = isInput ? PortKind::AudioIn : PortKind::AudioOut;
            audioBuffers_[i].assign(maxBlockFrames_, 0.0f);
            (isInput ? audioIns_ : audioOuts_).push_back(i);
            lilv_instance_connect_port(instance_, i, audioBuffers_[i].data());
        }
        else if (lilv_port_is_a(plugin_, port, control.node))
        {
            info.kind = isInput ? PortKind::ControlIn : PortKind::ControlOut;
            LilvNode* def = nullptr;
            LilvNode* min = nullptr;
            LilvNode* max = nullptr;
            lilv_port_get_range(plugin_, port, &def, &min, &max);
            info.minimum = NodeFloat(min, 0.0f);
            info.maximum = NodeFloat(max, 1.0f);
            info.defaultValue = NodeFloat(def, info.minimum);
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
            controls_[i] = info.defaultValue;
            lilv_instance_connect_port(instance_, i, &controls_[i]);
        }
        else if (lilv_port_is_a(plugin_, port, atom.node))
        {
            info.kind = isInput ? PortKind::AtomIn : PortKind::AtomOut;
            atomBuffers_[i].assign(kAtomBufferBytes / sizeof(uint64_t), 0);
            lilv_instance_connect_port(instance_, i, atomBuffers_[i].data());
        }
        else
        {
            lilv_instance_connect_port(instance_, i, nullptr);
        }
    }
    ResetAtomPorts();
}

void Instance::ResetAtomPorts()
{
    UridTable& urids = world_.Urids();
    for (const PortInfo& info : ports_)
    {
        if (info.kind != PortKind::AtomIn && info.kind != PortKind::AtomOut)
        {
            continue;
        }
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(atomBuffers_[info.index].data());
        if (info.kind == PortKind::AtomIn)
        {
            seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
            seq->atom.type = urids.Map(LV2_ATOM__Sequence);
        }
        else
        {
            seq->atom.size = kAtomBufferBytes - sizeof(LV2_Atom);
            seq->atom.type = urids.Map(LV2_ATOM__Chunk);
        }
        seq->body.unit = 0;
        seq->body.pad = 0;
    }
}

std::size_t Instance::PortBySymbol(const std::string& symbol) const
{
    for (std::size_t i = 0; i < ports_.size(); ++i)
    {
        if (ports_[i].symbol == symbol)
        {
            return i;
        }
    }
    throw HostError("no port with the symbol " + symbol);
}

bool Instance::HasPort(const std::string& symbol) const
{
    return std::any_of(ports_.begin(), ports_.end(),
                       [&](const PortInfo& p) { return p.symbol == symbol; });
}

void Instance::SetControl(const std::string& symbol, float value)
{
    const std::size_t i = PortBySymbol(symbol);
    if (ports_[i].kind != PortKind::ControlIn)
    {
        throw HostError("not a control input: " + symbol);
    }
    controls_[i] = value;
}

float Instance::Control(const std::string& symbol) const
{
    return controls_[PortBySymbol(symbol)];
}

void Instance::Activate()
{
    if (!active_)
    {
        lilv_instance_activate(instance_);
        active_ = true;
    }
}

void Instance::Deactivate()
{
    if (active_)
    {
        lilv_instance_deactivate(instance_);
        active_ = false;
    }
}

void Instance::Run(const float* const* inputs, float* const* outputs, uint32_t frames)
{
    if (frames > maxBlockFrames_)
    {
        throw HostError("block larger than the maximum block length");
    }
    Activate();
    for (std::size_t c = 0; c < audioIns_.size(); ++c)
    {
        std::copy_n(inputs[c], frames, audioBuffers_[audioIns_[c]].data());
    }
    ResetAtomPorts();
    lilv_instance_run(instance_, frames);
    for (std::size_t c = 0; c < audioOuts_.size(); ++c)
    {
        std::copy_n(audioBuffers_[audioOuts_[c]].data(), frames, outputs[c]);
    }
}

const void* Instance::GetPortValue(const char* symbol, void* userData, uint32_t* size,
                                   uint32_t* type)
{
    auto* self = static_cast<Instance*>(userData);
    for (const PortInfo& info : self->ports_)
    {
        if (info.symbol == symbol && info.kind == PortKind::ControlIn)
        {
            *size = sizeof(float);
            *type = self->world_.Urids().Map(LV2_ATOM__Float);
            return &self->controls_[info.index];
        }
    }
    *size = 0;
    *type = 0;
    return nullptr;
}

void Instance::SetPortValue(const char* symbol, void* userData, const void* value, uint32_t size,
                            uint32_t type)
{
    auto* self = static_cast<Instance*>(userData);
    UridTable& urids = self->world_.Urids();
    float v = 0.0f;
    if (type == urids.Map(LV2_ATOM__Float) && size == sizeof(float))
    {
        std::memcpy(&v, value, sizeof v);
    }
    else if (type == urids.Map(LV2_ATOM__Double) && size == sizeof(double))
    {
        double d = 0.0;
        std::memcpy(&d, value, sizeof d);
        v = static_cast<float>(d);
    }
    else if (type == urids.Map(LV2_ATOM__Int) && size == sizeof(int32_t))
    {
        int32_t n = 0;
        std::memcpy(&n, value, sizeof n);
        v = static_cast<float>(n);
    }
    else
    {
        return;
    }
    for (const PortInfo& info : self->ports_)
    {
        if (info.symbol == symbol && info.kind == PortKind::ControlIn)
        {
            self->controls_[info.index] = v;
        }
    }
}

std::string Instance::SaveState(const std::string& stateUri)
{
    UridTable& urids = world_.Urids();
    LilvState* state = lilv_state_new_from_instance(
        plugin_, instance_, urids.MapFeature(), nullptr, nullptr, nullptr, nullptr,
        &Instance::GetPortValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features_.data());
    if (!state)
    {
        throw HostError("the plug-in's state could not be saved");
    }
    char* text = lilv_state_to_string(world_.Get(), urids.MapFeature(), urids.UnmapFeature(), state,
                                      stateUri.c_str(), nullptr);
    lilv_state_free(state);
    if (!text)
    {
        throw HostError("the state could not be written as text");
    }
    std::string result(text);
    lilv_free(text);
    return result;
}

void Instance::RestoreState(const std::string& turtle)
{
    LilvState* state =
        lilv_state_new_from_string(world_.Get(), world_.Urids().MapFeature(), turtle.c_str());
    if (!state)
    {
        throw HostError("the state text could not be read");
    }
    lilv_state_restore(state, instance_, &Instance::SetPortValue, this, 0, features_.data());
    lilv_state_free(state);
}

} // namespace lv2host
