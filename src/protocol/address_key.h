// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

namespace protocol {

// Sort key of an address o1.o2.o3.o4 (a host-order value, as
// checks::ConvertedAddress gives a device's text): the signed 32-bit value
// whose bytes, from the most significant, are o4, o3, o2, o1.
int32_t AddressKey(uint32_t address);

} // namespace protocol
