// SPDX-License-Identifier: MIT
#include "conflicts/workstation_addresses.h"

#include <algorithm>
#include <arpa/inet.h>

namespace conflicts {

bool IsWorkstationAddress(const std::string& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1)
        return false;
    char canonical[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &parsed, canonical, sizeof canonical);
    const auto own = WorkstationAddresses().Addresses;
    return std::find(own.begin(), own.end(), canonical) != own.end();
}

} // namespace conflicts
