// SPDX-License-Identifier: MIT
// The multiplexer's command parser: what a device makes of one datagram.
#pragma once

#include <string_view>

namespace muxsim {

enum class CommandKind {
    Empty,    // a datagram without payload: nobody answers it
    Discover, // "X"
    Select,   // "W" + MAC
    Login,    // "L" + password
    GetMask,  // "GNM"
    GetDn,    // "GDN"
    SetMask,  // "SNM" + mask
    Assign,   // "A" + MAC + "/" + password + "/" + address
    End,      // "E"
    Unknown,  // anything else: the selected device refuses it with "C"
};

struct Command {
    CommandKind Kind = CommandKind::Empty;
    std::string_view Argument; // the text after the command letters; views the payload
};

// Commands without an argument must match exactly ("X", "E", "GNM", "GDN");
// "Xyz" is an unknown command, not a discovery.
Command ParseCommand(std::string_view payload);

// The name a command goes by in the config's reply faults and in the log:
// "X", "W", "L", "GNM", "GDN", "SNM", "A", "E", "?" (unknown), "" (empty).
std::string_view CommandName(CommandKind kind);

} // namespace muxsim
