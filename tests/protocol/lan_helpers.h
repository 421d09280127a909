// SPDX-License-Identifier: MIT
// Shared pieces of the protocol tests that run against the simulator.
#pragma once
#include "muxsim_process.h"
#include "protocol_harness.h"

#include "protocol/protocol_constants.h"

#include <chrono>
#include <string>
#include <vector>

namespace lan {

using Clock = std::chrono::steady_clock;

inline long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

inline std::vector<std::string> Addresses(const protocol::DiscoveryResult& found)
{
    std::vector<std::string> out;
    for (const protocol::DeviceRow& row : found.Rows)
        out.push_back(row.Address);
    return out;
}

// A device the last discovery did not list, as the command line names one.
inline protocol::DeviceRow Unlisted(const std::string& address, const std::string& mac)
{
    protocol::DeviceRow device;
    device.Address = address;
    device.Mac = mac;
    return device;
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
