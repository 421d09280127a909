// SPDX-License-Identifier: MIT
// Host and port texts turned into numbers: dotted addresses, blocking host
// name lookups and service names. Results carry WinSock error numbers.
#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace net {

using TInAddrArray = std::vector<in_addr>;

inline constexpr uint8_t kProtocolTcp = 0;
inline constexpr uint8_t kProtocolUdp = 1;

// True when the text is a dotted IPv4 address (leading blanks allowed,
// exactly three dots). On false the address is all ones.
bool IsIPAddress(const std::string& text, in_addr& address);

struct HostResolution {
    int32_t ErrorCode = 0;  // WinSock number, 0 = found
    TInAddrArray Addresses; // in the resolver's order, duplicates removed
};
// A blocking lookup of a host name (no dotted-address shortcut).
HostResolution LookupHostName(const std::string& name);

struct ResolvedHost {
    int32_t ErrorCode = 0;
    in_addr Address{}; // all ones when nothing was found
};
// A dotted address as is, else the first address of a blocking lookup.
ResolvedHost ResolveHost(const std::string& text);

struct ResolvedPort {
    int32_t ErrorCode = 0;
    uint16_t Port = 0; // host byte order
};
// Empty text is port 0; digits are the number (its low 16 bits); anything
// else is a service name looked up for "udp" or "tcp".
ResolvedPort ResolvePort(const std::string& text, uint8_t protocol);

} // namespace net
