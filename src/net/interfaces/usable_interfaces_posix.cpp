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

std::string InterfaceNameOf(uint32_t index)
{
    char name[IF_NAMESIZE] = {};
    return if_indextoname(index, name) ? name : "";
}

bool InterfaceExists(const std::string& name) { return if_nametoindex(name.c_str()) != 0; }

} // namespace net
