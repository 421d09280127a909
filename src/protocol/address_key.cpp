// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"

namespace protocol {

int32_t AddressKey(uint32_t address)
{
    const uint32_t key = (address & 0xFFu) << 24 | (address & 0xFF00u) << 8 | (address >> 8 & 0xFF00u) | address >> 24;
    return static_cast<int32_t>(key);
}

} // namespace protocol
