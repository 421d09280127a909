#include "app/interface_option.h"

#include "net/errors/socket_errors.h"

#include <algorithm>
#include <net/if.h>

namespace app {

InterfaceChoice ChooseInterfaces(const std::vector<std::string>& names)
{
    if (names.empty())
        return {net::InterfaceSelection{}, {}};
    const net::InterfaceEnumeration usable = net::UsableInterfaces();
    if (usable.ErrorCode != 0)
        return {std::nullopt, "cannot list the network interfaces: error " + std::to_string(usable.ErrorCode) + ": "
                                  + net::WinSockErrorText(usable.ErrorCode)};
    for (const std::string& name : names) {
        const bool found = std::any_of(usable.Interfaces.begin(), usable.Interfaces.end(),
                                       [&](const net::NetworkInterface& known) { return known.Name == name; });
        if (found)
            continue;
        if (if_nametoindex(name.c_str()) == 0)
            return {std::nullopt, "no network interface named \"" + name + "\""};
        return {std::nullopt, "network interface \"" + name
                                  + "\" cannot be used: it is down, has no IPv4 address, cannot broadcast or is "
                                    "the loopback"};
    }
    return {net::InterfaceSelection{names}, {}};
}

} // namespace app
