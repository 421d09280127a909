// SPDX-License-Identifier: MIT
#include "conflicts/address_probe.h"

#include <algorithm>

namespace conflicts {

std::vector<ProbeResult> ProbeAddresses(const std::vector<ProbeTarget>& targets, const ProbeSettings& settings)
{
    AddressProbes probes(settings);
    probes.Start(targets);
    std::vector<ProbeResult> results;
    for (const ProbeTarget& target : targets)
        results.push_back(probes.Result(target));
    return results;
}

std::size_t CountNotChecked(const std::vector<ProbeResult>& results)
{
    return std::size_t(std::count_if(results.begin(), results.end(),
                                     [](const ProbeResult& result) { return result.State == ProbeState::NotChecked; }));
}

} // namespace conflicts
