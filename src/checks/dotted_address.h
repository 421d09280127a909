// SPDX-License-Identifier: MIT
// The one form of an IPv4 address or mask text this program accepts: four
// decimal numbers 0..255 of one to three digits, joined by dots, nothing
// else. A leading zero is read as decimal (192.168.001.050 is 192.168.1.50),
// never as octal. From the parsed value on, only the canonical text is used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace checks {

struct DottedAddress {
    uint32_t Value = 0; // host order: 192.168.1.50 is 0xC0A80132
    std::string Text;   // canonical: no leading zeros
};

// Nothing for any other text: hexadecimal, fewer or more parts, an empty
// part, a part over 255, a sign, blanks or any other character, a NUL.
std::optional<DottedAddress> ParseDottedAddress(std::string_view text);

// The canonical text of a host-order value.
std::string DottedText(uint32_t value);

} // namespace checks
