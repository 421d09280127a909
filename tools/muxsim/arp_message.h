// SPDX-License-Identifier: MIT
// ARP requests and replies for Ethernet and IPv4 (RFC 826), as an AF_PACKET
// datagram socket carries them: from the ARP header on, without the Ethernet
// header. No sockets here.
#pragma once

#include "ethernet_address.h"

#include <optional>
#include <string>
#include <string_view>

namespace muxsim {

struct ArpRequest {
    EthernetAddress SenderHardware{};
    unsigned SenderAddress = 0; // network order; 0.0.0.0 in a probe (RFC 5227)
    unsigned TargetAddress = 0; // network order
};

// The request in `packet`, or nothing for a reply, another hardware or
// protocol type, or a short packet.
std::optional<ArpRequest> ParseArpRequest(std::string_view packet);

// The reply of `holder` to `request`: "TargetAddress is at holder", sent
// back to the requester (to 0.0.0.0 for a probe, as Linux answers one).
std::string ArpReply(const ArpRequest& request, const EthernetAddress& holder);

} // namespace muxsim
