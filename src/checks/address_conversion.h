// SPDX-License-Identifier: MIT
// The conversion of an address text the device list sorts by and the main
// window shows a device's texts with: inet_addr's reading, so octal (0300),
// hexadecimal (0xC0) and short forms (10.1 is 10.0.0.1) convert too, as the
// address control reads them. Only for texts that came from a device: what
// the operator gives a device is read by checks/dotted_address.h alone.
#pragma once
#include <cstdint>
#include <string_view>

namespace checks {

// Host order; 0xFFFFFFFF (255.255.255.255) for a text that does not convert,
// as inet_addr cannot tell the two apart; a text holding a NUL does not.
uint32_t ConvertedAddress(std::string_view text);

} // namespace checks
