// SPDX-License-Identifier: MIT
#include "checks/interface_choice.h"

#include "net/errors/socket_errors.h"

#include <algorithm>

namespace checks {

InterfaceChoice ChooseInterfaces(const std::vector<std::string>& names)
{
    if (names.empty())
        return {net::InterfaceSelection{}, {}};
    const net::InterfaceEnumeration usable = net::UsableInterfaces();
    if (usable.ErrorCode != 0)
        return {std::nullopt,
                "nie można odczytać listy interfejsów sieciowych: błąd " + std::to_string(usable.ErrorCode) + ": " +
                    net::WinSockErrorText(usable.ErrorCode)};
    for (const std::string& name : names) {
        const bool found = std::any_of(usable.Interfaces.begin(), usable.Interfaces.end(),
                                       [&](const net::NetworkInterface& known) { return known.Name == name; });
        if (found)
            continue;
        if (!net::InterfaceExists(name))
            return {std::nullopt, "nie ma interfejsu sieciowego o nazwie \"" + name + "\""};
        return {std::nullopt,
                "interfejsu sieciowego \"" + name +
                    "\" nie można użyć: jest wyłączony, nie ma adresu IPv4, nie rozgłasza albo "
                    "jest pętlą zwrotną"};
    }
    return {net::InterfaceSelection{names}, {}};
}

} // namespace checks
