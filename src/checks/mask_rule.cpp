// SPDX-License-Identifier: MIT
#include "checks/mask_rule.h"

#include <cstdint>
#include <optional>

namespace {

// The four numbers of a strictly dotted-decimal text: digits only, one to
// three per part, each at most 255.
std::optional<uint32_t> DottedDecimal(const std::string& text)
{
    uint32_t value = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return std::nullopt;
            ++at;
        }
        unsigned number = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3; ++at, ++digits)
            number = number * 10 + unsigned(text[at] - '0');
        if (digits == 0 || number > 255)
            return std::nullopt;
        value = (value << 8) | number;
    }
    if (at != text.size())
        return std::nullopt;
    return value;
}

} // namespace

bool IsAcceptableSubnetMask(const std::string& text)
{
    const std::optional<uint32_t> mask = DottedDecimal(text);
    if (!mask || *mask == 0 || *mask == 0xFFFFFFFFu)
        return false;
    const uint32_t hostBits = ~*mask;
    return (hostBits & (hostBits + 1)) == 0; // ones, then zeros
}
