// SPDX-License-Identifier: MIT
// The datagrams held in a UDP socket's send queue and receive buffer.
#pragma once

#include "net/buffers/doubly_linked_list.h"

#include <cstdint>
#include <netinet/in.h>
#include <string>

namespace net {

class TUDPSendBufferItem : public TDoublyLinkedString {
public:
    using TDoublyLinkedString::TDoublyLinkedString;
    sockaddr_in Address{}; // complete unless AwaitingLookup
    std::string Host;
    std::string Port; // number or service name
    bool AwaitingLookup = false;
    uint32_t InterfaceIndex = 0; // 0: wherever the routing table sends it
};

class TUDPReceiveBufferItem : public TDoublyLinkedString {
public:
    using TDoublyLinkedString::TDoublyLinkedString;
    sockaddr_in From{};
    uint32_t ArrivalInterface = 0; // index of the interface it came in on; 0 unknown
};

using TUDPSendBuffer = TDoublyLinkedList<TUDPSendBufferItem>;
using TUDPReceiveBuffer = TDoublyLinkedList<TUDPReceiveBufferItem>;

} // namespace net
