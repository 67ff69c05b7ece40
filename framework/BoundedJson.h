#pragma once

// JSON from untrusted state (host chunks, preset files, --state documents). The library's
// parser does not recurse, but copying or walking a parsed tree does: nesting deeper than any
// saved state has is refused while parsing, before a tree is built, so no later step can
// exhaust the stack (a few thousand levels overflow a 256 kB host thread).

#include <nlohmann/json.hpp>

#include <string_view>

// A saved state nests three levels (document, "params", entry); this leaves room for foreign
// documents with a few wrappers.
inline constexpr int kMaxStateJsonDepth = 32;

// The strictly parsed value of `text`, or a discarded value (is_discarded()) when the text is
// not one JSON value or nests deeper than kMaxStateJsonDepth. Never throws.
inline nlohmann::json ParseBoundedJson(std::string_view text) noexcept
{
    struct TooDeep
    {
    };
    try
    {
        return nlohmann::json::parse(
            text.begin(), text.end(),
            [](int depth, nlohmann::json::parse_event_t, nlohmann::json&)
            {
                if (depth > kMaxStateJsonDepth)
                {
                    throw TooDeep{};
                }
                return true;
            },
            false);
    }
    catch (...)
    {
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
}
