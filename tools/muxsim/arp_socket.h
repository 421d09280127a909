// SPDX-License-Identifier: MIT
// A non-blocking packet socket that hears the ARP requests arriving on every
// interface of the namespace and sends replies out through one of them.
// Needs CAP_NET_RAW in the namespace (root in it, as under scripts/netlab).
#pragma once

#include "ethernet_address.h"

#include <optional>
#include <string>
#include <string_view>

namespace muxsim {

struct ArpFrame {
    std::string Packet; // from the ARP header on
    int InterfaceIndex = 0;
};

class ArpSocket {
public:
    // Throws SocketError "operation: number text".
    ArpSocket();
    ~ArpSocket();
    ArpSocket(const ArpSocket&) = delete;
    ArpSocket& operator=(const ArpSocket&) = delete;

    int Descriptor() const { return fd_; }

    // The next ARP packet that arrived (this host's own outgoing ones are
    // skipped), or nothing when none waits; a receive error lands in `error`.
    std::optional<ArpFrame> Receive(int& error);

    // Sends `packet` in an ARP frame to `destination` through the interface;
    // 0 or the errno.
    int Send(int interfaceIndex, const EthernetAddress& destination, std::string_view packet);

private:
    int fd_ = -1;
};

} // namespace muxsim
