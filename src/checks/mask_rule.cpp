// SPDX-License-Identifier: MIT
#include "checks/mask_rule.h"

namespace checks {

bool IsAcceptableSubnetMaskValue(uint32_t mask)
{
    if (mask == 0 || mask == 0xFFFFFFFFu)
        return false;
    const uint32_t hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0; // ones, then zeros
}

} // namespace checks
