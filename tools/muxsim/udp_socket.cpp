// SPDX-License-Identifier: MIT
#include "udp_socket.h"

#include "byte_text.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace muxsim {
namespace {

constexpr std::size_t kLargestDatagram = 65535;

[[noreturn]] void Throw(const std::string& operation, int error)
{
    throw SocketError(operation + ": " + ErrnoText(error));
}

} // namespace

UdpSocket::UdpSocket(unsigned short port) : buffer_(kLargestDatagram + 1, '\0')
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        Throw("socket", errno);
    const int on = 1;
    auto set = [&](int level, int option, const char* name) {
        if (setsockopt(fd_, level, option, &on, sizeof on) != 0) {
            const int error = errno;
            close(fd_);
            Throw(std::string("setsockopt ") + name, error);
        }
    };
    set(SOL_SOCKET, SO_REUSEADDR, "SO_REUSEADDR");
    set(SOL_SOCKET, SO_BROADCAST, "SO_BROADCAST");
    set(IPPROTO_IP, IP_PKTINFO, "IP_PKTINFO");
    // Needs CAP_NET_ADMIN in the namespace; without it only local addresses
    // can be used as sources, which is all the simulated LAN needs.
    transparent_ = setsockopt(fd_, IPPROTO_IP, IP_TRANSPARENT, &on, sizeof on) == 0;

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        close(fd_);
        Throw("bind 0.0.0.0:" + std::to_string(port), error);
    }
}

UdpSocket::~UdpSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

std::optional<Datagram> UdpSocket::Receive(int& error)
{
    error = 0;
    Datagram datagram;
    iovec data{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &datagram.Sender;
    message.msg_namelen = sizeof datagram.Sender;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t length = recvmsg(fd_, &message, 0);
    if (length < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            error = errno;
        return std::nullopt;
    }
    datagram.Payload.assign(buffer_.data(), static_cast<std::size_t>(length));
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.Destination = info.ipi_addr.s_addr;
            datagram.InterfaceIndex = info.ipi_ifindex;
        }
    }
    return datagram;
}

int UdpSocket::SendFrom(unsigned source, const sockaddr_in& target, std::string_view payload, int interfaceIndex)
{
    iovec data{const_cast<char*>(payload.data()), payload.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&target);
    message.msg_namelen = sizeof target;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = interfaceIndex;
    info.ipi_spec_dst.s_addr = source;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    if (sendmsg(fd_, &message, MSG_NOSIGNAL) < 0)
        return errno;
    return 0;
}

std::string FormatEndpoint(const sockaddr_in& address)
{
    return FormatIPv4(address.sin_addr.s_addr) + ":" + std::to_string(ntohs(address.sin_port));
}

} // namespace muxsim
