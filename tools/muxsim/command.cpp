// SPDX-License-Identifier: MIT
#include "command.h"

namespace muxsim {

Command ParseCommand(std::string_view payload)
{
    if (payload.empty())
        return {CommandKind::Empty, {}};
    if (payload == "X")
        return {CommandKind::Discover, {}};
    if (payload == "E")
        return {CommandKind::End, {}};
    if (payload == "GNM")
        return {CommandKind::GetMask, {}};
    if (payload == "GDN")
        return {CommandKind::GetDn, {}};
    if (payload.starts_with("SNM"))
        return {CommandKind::SetMask, payload.substr(3)};
    switch (payload.front()) {
    case 'W': return {CommandKind::Select, payload.substr(1)};
    case 'L': return {CommandKind::Login, payload.substr(1)};
    case 'A': return {CommandKind::Assign, payload.substr(1)};
    default: return {CommandKind::Unknown, payload};
    }
}

std::string_view CommandName(CommandKind kind)
{
    switch (kind) {
    case CommandKind::Empty: return "";
    case CommandKind::Discover: return "X";
    case CommandKind::Select: return "W";
    case CommandKind::Login: return "L";
    case CommandKind::GetMask: return "GNM";
    case CommandKind::GetDn: return "GDN";
    case CommandKind::SetMask: return "SNM";
    case CommandKind::Assign: return "A";
    case CommandKind::End: return "E";
    case CommandKind::Unknown: return "?";
    }
    return "?";
}

} // namespace muxsim
