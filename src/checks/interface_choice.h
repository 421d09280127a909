// SPDX-License-Identifier: MIT
// The --interface option of the window and the command line: the
// interfaces the operator named, checked against the workstation's usable
// ones.
#pragma once

#include "net/interfaces/interface_selection.h"

#include <optional>
#include <string>
#include <vector>

namespace checks {

struct InterfaceChoice {
    std::optional<net::InterfaceSelection> Selection; // set when every name is usable
    std::string Error;                                // why not, for stderr
};

// No names: every usable interface. Otherwise each name must be an interface
// that is up, broadcast-capable, IPv4 and not loopback.
InterfaceChoice ChooseInterfaces(const std::vector<std::string>& names);

} // namespace checks
