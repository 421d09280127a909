// SPDX-License-Identifier: MIT
// The probe on Windows: SendARP from the interface's own address, one
// worker per address so all take about one probe's time. Windows sends an
// ARP request with its own sender address (no RFC 5227 probe from 0.0.0.0).
#include "conflicts/adapter_addresses_windows.h"
#include "conflicts/address_probe.h"
#include "conflicts/probe_texts.h"

#include "checks/dotted_address.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>
#include <map>
#include <optional>
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

struct Adapters {
    std::vector<AdapterAddresses> List;
    unsigned long Error = 0;
    bool Read = false;
};

Adapters ReadAll()
{
    Adapters adapters;
    adapters.Read = ReadAdapters(adapters.List, adapters.Error);
    return adapters;
}

} // namespace

class AddressProbes::Run {
public:
    explicit Run(std::function<bool()> stopped) : stopped_(std::move(stopped)) {}

    void Add(const ProbeTarget& target, const Adapters& adapters)
    {
        const auto [known, added] = probes_.try_emplace({target.InterfaceName, target.Address});
        if (!added)
            return;
        Probe& probe = known->second;
        const std::optional<checks::DottedAddress> parsed = checks::ParseDottedAddress(target.Address);
        if (!parsed) {
            probe.Result = NotChecked(texts::BadAddress(target.Address));
            return;
        }
        if (!adapters.Read) {
            probe.Result = NotChecked(texts::InterfacesUnreadable(std::to_string(adapters.Error)));
            return;
        }
        const auto adapter = std::find_if(adapters.List.begin(), adapters.List.end(), [&](const AdapterAddresses& a) {
            return a.FriendlyName == target.InterfaceName;
        });
        if (adapter == adapters.List.end())
            probe.Result = NotChecked(texts::NoSuchInterface(target.InterfaceName));
        else if (!adapter->Up || adapter->Addresses.empty())
            probe.Result = NotChecked(texts::InterfaceDown(target.InterfaceName));
        else {
            in_addr address{};
            address.s_addr = htonl(parsed->Value);
            probe.Asked = std::async(std::launch::async, Ask, address, adapter->Addresses.front());
        }
    }

    // Waits for the worker with the event loop running, as the window needs.
    ProbeResult Result(const ProbeTarget& target)
    {
        if (!probes_.contains({target.InterfaceName, target.Address}))
            Add(target, ReadAll());
        Probe& probe = probes_.at({target.InterfaceName, target.Address});
        if (!probe.Result) {
            while (probe.Asked.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready && !Stopped())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            probe.Result = Stopped() ? NotChecked(texts::Stopped()) : probe.Asked.get();
        }
        return *probe.Result;
    }

private:
    struct Probe {
        std::future<ProbeResult> Asked;
        std::optional<ProbeResult> Result;
    };
    bool Stopped() const { return stopped_ && stopped_(); }

    std::function<bool()> stopped_;
    std::map<std::pair<std::string, std::string>, Probe> probes_; // by interface and address
};

AddressProbes::AddressProbes(ProbeSettings settings) : run_(std::make_unique<Run>(std::move(settings.Stopped))) {}

// SendARP cannot be stopped: a worker still asking is waited for (about
// three seconds at most), also after a stop.
AddressProbes::~AddressProbes() = default;

void AddressProbes::Start(const std::vector<ProbeTarget>& targets)
{
    const Adapters adapters = ReadAll();
    for (const ProbeTarget& target : targets)
        run_->Add(target, adapters);
}

void AddressProbes::StartEverywhere(const std::string& address)
{
    const Adapters adapters = ReadAll();
    for (const AdapterAddresses& adapter : adapters.List)
        if (adapter.Up && !adapter.Addresses.empty())
            run_->Add({adapter.FriendlyName, address}, adapters);
}

ProbeResult AddressProbes::Result(const ProbeTarget& target) { return run_->Result(target); }

} // namespace conflicts
