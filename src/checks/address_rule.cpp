// SPDX-License-Identifier: MIT
#include "checks/address_rule.h"

namespace checks {

bool IsAcceptableDeviceAddressValue(uint32_t host)
{
    const unsigned a = host >> 24, b = (host >> 16) & 0xFF, c = (host >> 8) & 0xFF, d = host & 0xFF;

    if (host == 0 || host == 0xFFFFFFFFu)
        return false;
    if (a >= 224 || a == 127) // multicast, reserved, loopback
        return false;
    if (a < 128 && ((b == 0 && c == 0 && d == 0) || (b == 255 && c == 255 && d == 255)))
        return false;
    if (a >= 128 && ((c == 0 && d == 0) || (c == 255 && d == 255)))
        return false;
    if (a >= 192 && (d == 0 || d == 255))
        return false;
    return true;
}

} // namespace checks
