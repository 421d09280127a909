// SPDX-License-Identifier: MIT
#include "namespace_guard.h"

#include <cstdlib>
#include <sys/stat.h>

namespace muxsim {

std::optional<std::string> HostNamespaceRefusal()
{
    struct stat ours {};
    struct stat init {};
    if (stat("/proc/self/ns/net", &ours) != 0)
        return "cannot tell which network namespace this is (/proc/self/ns/net)";
    if (stat("/proc/1/ns/net", &init) == 0) {
        if (ours.st_ino == init.st_ino && ours.st_dev == init.st_dev)
            return "this is the host's network namespace; run muxsim under scripts/netlab "
                   "(or unshare --net)";
        return std::nullopt;
    }
    // Without the right to look at process 1 (an unprivileged user namespace)
    // only the private LAN's own marker tells.
    if (std::getenv("MUXLAN_PID"))
        return std::nullopt;
    return "cannot confirm a private network namespace; run muxsim under scripts/netlab";
}

} // namespace muxsim
