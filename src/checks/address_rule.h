// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

// Judges whether a dotted IPv4 text may be given to a multiplexer as its own
// address. The text must be in the one accepted form (checks/dotted_address.h:
// four decimal numbers, leading zeros decimal); the rule itself is classful:
// the subnet mask plays no part.
bool IsAcceptableDeviceAddress(const std::string& text);

// The same classful rule on a parsed host-order value.
bool IsAcceptableDeviceAddressValue(uint32_t host);
