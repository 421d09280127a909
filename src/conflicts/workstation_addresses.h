// SPDX-License-Identifier: MIT
// The workstation's own IPv4 addresses: a device must never be given one.
#pragma once

#include <string>
#include <vector>

namespace conflicts {

struct WorkstationAddressList {
    std::vector<std::string> Addresses; // dotted decimal, every interface (loopback too)
    std::string Error;                  // "number text" when they could not be read
};

// Read afresh at every call (getifaddrs).
WorkstationAddressList WorkstationAddresses();

// Whether `address` (dotted decimal) is one of them. False for a text that
// is no address, and when the addresses cannot be read (see
// WorkstationAddresses for the reason).
bool IsWorkstationAddress(const std::string& address);

} // namespace conflicts
