// SPDX-License-Identifier: MIT
#include "checks/mask_rule.h"

#include "checks/dotted_address.h"

bool IsAcceptableSubnetMask(const std::string& text)
{
    const std::optional<checks::DottedAddress> mask = checks::ParseDottedAddress(text);
    return mask && IsAcceptableSubnetMaskValue(mask->Value);
}

bool IsAcceptableSubnetMaskValue(uint32_t mask)
{
    if (mask == 0 || mask == 0xFFFFFFFFu)
        return false;
    const uint32_t hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0; // ones, then zeros
}
