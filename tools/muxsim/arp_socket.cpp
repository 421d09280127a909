// SPDX-License-Identifier: MIT
#include "arp_socket.h"

#include "byte_text.h"
#include "udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace muxsim {

ArpSocket::ArpSocket()
{
    fd_ = socket(AF_PACKET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, htons(ETH_P_ARP));
    if (fd_ < 0)
        throw SocketError("socket AF_PACKET: " + ErrnoText(errno));
}

ArpSocket::~ArpSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

std::optional<ArpFrame> ArpSocket::Receive(int& error)
{
    error = 0;
    for (;;) {
        char buffer[1500];
        sockaddr_ll from{};
        socklen_t fromLength = sizeof from;
        const ssize_t length = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (length < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                error = errno;
            return std::nullopt;
        }
        if (from.sll_pkttype == PACKET_OUTGOING)
            continue;
        return ArpFrame{std::string(buffer, static_cast<std::size_t>(length)), from.sll_ifindex};
    }
}

int ArpSocket::Send(int interfaceIndex, const EthernetAddress& destination, std::string_view packet)
{
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_protocol = htons(ETH_P_ARP);
    to.sll_ifindex = interfaceIndex;
    to.sll_halen = static_cast<unsigned char>(destination.size());
    std::memcpy(to.sll_addr, destination.data(), destination.size());
    if (sendto(fd_, packet.data(), packet.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0)
        return errno;
    return 0;
}

} // namespace muxsim
