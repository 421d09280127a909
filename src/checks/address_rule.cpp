// SPDX-License-Identifier: MIT
#include "checks/address_rule.h"

#include <arpa/inet.h>
#include <cstdint>

bool IsAcceptableDeviceAddress(const std::string& text)
{
    // inet_addr stops at an embedded NUL; such a text is not an address.
    if (text.find('\0') != std::string::npos)
        return false;
    const in_addr_t converted = inet_addr(text.c_str());
    if (converted == INADDR_NONE) // conversion failed, or 255.255.255.255
        return false;
    const uint32_t host = ntohl(converted);
    const unsigned a = host >> 24, b = (host >> 16) & 0xFF, c = (host >> 8) & 0xFF, d = host & 0xFF;

    if (host == 0)
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
