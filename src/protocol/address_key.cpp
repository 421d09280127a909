// SPDX-License-Identifier: MIT
#include "protocol/address_key.h"

#include <arpa/inet.h>

namespace protocol {

int32_t AddressKey(const std::string& address)
{
    const in_addr_t networkOrder = inet_addr(address.c_str());
    const auto* octet = reinterpret_cast<const unsigned char*>(&networkOrder);
    const uint32_t key = static_cast<uint32_t>(octet[3]) << 24 | static_cast<uint32_t>(octet[2]) << 16 |
        static_cast<uint32_t>(octet[1]) << 8 | static_cast<uint32_t>(octet[0]);
    return static_cast<int32_t>(key);
}

} // namespace protocol
