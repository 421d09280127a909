// SPDX-License-Identifier: MIT
// Keeps the simulator off the host's own network: it sends datagrams to
// private-range addresses and must only ever run in a private namespace.
#pragma once

#include <optional>
#include <string>

namespace muxsim {

// Why sending must not start here, or nothing when this is a private
// network namespace (scripts/netlab or unshare --net).
std::optional<std::string> HostNamespaceRefusal();

} // namespace muxsim
