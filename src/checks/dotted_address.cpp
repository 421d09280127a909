// SPDX-License-Identifier: MIT
#include "checks/dotted_address.h"

namespace checks {

std::optional<DottedAddress> ParseDottedAddress(std::string_view text)
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
    return DottedAddress{value, DottedText(value)};
}

std::string DottedText(uint32_t value)
{
    return std::to_string(value >> 24) + '.' + std::to_string((value >> 16) & 0xFF) + '.' +
        std::to_string((value >> 8) & 0xFF) + '.' + std::to_string(value & 0xFF);
}

} // namespace checks
