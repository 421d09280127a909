// SPDX-License-Identifier: MIT
#include "net/interfaces/interface_selection.h"

#include <algorithm>

namespace net {

InterfaceEnumeration InterfaceSelection::Current() const
{
    InterfaceEnumeration found = UsableInterfaces();
    if (Restricted())
        std::erase_if(found.Interfaces, [&](const NetworkInterface& usable) {
            return std::find(names_.begin(), names_.end(), usable.Name) == names_.end();
        });
    return found;
}

} // namespace net
