// SPDX-License-Identifier: MIT
// Windows build only: the adapters with their IPv4 addresses (GetAdaptersAddresses).
#pragma once

// winsock2.h first: iphlpapi.h needs it.
#include <winsock2.h>

#include <iphlpapi.h>

#include <string>
#include <vector>

namespace conflicts {

struct AdapterAddresses {
    std::string FriendlyName; // UTF-8, "Ethernet 2"
    bool Up = false;
    std::vector<in_addr> Addresses;
};

// Every adapter; false with `error` (a Win32 code) when they cannot be read.
bool ReadAdapters(std::vector<AdapterAddresses>& adapters, unsigned long& error);

} // namespace conflicts
