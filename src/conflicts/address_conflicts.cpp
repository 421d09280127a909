// SPDX-License-Identifier: MIT
#include "conflicts/address_conflicts.h"

#include "conflicts/workstation_addresses.h"

namespace conflicts {

namespace {

bool InRun(const std::vector<IntendedChange>& changes, const std::string& mac,
           bool (*sameMac)(const std::string&, const std::string&))
{
    for (const IntendedChange& change : changes)
        if (sameMac(change.mac, mac) && change.newAddress != change.currentAddress)
            return true;
    return false;
}

} // namespace

std::vector<ConflictVerdict> JudgeConflicts(const std::vector<IntendedChange>& changes,
                                            const std::vector<ListedDevice>& listed,
                                            bool (*sameMac)(const std::string&, const std::string&),
                                            const ProbeSettings& settings)
{
    std::vector<ConflictVerdict> verdicts(changes.size());
    std::vector<ProbeTarget> targets;
    std::vector<std::size_t> probed;
    for (std::size_t n = 0; n < changes.size(); ++n) {
        const IntendedChange& change = changes[n];
        ConflictVerdict& verdict = verdicts[n];
        if (change.newAddress == change.currentAddress)
            continue; // its own address: re-applying it is no conflict
        for (const ListedDevice& other : listed) {
            if (other.address != change.newAddress || sameMac(other.mac, change.mac))
                continue;
            verdict.refused = true;
            verdict.holderMac = other.mac;
            verdict.message = InRun(changes, other.mac, sameMac)
                ? "adres " + change.newAddress + " ma teraz multiplekser " + other.mac +
                    ", który też zmienia adres: zamiana adresów w jednym przebiegu jest niebezpieczna; "
                    "przejdź przez wolny adres w dwóch planach"
                : "adres " + change.newAddress + " ma już multiplekser " + other.mac;
            break;
        }
        if (verdict.refused)
            continue;
        if (IsWorkstationAddress(change.newAddress)) {
            verdict.refused = true;
            verdict.message = "adres " + change.newAddress + " jest adresem tego komputera";
            continue;
        }
        targets.push_back({change.interfaceName, change.newAddress});
        probed.push_back(n);
    }
    if (targets.empty())
        return verdicts;
    const std::vector<ProbeResult> results = ProbeAddresses(targets, settings);
    for (std::size_t k = 0; k < probed.size() && k < results.size(); ++k) {
        ConflictVerdict& verdict = verdicts[probed[k]];
        const ProbeResult& result = results[k];
        if (result.state == ProbeResult::State::Taken) {
            verdict.refused = true;
            verdict.holderMac = result.mac;
            verdict.message = "adres " + targets[k].address + " jest zajęty: odpowiada na niego " + result.mac;
        } else if (result.state == ProbeResult::State::NotChecked) {
            verdict.checked = false;
            verdict.message = "adresu nie sprawdzono: " + result.reason;
        }
    }
    return verdicts;
}

} // namespace conflicts
