// SPDX-License-Identifier: MIT
// The workstation's IPv4 interfaces a broadcast can leave through: up,
// broadcast-capable, with an IPv4 address, not loopback. Read afresh at
// every call, so a cable plugged in meanwhile is seen.
#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace net {

struct NetworkInterface {
    std::string Name;
    uint32_t Index = 0; // the kernel's interface index
    in_addr Address{};  // its first IPv4 address
};

struct InterfaceEnumeration {
    std::vector<NetworkInterface> Interfaces; // in the kernel's order, each once
    int32_t ErrorCode = 0;                    // WinSock number when the enumeration failed
};

InterfaceEnumeration UsableInterfaces();

// The index of the usable interface named `name` now, or 0 when there is no
// such interface or it is down (a USB adapter unplugged, a bridge re-made).
uint32_t UsableInterfaceIndex(const std::string& name);

// The name of the interface with that index, empty when there is none.
std::string InterfaceNameOf(uint32_t index);

// Whether an interface of that name exists at all, up or down.
bool InterfaceExists(const std::string& name);

} // namespace net
