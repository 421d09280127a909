// SPDX-License-Identifier: MIT
#include "conflicts/workstation_addresses.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>

namespace conflicts {

WorkstationAddressList WorkstationAddresses()
{
    WorkstationAddressList list;
    ifaddrs* entries = nullptr;
    if (getifaddrs(&entries) != 0) {
        const int error = errno;
        list.Error = std::to_string(error) + " " + std::strerror(error);
        return list;
    }
    for (const ifaddrs* entry = entries; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text, sizeof text);
        if (std::find(list.Addresses.begin(), list.Addresses.end(), text) == list.Addresses.end())
            list.Addresses.emplace_back(text);
    }
    freeifaddrs(entries);
    return list;
}

} // namespace conflicts
