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
struct ReplySpec {
    enum class Kind {
        Own,     // the device's own answer (the spec only adds a delay)
        Silent,  // no answer; the command is ignored
        Fixed,   // these bytes instead of the own answer; the command is ignored
        Garbage, // `length` random bytes instead; the command is ignored
    };
    Kind kind = Kind::Own;
    std::string bytes;
    std::size_t length = 0;
    std::optional<int> delay_ms;

    bool ReplacesAnswer() const { return kind != Kind::Own; }
};

struct Faults {
    bool silent = false; // hears nothing, answers nothing
    int delay_ms = 0;    // every answer leaves this late
    // By command name ("X", "W", "L", "GNM", "GDN", "SNM", "A", "E", "?").
    // refuse_selection and deny_login of the config land here as "W" and "L".
    std::map<std::string, ReplySpec, std::less<>> replies;
};

struct DeviceConfig {
    std::string ip; // dotted decimal; answers come from this address
    std::string mask = "255.255.255.0";
    std::string mac; // bytes, sent and matched exactly
    std::string port = "1001";
    std::string flags = "000";
    std::string dn = "0";
    std::string password = kDevicePassword;
    Faults faults;
};

// A host that is not a multiplexer (a till, a printer): it holds an address
// and answers ARP for it, the namespace's kernel answers its pings, and it
// speaks no protocol.
struct HostConfig {
    std::string ip;  // dotted decimal
    std::string mac; // an Ethernet address, "00:11:22:33:44:55"
};

struct DeviceState {
    DeviceConfig config; // ip and mask change with "A" and "SNM"
    bool selected = false;
    bool logged_in = false;
};

} // namespace muxsim
