// SPDX-License-Identifier: MIT
// Asks the segment whether anyone holds an address before a device is given
// it: an ARP probe as RFC 5227 defines it (sender address 0.0.0.0, so it
// works for addresses outside the workstation's own subnets), sent by
// iputils' `arping -D`, one process per address, all at once when the
// process's file descriptor limit lets them run side by side.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace conflicts {

struct ProbeTarget {
    std::string InterfaceName; // the interface the device answered on, e.g. "eth0"
    std::string Address;       // dotted decimal, e.g. "192.168.1.30"
};

enum class ProbeState {
    Free,       // no one answered the probes
    Taken,      // a host answered; `Mac` says which
    NotChecked, // the probe could not run; `Reason` says why
};

struct ProbeResult {
    ProbeState State = ProbeState::NotChecked;
    std::string Mac;    // Taken: the Ethernet address that answered, "00:11:22:33:44:55"
    std::string Reason; // NotChecked: a plain Polish reason, to follow "adresu nie sprawdzono: "
};

struct ProbeSettings {
    std::string Program = "arping"; // looked up in PATH unless it holds a '/'
    int Probes = 2;                 // probes sent, one a second (arping -c)
    int DeadlineSeconds = 2;        // arping gives up after this (arping -w)
    // A probe still running this long after its own start is stopped and
    // its address not checked.
    std::chrono::milliseconds Limit{5000};
    // Looked at while the probes are awaited: once it holds, the running
    // ones are stopped and no more start (the operator asked the run to end).
    std::function<bool()> Stopped;
};

// Probes every target and returns one result per target, in order. The
// probes run side by side, so all take about one probe's time
// (settings.DeadlineSeconds) whatever their number, as long as the file
// descriptor limit (RLIMIT_NOFILE) has room for them all; otherwise as many
// run at a time as it has room for (an arping process holds four), the next
// starting as soon as one ends. While it waits it runs the Qt event loop
// (passes of processEvents), so a window keeps painting; the caller disables
// whatever must not be clicked meanwhile. Needs a QCoreApplication. Never
// throws and prints nothing for a probe that cannot run: that target is
// NotChecked with the reason, a lack of descriptors named as such.
std::vector<ProbeResult> ProbeAddresses(const std::vector<ProbeTarget>& targets, const ProbeSettings& settings = {});

// Probes started now whose results are asked for later, so they run while
// something else waits (a discovery): each result waits for its own probe
// only, running the event loop as ProbeAddresses does. A target asked twice
// is probed once. Probes still running at the end are stopped.
class AddressProbes {
public:
    explicit AddressProbes(ProbeSettings settings = {});
    ~AddressProbes();
    AddressProbes(const AddressProbes&) = delete;
    AddressProbes& operator=(const AddressProbes&) = delete;

    void Start(const std::vector<ProbeTarget>& targets);
    // `address` on every interface a broadcast can leave through (up,
    // running, with an IPv4 address, not loopback): for a device whose
    // interface is not known yet.
    void StartEverywhere(const std::string& address);
    // Starts `target` when it was not started.
    ProbeResult Result(const ProbeTarget& target);

private:
    class Run;
    std::unique_ptr<Run> run_;
};

// How many of `results` are NotChecked: addresses nobody has vouched for.
std::size_t CountNotChecked(const std::vector<ProbeResult>& results);

} // namespace conflicts
