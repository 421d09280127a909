// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

// Judges whether a text may be given to a multiplexer as its subnet mask:
// four decimal numbers 0..255 joined by dots, whose bits are a run of ones
// followed by a run of zeros. 0.0.0.0 and 255.255.255.255 are no masks.
bool IsAcceptableSubnetMask(const std::string& text);

// The same rule on a parsed host-order value.
bool IsAcceptableSubnetMaskValue(uint32_t mask);
