// SPDX-License-Identifier: MIT
#include "net/socket/system_socket.h"

// winsock2.h first: mswsock.h needs it.
#include <winsock2.h>

#include <mswsock.h>
#include <ws2tcpip.h>

#include <cstring>

namespace net {

namespace {

// WinSock is started once for the program's life.
struct WinSockStart {
    WinSockStart()
    {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinSockStart() { WSACleanup(); }
};
const WinSockStart kWinSockStart;

// WSARecvMsg is an extension function, looked up through a socket.
LPFN_WSARECVMSG ReceiveMessageFunction(SOCKET handle)
{
    static LPFN_WSARECVMSG function = nullptr;
    if (!function) {
        GUID id = WSAID_WSARECVMSG;
        DWORD length = 0;
        WSAIoctl(handle, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &length,
                 nullptr, nullptr);
    }
    return function;
}

SOCKET Socket(int handle) { return static_cast<SOCKET>(static_cast<intptr_t>(handle)); }

} // namespace

int32_t LastSocketError() { return WSAGetLastError(); }

int OpenSocketHandle(bool datagram)
{
    SOCKET handle = WSASocketW(AF_INET, datagram ? SOCK_DGRAM : SOCK_STREAM, datagram ? IPPROTO_UDP : IPPROTO_TCP,
                               nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    return handle == INVALID_SOCKET ? -1 : static_cast<int>(handle);
}

bool MakeNonBlocking(int handle)
{
    u_long on = 1;
    return ioctlsocket(Socket(handle), FIONBIO, &on) == 0;
}

bool SetIntegerOption(int handle, int level, int name, int value)
{
    return setsockopt(Socket(handle), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

void CloseSocketHandle(int handle) { closesocket(Socket(handle)); }

int64_t ReceiveDatagram(int handle, char* buffer, std::size_t size, sockaddr_in& from, uint32_t& arrivalInterface,
                        bool& truncated)
{
    LPFN_WSARECVMSG receive = ReceiveMessageFunction(Socket(handle));
    if (!receive) {
        WSASetLastError(WSAEOPNOTSUPP);
        return -1;
    }
    sockaddr_in sender{};
    WSABUF part{static_cast<ULONG>(size), buffer};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&sender);
    message.namelen = sizeof sender;
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    message.Control = WSABUF{sizeof control, control};
    DWORD count = 0;
    // A datagram longer than the buffer fails with WSAEMSGSIZE after the
    // buffer was filled, and sets MSG_TRUNC.
    if (receive(Socket(handle), &message, &count, nullptr, nullptr) != 0) {
        if (WSAGetLastError() != WSAEMSGSIZE)
            return -1;
        message.dwFlags |= MSG_TRUNC;
        count = static_cast<DWORD>(size);
    }
    from = sender;
    arrivalInterface = 0;
    for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header; header = WSA_CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_PKTINFO)
            continue;
        IN_PKTINFO info{};
        std::memcpy(&info, WSA_CMSG_DATA(header), sizeof info);
        arrivalInterface = info.ipi_ifindex;
    }
    truncated = (message.dwFlags & MSG_TRUNC) != 0;
    return count;
}

int64_t SendDatagram(int handle, const sockaddr_in& to, const std::string& data, uint32_t interfaceIndex)
{
    WSABUF part{static_cast<ULONG>(data.size()), const_cast<char*>(data.data())};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(const_cast<sockaddr_in*>(&to));
    message.namelen = sizeof to;
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    if (interfaceIndex != 0) {
        message.Control = WSABUF{sizeof control, control};
        WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
        IN_PKTINFO info{};
        info.ipi_ifindex = interfaceIndex;
        std::memcpy(WSA_CMSG_DATA(header), &info, sizeof info);
    }
    DWORD sent = 0;
    if (WSASendMsg(Socket(handle), &message, 0, &sent, nullptr, nullptr) != 0)
        return -1;
    return sent;
}

// getservbyname's answer lives in the calling thread's own storage.
bool LookUpServicePort(const std::string& name, const char* protocol, uint16_t& networkOrder)
{
    const servent* found = getservbyname(name.c_str(), protocol);
    if (!found)
        return false;
    networkOrder = static_cast<uint16_t>(found->s_port);
    return true;
}

} // namespace net
