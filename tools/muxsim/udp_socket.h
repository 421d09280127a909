// SPDX-License-Identifier: MIT
// A non-blocking IPv4 UDP socket that reports each datagram's destination
// address and sends from a chosen local address (IP_PKTINFO).
#pragma once

#include <netinet/in.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace muxsim {

struct SocketError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Datagram {
    std::string Payload;
    sockaddr_in Sender{};
    std::optional<unsigned> Destination; // network order, from IP_PKTINFO
    int InterfaceIndex = 0;              // where it arrived, from IP_PKTINFO
};

class UdpSocket {
public:
    // Binds 0.0.0.0:port (0: any port) with SO_REUSEADDR and SO_BROADCAST.
    // Throws SocketError "operation: number text".
    explicit UdpSocket(unsigned short port);
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    int Descriptor() const { return fd_; }
    // Whether IP_TRANSPARENT was granted: then any source address is allowed,
    // not only the namespace's local ones.
    bool Transparent() const { return transparent_; }

    // The next waiting datagram, or nothing when none waits. A receive error
    // other than "would block" is returned in `error` (errno) and skipped.
    std::optional<Datagram> Receive(int& error);

    // Sends from `source` (network order) to `target`, out through
    // `interface_index` (0: as the routes say); 0 or the errno.
    int SendFrom(unsigned source, const sockaddr_in& target, std::string_view payload, int interfaceIndex = 0);

private:
    int fd_ = -1;
    bool transparent_ = false;
    std::string buffer_;
};

std::string FormatEndpoint(const sockaddr_in& address);

} // namespace muxsim
