// SPDX-License-Identifier: MIT
#pragma once
#include "conflicts/address_probe.h"

#include <string>
#include <vector>

namespace conflicts {

// A device that answered the last discovery (texts as it sent them), read or not.
struct ListedDevice {
    std::string Mac;
    std::string Address;
};

// One change about to be made: a device and its new address.
struct IntendedChange {
    std::string Mac;
    std::string InterfaceName; // where the device answered; empty: not known
    std::string CurrentAddress;
    std::string NewAddress; // canonical
};

struct ConflictVerdict {
    bool Refused = false;  // the address is in use: nothing may be sent
    bool Checked = true;   // false: the probe could not run (the change may go on)
    std::string Message;   // Polish: why refused, or why not checked
    std::string HolderMac; // refused: who holds the address
};

// Judges every change at once, before anything is sent: the new address
// must not be another listed device's (a swap or chain within one run is
// refused too), nor the workstation's own, nor answered for by any host on
// the device's segment (all probes at once). A device's own current address
// is never a conflict. MACs are compared by value, in any spelling.
std::vector<ConflictVerdict> JudgeConflicts(const std::vector<IntendedChange>& changes,
                                            const std::vector<ListedDevice>& listed,
                                            const ProbeSettings& settings = {});
// With probes that may have started before: those of `probes` are taken as
// they are, those it lacks are started.
std::vector<ConflictVerdict> JudgeConflicts(const std::vector<IntendedChange>& changes,
                                            const std::vector<ListedDevice>& listed, AddressProbes& probes);

} // namespace conflicts
