// SPDX-License-Identifier: MIT
#include "cli/json_text.h"

#include <array>
#include <cstdio>

namespace cli {

std::string JsonText(const nlohmann::ordered_json& json, int indent)
{
    const std::string dumped = json.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string text;
    text.reserve(dumped.size() + 1);
    // C2 80 - C2 9F; outside strings JSON is ASCII, so every such pair is in one.
    for (std::size_t at = 0; at < dumped.size(); ++at) {
        const auto next = at + 1 < dumped.size() ? static_cast<unsigned char>(dumped[at + 1]) : 0u;
        if (static_cast<unsigned char>(dumped[at]) == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", next);
            text += escaped.data();
            ++at;
        } else {
            text += dumped[at];
        }
    }
    return text + '\n';
}

} // namespace cli
