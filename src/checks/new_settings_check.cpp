// SPDX-License-Identifier: MIT
#include "checks/new_settings_check.h"

#include "checks/address_rule.h"
#include "checks/dotted_address.h"
#include "checks/mask_rule.h"

namespace checks {

JudgedSettings JudgeNewSettings(std::string_view address, std::string_view mask)
{
    JudgedSettings judged;
    const std::optional<DottedAddress> parsedAddress = ParseDottedAddress(address);
    if (!parsedAddress || !IsAcceptableDeviceAddressValue(parsedAddress->value)) {
        judged.refusal = kAddressRefused;
        return judged;
    }
    const std::optional<DottedAddress> parsedMask = ParseDottedAddress(mask);
    if (!parsedMask || !IsAcceptableSubnetMaskValue(parsedMask->value)) {
        judged.refusal = kMaskRefused;
        return judged;
    }
    const uint32_t hostBits = ~parsedMask->value;
    if (hostBits > 1) {
        if ((parsedAddress->value & hostBits) == 0)
            judged.refusal = kNetworkAddressRefused;
        else if ((parsedAddress->value & hostBits) == hostBits)
            judged.refusal = kBroadcastAddressRefused;
        if (judged.refusal)
            return judged;
    }
    judged.address = parsedAddress->text;
    judged.mask = parsedMask->text;
    judged.addressValue = parsedAddress->value;
    judged.maskValue = parsedMask->value;
    return judged;
}

std::optional<std::string> RefusalOfNewSettings(const std::string& address, const std::string& mask)
{
    return JudgeNewSettings(address, mask).refusal;
}

} // namespace checks
