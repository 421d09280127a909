// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

namespace protocol {

// Sort key of a dotted address o1.o2.o3.o4: the signed 32-bit value whose
// bytes, from the most significant, are o4, o3, o2, o1. A text that does not
// convert counts as 255.255.255.255.
int32_t AddressKey(const std::string& address);

} // namespace protocol
