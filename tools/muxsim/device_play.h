// SPDX-License-Identifier: MIT
// The device side of the protocol for any number of devices: each datagram
// goes to every device that hears it, and each decides on its own whether it
// is addressed, what it answers and how its state changes. No sockets here:
// the caller sends the planned replies.
#pragma once

#include "command.h"
#include "device.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace muxsim {

struct PlannedReply {
    std::size_t Device = 0;
    std::string From; // the device's address when it answered (dotted decimal)
    std::string Payload;
    int DelayMs = 0;
    bool ToBroadcast = false; // to 255.255.255.255 at the workstation's port, not to the sender
};

struct StateChange {
    std::size_t Device = 0;
    std::string Field; // "address", "mask", "selected", "logged_in", "restarting"
    std::string OldValue;
    std::string NewValue;
};

struct Outcome {
    CommandKind Command = CommandKind::Empty;
    std::vector<std::size_t> Takers; // devices that found themselves addressed
    std::vector<PlannedReply> Replies;
    std::vector<StateChange> Changes;
    std::vector<std::size_t> Restarts; // devices that went down to restart
};

class DevicePlay {
public:
    DevicePlay(std::vector<DeviceConfig> devices, std::uint64_t seed);

    // `destination` is the datagram's destination address (network order) when
    // known: a device hears 255.255.255.255, its own address and its subnet's
    // broadcast address.
    Outcome Take(std::string_view payload, std::optional<unsigned> destination);

    // The restart of a device in Outcome::Restarts is over: it hears again.
    StateChange EndRestart(std::size_t index);

    const std::vector<DeviceState>& Devices() const { return devices_; }

private:
    bool Hears(const DeviceState& device, std::optional<unsigned> destination) const;
    void Act(std::size_t index, const Command& command, Outcome& outcome);
    void Answer(std::size_t index, std::string text, const ReplySpec* spec, Outcome& outcome);
    void SetSelected(std::size_t index, bool selected, Outcome& outcome);
    void SetLoggedIn(std::size_t index, bool loggedIn, Outcome& outcome);
    std::string Garbage(std::size_t length);

    std::vector<DeviceState> devices_;
    std::mt19937_64 random_;
};

} // namespace muxsim
