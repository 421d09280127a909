// SPDX-License-Identifier: MIT
#include "conflicts/address_conflicts.h"

#include "checks/mac_text.h"
#include "conflicts/workstation_addresses.h"

namespace conflicts {

namespace {

bool InRun(const std::vector<IntendedChange>& changes, const std::string& mac)
{
    for (const IntendedChange& change : changes)
        if (checks::SameMac(change.Mac, mac) && change.NewAddress != change.CurrentAddress)
            return true;
    return false;
}

} // namespace

std::vector<ConflictVerdict> JudgeConflicts(const std::vector<IntendedChange>& changes,
                                            const std::vector<ListedDevice>& listed, const ProbeSettings& settings)
{
    AddressProbes probes(settings);
    return JudgeConflicts(changes, listed, probes);
}

std::vector<ConflictVerdict> JudgeConflicts(const std::vector<IntendedChange>& changes,
                                            const std::vector<ListedDevice>& listed, AddressProbes& probes)
{
    std::vector<ConflictVerdict> verdicts(changes.size());
    std::vector<ProbeTarget> targets;
    std::vector<std::size_t> probed;
    for (std::size_t n = 0; n < changes.size(); ++n) {
        const IntendedChange& change = changes[n];
        ConflictVerdict& verdict = verdicts[n];
        if (change.NewAddress == change.CurrentAddress)
            continue; // its own address: re-applying it is no conflict
        for (const ListedDevice& other : listed) {
            if (other.Address != change.NewAddress || checks::SameMac(other.Mac, change.Mac))
                continue;
            verdict.Refused = true;
            verdict.HolderMac = other.Mac;
            verdict.Message = InRun(changes, other.Mac)
                ? "adres " + change.NewAddress + " ma teraz multiplekser " + other.Mac +
                    ", który też zmienia adres: zamiana adresów w jednym przebiegu jest niebezpieczna; "
                    "przejdź przez wolny adres w dwóch planach"
                : "adres " + change.NewAddress + " ma już multiplekser " + other.Mac;
            break;
        }
        if (verdict.Refused)
            continue;
        if (IsWorkstationAddress(change.NewAddress)) {
            verdict.Refused = true;
            verdict.Message = "adres " + change.NewAddress + " jest adresem tego komputera";
            continue;
        }
        targets.push_back({change.InterfaceName, change.NewAddress});
        probed.push_back(n);
    }
    probes.Start(targets);
    for (std::size_t k = 0; k < probed.size(); ++k) {
        ConflictVerdict& verdict = verdicts[probed[k]];
        const ProbeResult result = probes.Result(targets[k]);
        if (result.State == ProbeState::Taken) {
            verdict.Refused = true;
            verdict.HolderMac = result.Mac;
            verdict.Message = "adres " + targets[k].Address + " jest zajęty: odpowiada na niego " + result.Mac;
        } else if (result.State == ProbeState::NotChecked) {
            verdict.Checked = false;
            verdict.Message = "adresu nie sprawdzono: " + result.Reason;
        }
    }
    return verdicts;
}

} // namespace conflicts
