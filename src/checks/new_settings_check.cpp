// SPDX-License-Identifier: MIT
#include "checks/new_settings_check.h"

#include "checks/address_rule.h"
#include "checks/mask_rule.h"

namespace checks {

std::optional<std::string> RefusalOfNewSettings(const std::string& address, const std::string& mask)
{
    if (!IsAcceptableDeviceAddress(address))
        return std::string(kAddressRefused);
    if (!IsAcceptableSubnetMask(mask))
        return std::string(kMaskRefused);
    return std::nullopt;
}

} // namespace checks
