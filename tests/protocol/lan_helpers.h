// SPDX-License-Identifier: MIT
// Shared pieces of the protocol tests that run against the simulator.
#pragma once
#include "muxsim_process.h"
#include "protocol_harness.h"

#include <chrono>
#include <string>
#include <vector>

namespace lan {

using Clock = std::chrono::steady_clock;

inline long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A full discovery cycle as the main window runs it; returns what
// ReadAllDevices returned.
inline bool RunDiscoveryCycle(ProtocolHarness& h)
{
    h.protocol.StartDiscovery();
    const bool allRead = h.protocol.ReadAllDevices();
    h.protocol.ListDevices();
    return allRead;
}

inline std::vector<std::string> Captions(const RecordingListView& list)
{
    std::vector<std::string> out;
    for (const auto& row : list.rows)
        out.push_back(row.caption);
    return out;
}

// Time (ms since the simulator started) at which it received each datagram
// with exactly these bytes.
inline std::vector<double> ReceiveTimes(const MuxSimProcess& sim, const std::string& payload)
{
    std::vector<double> out;
    for (const auto& entry : sim.ReceivedWithPayload(payload))
        out.push_back(entry.at("t").get<double>());
    return out;
}

inline std::string Login() { return std::string("L") + protocol::kDevicePassword; }

} // namespace lan
