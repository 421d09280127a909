// SPDX-License-Identifier: MIT
#include "net/interfaces/usable_interfaces.h"

namespace net {

uint32_t UsableInterfaceIndex(const std::string& name)
{
    for (const NetworkInterface& known : UsableInterfaces().Interfaces)
        if (known.Name == name)
            return known.Index;
    return 0;
}

} // namespace net
