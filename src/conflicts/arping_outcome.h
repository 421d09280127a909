// SPDX-License-Identifier: MIT
// What one run of `arping -D` said about its address, from its exit status
// and output (iputils 20221126, LC_ALL=C). No processes here.
#pragma once

#include "conflicts/address_probe.h"

#include <string>

namespace conflicts {

// exitStatus: 0 no reply (the address is free), 1 a reply, 2 an error.
ProbeResult ArpingOutcome(const std::string& address, int exitStatus, const std::string& output,
                          const std::string& errors);

} // namespace conflicts
