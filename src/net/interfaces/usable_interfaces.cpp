// SPDX-License-Identifier: MIT
#include "net/interfaces/usable_interfaces.h"

#include "net/errors/socket_errors.h"

#include <algorithm>
#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>

namespace net {

namespace {

bool Usable(const ifaddrs& entry)
{
    const unsigned required = IFF_UP | IFF_BROADCAST;
    return entry.ifa_addr && entry.ifa_addr->sa_family == AF_INET && (entry.ifa_flags & required) == required &&
        !(entry.ifa_flags & IFF_LOOPBACK);
}

} // namespace

InterfaceEnumeration UsableInterfaces()
{
    InterfaceEnumeration result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        result.ErrorCode = WinSockErrorFromErrno(errno);
        return result;
    }
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!Usable(*entry))
            continue;
        const uint32_t index = if_nametoindex(entry->ifa_name);
        const bool seen = std::any_of(result.Interfaces.begin(), result.Interfaces.end(),
                                      [&](const NetworkInterface& known) { return known.Index == index; });
        // An interface that vanished between the two calls has index 0.
        if (index == 0 || seen)
            continue;
        result.Interfaces.push_back(
            {entry->ifa_name, index, reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr});
    }
    freeifaddrs(list);
    return result;
}

uint32_t UsableInterfaceIndex(const std::string& name)
{
    for (const NetworkInterface& known : UsableInterfaces().Interfaces)
        if (known.Name == name)
            return known.Index;
    return 0;
}

} // namespace net
