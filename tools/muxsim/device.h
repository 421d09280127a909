// SPDX-License-Identifier: MIT
// One simulated multiplexer: what the config says about it and the state it
// keeps while the simulator runs.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace muxsim {

inline constexpr const char* kDevicePassword = "QOVUT";

// What a device sends in answer to one command, when a fault says so.
enum class ReplyKind {
    Own,     // the device's own answer (the ReplySpec only adds a delay)
    Silent,  // no answer; the command is ignored
    Fixed,   // these bytes instead of the own answer; the command is ignored
    Garbage, // `Length` random bytes instead; the command is ignored
};

struct ReplySpec {
    ReplyKind Kind = ReplyKind::Own;
    std::string Bytes;
    std::size_t Length = 0;
    std::optional<int> DelayMs;

    bool ReplacesAnswer() const { return Kind != ReplyKind::Own; }
};

struct Faults {
    bool Silent = false; // hears nothing, answers nothing
    int DelayMs = 0;     // every answer leaves this late
    // By command name ("X", "W", "L", "GNM", "GDN", "SNM", "A", "E", "?").
    // refuse_selection and deny_login of the config land here as "W" and "L".
    std::map<std::string, ReplySpec, std::less<>> Replies;
};

struct DeviceConfig {
    std::string IP; // dotted decimal; answers come from this address
    std::string Mask = "255.255.255.0";
    // Bytes, sent and matched exactly: hex (00:0E:C6:4A:10:01), decimal as
    // the modules send it (0.14.198.74.16.1, 000.014.198.074.016.001) or any
    // text; see EthernetAddressOf for the hardware address behind it.
    std::string Mac;
    std::string Port = "1001";
    std::string Flags = "000";
    std::string DN = "0";
    std::string Password = kDevicePassword;
    // After an "E" that closes a change (a login, then an accepted "A" or
    // "SNM") the device restarts: it hears nothing for this long. 0: never.
    int RestartMs = 0;
    // Every answer goes to 255.255.255.255 at the workstation's port instead
    // of to the sender.
    bool ReplyToBroadcast = false;
    muxsim::Faults Faults;
};

// A host that is not a multiplexer (a till, a printer): it holds an address
// and answers ARP for it, the namespace's kernel answers its pings, and it
// speaks no protocol.
struct HostConfig {
    std::string IP;  // dotted decimal
    std::string Mac; // an Ethernet address, "00:11:22:33:44:55"
};

struct DeviceState {
    DeviceConfig Config; // IP and Mask change with "A" and "SNM"
    bool Selected = false;
    bool LoggedIn = false;
    bool Changed = false;    // this session changed a setting; its "E" restarts
    bool Restarting = false; // hears nothing, answers nothing, not even ARP
};

} // namespace muxsim
