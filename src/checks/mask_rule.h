// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

namespace checks {

// Judges whether a parsed value (host order) may be given to a multiplexer as
// its subnet mask: a run of ones followed by a run of zeros. 0.0.0.0 and
// 255.255.255.255 are no masks.
bool IsAcceptableSubnetMaskValue(uint32_t mask);

} // namespace checks
