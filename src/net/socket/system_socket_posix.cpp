// SPDX-License-Identifier: MIT
#include "net/socket/system_socket.h"

#include "net/errors/socket_errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {

uint32_t ArrivalInterfaceOf(msghdr& message)
{
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_PKTINFO)
            continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(header), sizeof info);
        return static_cast<uint32_t>(info.ipi_ifindex);
    }
    return 0;
}

// A send whose outgoing interface is fixed by an IP_PKTINFO control
// message: a broadcast to 255.255.255.255 then leaves through that
// interface whatever the routing table says, from its own address.
ssize_t SendThrough(int handle, const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex)
{
    iovec part{const_cast<char*>(data.data()), data.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&to);
    message.msg_namelen = sizeof to;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    return ::sendmsg(handle, &message, MSG_NOSIGNAL);
}

} // namespace

int32_t LastSocketError() { return WinSockErrorFromErrno(errno); }

int OpenSocketHandle(bool datagram)
{
    return ::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
}

bool MakeNonBlocking(int handle)
{
    int flags = fcntl(handle, F_GETFL);
    return flags >= 0 && fcntl(handle, F_SETFL, flags | O_NONBLOCK) >= 0;
}

bool SetIntegerOption(int handle, int level, int name, int value)
{
    return setsockopt(handle, level, name, &value, sizeof value) == 0;
}

void CloseSocketHandle(int handle) { ::close(handle); }

int64_t ReceiveDatagram(int handle, char* buffer, std::size_t size, sockaddr_in& from, uint32_t& arrivalInterface,
                        bool& truncated)
{
    sockaddr_in sender{};
    iovec part{buffer, size};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t count;
    // recvmsg reports a datagram longer than the buffer in msg_flags; the
    // count it returns is then still what was copied.
    do {
        count = ::recvmsg(handle, &message, 0);
    } while (count < 0 && errno == EINTR);
    if (count >= 0) {
        from = sender;
        arrivalInterface = ArrivalInterfaceOf(message);
        truncated = (message.msg_flags & MSG_TRUNC) != 0;
    }
    return count;
}

int64_t SendDatagram(int handle, const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex)
{
    ssize_t sent;
    do {
        if (interfaceIndex != 0)
            sent = SendThrough(handle, to, data, interfaceIndex);
        else
            sent = ::sendto(handle, data.empty() ? nullptr : data.data(), data.size(), MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

bool LookUpServicePort(const std::string& name, const char* protocol, uint16_t& networkOrder)
{
    servent entry{};
    servent* found = nullptr;
    char buffer[4096];
    if (getservbyname_r(name.c_str(), protocol, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return false;
    networkOrder = static_cast<uint16_t>(found->s_port);
    return true;
}

} // namespace net
