// SPDX-License-Identifier: MIT
// The interfaces the program may use: every usable one, or only those the
// operator named. A value owned by main and handed to the device protocol.
#pragma once

#include "net/interfaces/usable_interfaces.h"

#include <string>
#include <utility>
#include <vector>

namespace net {

class InterfaceSelection {
public:
    InterfaceSelection() = default; // every usable interface
    explicit InterfaceSelection(std::vector<std::string> names) : names_(std::move(names)) {}

    bool Restricted() const { return !names_.empty(); }
    const std::vector<std::string>& Names() const { return names_; }

    // The selected interfaces that are usable now, enumerated afresh.
    InterfaceEnumeration Current() const;

private:
    std::vector<std::string> names_;
};

} // namespace net
