// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

namespace checks {

// Judges whether a parsed address (host order; checks/dotted_address.h reads
// the one accepted form) may be given to a multiplexer as its own address.
// The rule is classful: the subnet mask plays no part.
bool IsAcceptableDeviceAddressValue(uint32_t host);

} // namespace checks
