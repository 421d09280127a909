// SPDX-License-Identifier: MIT
#include "conflicts/workstation_addresses.h"

#include "checks/dotted_address.h"

#include <algorithm>

namespace conflicts {

bool IsWorkstationAddress(const std::string& address)
{
    const std::optional<checks::DottedAddress> parsed = checks::ParseDottedAddress(address);
    if (!parsed)
        return false;
    const auto own = WorkstationAddresses().Addresses;
    return std::find(own.begin(), own.end(), parsed->Text) != own.end();
}

} // namespace conflicts
