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
    if (!parsedAddress || !IsAcceptableDeviceAddressValue(parsedAddress->Value)) {
        judged.Refusal = kAddressRefused;
        return judged;
    }
    const std::optional<DottedAddress> parsedMask = ParseDottedAddress(mask);
    if (!parsedMask || !IsAcceptableSubnetMaskValue(parsedMask->Value)) {
        judged.Refusal = kMaskRefused;
        return judged;
    }
    const uint32_t hostBits = ~parsedMask->Value;
    if (hostBits > 1) {
        if ((parsedAddress->Value & hostBits) == 0)
            judged.Refusal = kNetworkAddressRefused;
        else if ((parsedAddress->Value & hostBits) == hostBits)
            judged.Refusal = kBroadcastAddressRefused;
        if (judged.Refusal)
            return judged;
    }
    judged.Address = parsedAddress->Text;
    judged.Mask = parsedMask->Text;
    judged.AddressValue = parsedAddress->Value;
    judged.MaskValue = parsedMask->Value;
    return judged;
}

std::optional<std::string> RefusalOfNewSettings(const std::string& address, const std::string& mask)
{
    return JudgeNewSettings(address, mask).Refusal;
}

} // namespace checks
