// SPDX-License-Identifier: MIT
// The probe on Windows: SendARP from the interface's own address, one
// worker per address so all take about one probe's time. Windows sends an
// ARP request with its own sender address (no RFC 5227 probe from 0.0.0.0).
#include "conflicts/adapter_addresses_windows.h"
#include "conflicts/address_probe.h"
#include "conflicts/probe_texts.h"

#include <cstdio>
#include <future>
#include <ws2tcpip.h>

namespace conflicts {

namespace {

ProbeResult NotChecked(std::string reason) { return {ProbeState::NotChecked, {}, std::move(reason)}; }

ProbeResult Ask(in_addr target, in_addr source)
{
    ULONG mac[2] = {};
    ULONG length = 6;
    const DWORD rc = SendARP(target.s_addr, source.s_addr, mac, &length);
    if (rc == NO_ERROR && length == 6) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(mac);
        char text[18] = {};
        std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", bytes[0], bytes[1], bytes[2], bytes[3],
                      bytes[4], bytes[5]);
        return {ProbeState::Taken, text, {}};
    }
    // No answer to the requests: ERROR_BAD_NET_NAME (67) on Windows 10.
    if (rc == ERROR_BAD_NET_NAME)
        return {ProbeState::Free, {}, {}};
    return NotChecked(texts::ProgramFailed("SendARP: błąd " + std::to_string(rc)));
}

} // namespace

std::vector<ProbeResult> ProbeAddresses(const std::vector<ProbeTarget>& targets, const ProbeSettings&)
{
    std::vector<ProbeResult> results(targets.size());
    std::vector<AdapterAddresses> adapters;
    unsigned long error = 0;
    const bool read = ReadAdapters(adapters, error);
    std::vector<std::future<ProbeResult>> asked(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        in_addr target{};
        if (inet_pton(AF_INET, targets[i].Address.c_str(), &target) != 1) {
            results[i] = NotChecked(texts::BadAddress(targets[i].Address));
            continue;
        }
        if (!read) {
            results[i] = NotChecked(texts::InterfacesUnreadable(std::to_string(error)));
            continue;
        }
        const AdapterAddresses* adapter = nullptr;
        for (const AdapterAddresses& known : adapters)
            if (known.FriendlyName == targets[i].InterfaceName)
                adapter = &known;
        if (!adapter)
            results[i] = NotChecked(texts::NoSuchInterface(targets[i].InterfaceName));
        else if (!adapter->Up || adapter->Addresses.empty())
            results[i] = NotChecked(texts::InterfaceDown(targets[i].InterfaceName));
        else
            asked[i] = std::async(std::launch::async, Ask, target, adapter->Addresses.front());
    }
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (asked[i].valid())
            results[i] = asked[i].get();
    return results;
}

} // namespace conflicts
