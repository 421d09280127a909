// SPDX-License-Identifier: MIT
#include "net/lookups/name_resolution.h"

#include "net/errors/socket_errors.h"
#include "net/socket/system_socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <sys/socket.h>

namespace net {

bool IsIPAddress(const std::string& text, in_addr& address)
{
    address.s_addr = INADDR_NONE;
    if (text.empty())
        return false;
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    int dots = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.')
            ++dots;
        else if (c != ' ' && (c < '0' || c > '9'))
            return false;
    }
    if (dots != 3)
        return false;
    in_addr_t value = inet_addr(text.c_str() + start);
    if (value == INADDR_NONE)
        return text == "255.255.255.255";
    address.s_addr = value;
    return true;
}

HostResolution LookupHostName(const std::string& name)
{
    HostResolution result;
    // The resolver reads a C string: a name with a NUL in it would be looked
    // up as its part before the NUL.
    if (name.find('\0') != std::string::npos) {
        result.ErrorCode = kWsaHostNotFound;
        return result;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        result.ErrorCode = WinSockErrorFromAddrInfo(rc, errno);
        return result;
    }
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET || !ai->ai_addr)
            continue;
        in_addr a = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr;
        bool seen = std::any_of(result.Addresses.begin(), result.Addresses.end(),
                                [&](const in_addr& b) { return b.s_addr == a.s_addr; });
        if (!seen)
            result.Addresses.push_back(a);
    }
    freeaddrinfo(list);
    if (result.Addresses.empty())
        result.ErrorCode = kWsaNoData;
    return result;
}

ResolvedHost ResolveHost(const std::string& text)
{
    ResolvedHost result;
    if (IsIPAddress(text, result.Address))
        return result;
    HostResolution found = LookupHostName(text);
    result.ErrorCode = found.ErrorCode;
    result.Address.s_addr = found.Addresses.empty() ? INADDR_NONE : found.Addresses.front().s_addr;
    return result;
}

ResolvedPort ResolvePort(const std::string& text, uint8_t protocol)
{
    ResolvedPort result;
    if (text.empty())
        return result;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        uint32_t value = 0;
        for (char c : text)
            value = (value * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFF;
        result.Port = static_cast<uint16_t>(value);
        return result;
    }
    // A NUL would cut the name short for the lookup: no service has one.
    if (text.find('\0') != std::string::npos) {
        result.ErrorCode = kWsaNoData;
        return result;
    }
    uint16_t networkOrder = 0;
    if (!LookUpServicePort(text, protocol == kProtocolUdp ? "udp" : "tcp", networkOrder)) {
        // WinSock answers an unknown service with "valid name, no data".
        result.ErrorCode = kWsaNoData;
        return result;
    }
    result.Port = ntohs(networkOrder);
    return result;
}

} // namespace net
