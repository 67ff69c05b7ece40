#pragma once

// The shape of the state documents the plug-in saves, for programs that take a state file a
// user names (--state). The plug-in itself takes any object (a host may hand it anything), but
// a file a user names is expected to be one it saved, so an empty object or a stray JSON file
// is refused instead of silently ignored.

#include "framework/BoundedJson.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// A state chunk as the plug-in saves and restores it: the document's byte count (int32, the
// machine's byte order) and the text. Hosts that only pass chunks along treat them as opaque;
// these are for programs that read or write state files.
inline std::vector<char> FrameStateDocument(const std::string& text)
{
    const auto count = static_cast<int32_t>(text.size());
    std::vector<char> chunk;
    chunk.reserve(sizeof count + text.size());
    for (std::size_t i = 0; i < sizeof count; ++i)
    {
        chunk.push_back(reinterpret_cast<const char*>(&count)[i]);
    }
    chunk.insert(chunk.end(), text.begin(), text.end());
    return chunk;
}

// The document a chunk holds; empty when it holds none. Never reads past the chunk.
inline std::string StateDocumentText(const std::vector<char>& chunk)
{
    int32_t count = 0;
    if (chunk.size() < sizeof count)
    {
        return {};
    }
    std::memcpy(&count, chunk.data(), sizeof count);
    if (count <= 0 || static_cast<size_t>(count) > chunk.size() - sizeof count)
    {
        return {};
    }
    return std::string(chunk.data() + sizeof count, static_cast<size_t>(count));
}

// An object whose "params" is a list of {"name": text, "value": number} entries and whose
// "eqcomp", when present, is a list of numbers; nested no deeper than any saved state.
inline bool LooksLikeStateDocument(std::string_view text)
{
    const nlohmann::json document = ParseBoundedJson(text);
    if (!document.is_object() || !document.contains("params") || !document["params"].is_array())
    {
        return false;
    }
    for (const nlohmann::json& entry : document["params"])
    {
        if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string() ||
            !entry.contains("value") || !entry["value"].is_number())
        {
            return false;
        }
    }
    if (document.contains("eqcomp"))
    {
        const nlohmann::json& curve = document["eqcomp"];
        if (!curve.is_array() ||
            !std::all_of(curve.begin(), curve.end(), [](const auto& v) { return v.is_number(); }))
        {
            return false;
        }
    }
    return true;
}

// Saved states are a few kilobytes; a state file far larger is not one (or a device that never
// ends, such as /dev/zero), and is refused after this many bytes.
inline constexpr std::size_t kMaxStateFileBytes = 1 << 20;
