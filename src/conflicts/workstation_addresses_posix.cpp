// SPDX-License-Identifier: MIT
#include "conflicts/workstation_addresses.h"

#include "checks/dotted_address.h"

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
        const in_addr address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        const std::string text = checks::DottedText(ntohl(address.s_addr));
        if (std::find(list.Addresses.begin(), list.Addresses.end(), text) == list.Addresses.end())
            list.Addresses.emplace_back(text);
    }
    freeifaddrs(entries);
    return list;
}

} // namespace conflicts
