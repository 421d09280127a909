// SPDX-License-Identifier: MIT
// The adapters that are up with an IPv4 address, by the friendly name a
// Windows user sees ("Ethernet 2") and their IPv4 interface index.
#include "net/interfaces/usable_interfaces.h"

// winsock2.h first: the others need it, and windows.h would bring the old winsock.h.
#include <winsock2.h>

#include <iphlpapi.h>
#include <netioapi.h>
#include <ws2tcpip.h>

#include <string>
#include <vector>

namespace net {

namespace {

std::string Utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? static_cast<std::size_t>(length - 1) : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

} // namespace

InterfaceEnumeration UsableInterfaces()
{
    InterfaceEnumeration result;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
    }
    if (rc != NO_ERROR) {
        result.ErrorCode = static_cast<int32_t>(rc);
        return result;
    }
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
            adapter->IfIndex == 0)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            if (unicast->Address.lpSockaddr->sa_family != AF_INET)
                continue;
            result.Interfaces.push_back({Utf8(adapter->FriendlyName), adapter->IfIndex,
                                         reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr)->sin_addr});
            break;
        }
    }
    return result;
}

std::string InterfaceNameOf(uint32_t index)
{
    NET_LUID luid{};
    wchar_t alias[IF_MAX_STRING_SIZE + 1] = {};
    if (ConvertInterfaceIndexToLuid(index, &luid) != NO_ERROR ||
        ConvertInterfaceLuidToAlias(&luid, alias, IF_MAX_STRING_SIZE + 1) != NO_ERROR)
        return {};
    return Utf8(alias);
}

// The alias of an interface is its friendly name.
bool InterfaceExists(const std::string& name)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide.data(), length);
    NET_LUID luid{};
    return ConvertInterfaceAliasToLuid(wide.c_str(), &luid) == NO_ERROR;
}

} // namespace net
