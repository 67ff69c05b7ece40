// The state document: every parameter by name with its value, the custom compensation curve
// and the version, as compact JSON framed by an int32 byte count.

#include "plugin/VantorKestrune.h"

#include "framework/BoundedJson.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace
{

using nlohmann::json;

// A document whose shape cannot be read; caught with the JSON library's own errors.
class StateDocumentError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A custom curve must give bands 0 to 29; band 30 (20 kHz) is optional, so documents that
// stop at band 29 restore too, and band 30 keeps its value then.
constexpr int kRequiredCurveValues = 30;

std::string VersionText(int version)
{
    return std::to_string(VersionMajor(version)) + "." + std::to_string(VersionMinor(version)) +
           "." + std::to_string(VersionRevision(version));
}

// The library's type error for a member read as a number.
double NumberOf(const json& value)
{
    return value.get<double>();
}

const json& MemberOrNull(const json& object, const char* key)
{
    static const json null;
    if (!object.is_object())
    {
        return null;
    }
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

// A state document framed as an int32 byte count and the text; nothing when the bytes hold
// none. Never reads past `size`.
std::optional<nlohmann::json> ParseFramedDocument(const char* bytes, int size)
{
    int32_t count = 0;
    if (size < static_cast<int>(sizeof count))
    {
        return std::nullopt;
    }
    std::memcpy(&count, bytes, sizeof count);
    const int available = size - static_cast<int>(sizeof count);
    if (count <= 0 || count > available)
    {
        return std::nullopt;
    }
    const char* text = bytes + sizeof count;
    nlohmann::json document = ParseBoundedJson(std::string_view(text, static_cast<size_t>(count)));
    if (document.is_discarded())
    {
        return std::nullopt;
    }
    return document;
}

// Two state documents hold the same state: the same structure, texts and flags, and numbers that
// agree as the framework compares parameter values (rounded to float, within 1e-5). A restore
// passes values through the host's normalised range, which may move them by a rounding step.
bool SameState(const nlohmann::json& a, const nlohmann::json& b)
{
    constexpr double kTolerance = 1e-5;
    if (a.is_number() && b.is_number())
    {
        const auto x = static_cast<float>(a.get<double>());
        const auto y = static_cast<float>(b.get<double>());
        return std::fabs(static_cast<double>(x) - static_cast<double>(y)) < kTolerance;
    }
    if (a.type() != b.type() || a.size() != b.size())
    {
        return false;
    }
    if (a.is_array())
    {
        return std::equal(a.begin(), a.end(), b.begin(), SameState);
    }
    if (a.is_object())
    {
        for (auto item = a.begin(); item != a.end(); ++item)
        {
            const auto other = b.find(item.key());
            if (other == b.end() || !SameState(item.value(), *other))
            {
                return false;
            }
        }
        return true;
    }
    return a == b;
}

} // namespace

// A saved state document matches the current one when it holds the same state (SameState):
// what the host restores passes through the normalised range and may come back a rounding step
// away. Anything else is compared as the framework compares it.
bool VantorKestrune::HoldsCurrentState(const char* bytes, int size)
{
    StateChunk current;
    if (bytes == nullptr || size < 0 || !SerializeState(current))
    {
        return false;
    }
    const auto stored = ParseFramedDocument(bytes, size);
    const auto now =
        ParseFramedDocument(reinterpret_cast<const char*>(current.Data()), current.Size());
    if (stored && now)
    {
        return SameState(*stored, *now);
    }
    return IPlugBase::HoldsCurrentState(bytes, size);
}

// True when the chunk at position holds a parameter chunk as SerializeParams writes it (the
// parameter count, then one value per parameter, each inside its parameter's range), or no
// count at all: only then is the chunk read as parameter values. A text whose length happens
// to equal the parameter count is thus never taken for values.
bool VantorKestrune::HoldsParameterChunk(const StateChunk& chunk, int position) const
{
    std::int32_t count = 0;
    if (position < 0 || chunk.Get(&count, position) < 0)
    {
        return true;
    }
    if (count != ParameterCount())
    {
        return false;
    }
    int next = position + static_cast<int>(sizeof count);
    for (int i = 0; i < ParameterCount(); ++i)
    {
        double value = 0.0;
        next = chunk.Get(&value, next);
        if (next < 0 || !(value >= Param(i)->Min() && value <= Param(i)->Max()))
        {
            return false;
        }
    }
    return true;
}

// Under the plug-in lock. Appends the framed document; true when the chunk is not empty.
bool VantorKestrune::SerializeState(StateChunk& chunk)
{
    const auto lock = LockPlugin();
    json params = json::array();
    for (int i = 0; i < ParameterCount(); ++i)
    {
        const IPlugParameter& param = *Param(i);
        params.push_back(json{{"name", param.Name()}, {"value", param.Value()}});
    }
    json curve = json::array();
    for (double gainDb : engine.customCurve)
    {
        curve.push_back(gainDb);
    }
    const json document{{"eqcomp", curve}, {"params", params}, {"version", VersionText(Version())}};
    chunk.PutStr(document.dump());
    return chunk.Size() > 0;
}

// Under the plug-in lock. Returns the position after the document. A text that is not a
// readable document falls back, on an instance that has not read a document yet, to the
// parameter chunk; the parameters and the engine agree afterwards in every case.
int VantorKestrune::DeserializeState(const StateChunk& chunk, int position)
{
    const auto lock = LockPlugin();
    std::string text;
    const int end = position < 0 ? -1 : chunk.GetStr(text, position);
    bool parametersChanged = false;
    bool parametersAnnounced = false;
    try
    {
        ApplyStateDocument(end < 0 ? std::string() : text, parametersChanged, parametersAnnounced);
        stateLoaded = true;
        return end;
    }
    catch (const json::exception&)
    {
    }
    catch (const StateDocumentError&)
    {
    }
    if (!stateLoaded && HoldsParameterChunk(chunk, position))
    {
        UnserializeParams(chunk, position);
        return position;
    }
    // Values the document already stored must reach the engine as well.
    if (parametersChanged && !parametersAnnounced)
    {
        AnnounceRestoredParameters();
    }
    return stateLoaded ? end : position;
}

void VantorKestrune::ApplyStateDocument(const std::string& text, bool& parametersChanged,
                                        bool& parametersAnnounced)
{
    const json document = ParseBoundedJson(text);
    if (document.is_discarded())
    {
        throw StateDocumentError("not one JSON value, or nested too deeply");
    }
    if (!document.is_object() && !document.is_null())
    {
        throw StateDocumentError("state document is not an object");
    }
    const json& params = MemberOrNull(document, "params");
    const bool emptyObject = params.is_object() && params.empty();
    if (!params.is_null() && !params.is_array() && !emptyObject)
    {
        throw StateDocumentError("\"params\" is not an array");
    }
    // Both operands are references: the entries are walked in place, never copied (a copy
    // of a foreign tree recurses as deep as the tree nests).
    static const json noEntries = json::array();
    const json& entries = params.is_array() ? params : noEntries;
    for (const json& entry : entries)
    {
        if (!entry.is_object() && !entry.is_null())
        {
            throw StateDocumentError("a \"params\" entry is not an object");
        }
        const json& name = MemberOrNull(entry, "name");
        for (int i = 0; i < ParameterCount(); ++i)
        {
            if (name.is_string() && name.get_ref<const std::string&>() == Param(i)->Name())
            {
                Param(i)->SetClamped(NumberOf(MemberOrNull(entry, "value")));
                parametersChanged = true;
            }
        }
    }
    AnnounceRestoredParameters();
    parametersAnnounced = true;
    if (CustomCompensationSelected())
    {
        ApplyStoredCurve(document);
    }
}

// The band gains are announced with the stored amount already in force, so the rescaling by
// "Eq Amount" leaves them as stored.
void VantorKestrune::AnnounceRestoredParameters()
{
    engine.SetEqAmount(Param(kParamEqAmount)->Value() / 100.0, false);
    for (int i = 0; i < ParameterCount(); ++i)
    {
        OnParameterChanged(i, ParameterChangeSource::Restore);
    }
}

void VantorKestrune::ApplyStoredCurve(const json& document)
{
    const json& curve = MemberOrNull(document, "eqcomp");
    if (!curve.is_null() && !curve.is_array())
    {
        throw StateDocumentError("\"eqcomp\" is not an array");
    }
    static const json missing;
    const int stored = curve.is_array() ? static_cast<int>(curve.size()) : 0;
    for (int band = 0; band < kBandCount; ++band)
    {
        if (band >= kRequiredCurveValues && band >= stored)
        {
            break;
        }
        // The faders draw the curve, so its values lie in the band gain's range. A stored value
        // beyond it (a damaged or foreign document) is limited to that range: a far larger one
        // drives the Auto EQ's gains past what the band shelves can compute.
        const IPlugParameter& gain = *Param(BandGainParam(band));
        const double gainDb =
            std::clamp(NumberOf(band < stored ? curve[static_cast<std::size_t>(band)] : missing),
                       gain.Min(), gain.Max());
        engine.SetCustomCurveValue(band, gainDb);
        FeedbackCompensationMarker(band, gainDb);
    }
}
