// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>

namespace net {
class AUDPSocket;
}

namespace protocol {

enum class Intake {
    Nothing,  // no datagram was waiting
    Dropped,  // longer than the socket's packet size: never a reply
    Datagram, // text and sender filled in
};

// Takes one datagram from the command socket, with its sender as dotted text
// and the index of the interface it arrived on. A datagram cut short by the
// packet size is dropped: its text is not what was sent, and any host could
// send one.
Intake TakeDatagram(net::AUDPSocket& socket, std::string& text, std::string& sender, uint32_t& arrivalInterface);

} // namespace protocol
