// SPDX-License-Identifier: MIT
#include "device_play.h"

#include "byte_text.h"

namespace muxsim {
namespace {

bool IsAddressed(const DeviceState& device, const Command& command)
{
    switch (command.Kind) {
    case CommandKind::Empty: return false;
    case CommandKind::Discover: return true;
    case CommandKind::Select: return command.Argument == device.Config.Mac;
    case CommandKind::Assign:
        return command.Argument.size() > device.Config.Mac.size() && command.Argument.starts_with(device.Config.Mac) &&
            command.Argument[device.Config.Mac.size()] == '/';
    case CommandKind::Login:
    case CommandKind::GetMask:
    case CommandKind::GetDn:
    case CommandKind::SetMask:
    case CommandKind::End:
    case CommandKind::Unknown: return device.Selected;
    }
    return false;
}

const ReplySpec* FindReplySpec(const DeviceState& device, CommandKind kind)
{
    const auto& replies = device.Config.Faults.Replies;
    const auto found = replies.find(CommandName(kind));
    return found == replies.end() ? nullptr : &found->second;
}

const char* BoolText(bool value) { return value ? "true" : "false"; }

} // namespace

DevicePlay::DevicePlay(std::vector<DeviceConfig> devices, std::uint64_t seed) : random_(seed)
{
    devices_.reserve(devices.size());
    for (auto& config : devices)
        devices_.push_back(DeviceState{std::move(config)});
}

bool DevicePlay::Hears(const DeviceState& device, std::optional<unsigned> destination) const
{
    if (!destination || *destination == 0xFFFFFFFFu)
        return true;
    const auto ip = ParseIPv4(device.Config.IP);
    const auto mask = ParseIPv4(device.Config.Mask);
    if (!ip || !mask)
        return false;
    return *destination == *ip || *destination == (*ip | ~*mask);
}

Outcome DevicePlay::Take(std::string_view payload, std::optional<unsigned> destination)
{
    const Command command = ParseCommand(payload);
    Outcome outcome;
    outcome.Command = command.Kind;
    for (std::size_t index = 0; index < devices_.size(); ++index) {
        DeviceState& device = devices_[index];
        if (device.Config.Faults.Silent || device.Restarting || !Hears(device, destination))
            continue;
        if (!IsAddressed(device, command)) {
            // Every device hears a selection; one that names another device
            // ends whatever session this one had.
            if (command.Kind == CommandKind::Select) {
                SetSelected(index, false, outcome);
                SetLoggedIn(index, false, outcome);
            }
            continue;
        }
        outcome.Takers.push_back(index);
        const ReplySpec* spec = FindReplySpec(device, command.Kind);
        if (spec && spec->ReplacesAnswer()) {
            // A faulty answer means the device did not carry the command out;
            // a refused selection leaves it unselected.
            if (command.Kind == CommandKind::Select) {
                SetSelected(index, false, outcome);
                SetLoggedIn(index, false, outcome);
            }
            Answer(index, {}, spec, outcome);
            continue;
        }
        Act(index, command, outcome);
    }
    return outcome;
}

void DevicePlay::Act(std::size_t index, const Command& command, Outcome& outcome)
{
    DeviceState& device = devices_[index];
    DeviceConfig& config = device.Config;
    const ReplySpec* spec = FindReplySpec(device, command.Kind);
    switch (command.Kind) {
    case CommandKind::Empty: return;
    case CommandKind::Discover:
        Answer(index, "A" + config.Mac + "/" + config.Port + "/" + config.Flags, spec, outcome);
        return;
    case CommandKind::Select:
        SetLoggedIn(index, false, outcome);
        SetSelected(index, true, outcome);
        Answer(index, "A", spec, outcome);
        return;
    case CommandKind::Login: {
        const bool accepted = command.Argument == config.Password;
        SetLoggedIn(index, accepted, outcome);
        Answer(index, accepted ? "A" : "D", spec, outcome);
        return;
    }
    case CommandKind::GetMask: Answer(index, device.LoggedIn ? "A" + config.Mask : "D", spec, outcome); return;
    case CommandKind::GetDn: Answer(index, device.LoggedIn ? "A" + config.DN : "D", spec, outcome); return;
    case CommandKind::SetMask: {
        if (!device.LoggedIn) {
            Answer(index, "D", spec, outcome);
            return;
        }
        if (!ParseIPv4(command.Argument)) {
            Answer(index, "C", spec, outcome);
            return;
        }
        std::string mask(command.Argument);
        outcome.Changes.push_back({index, "mask", config.Mask, mask});
        config.Mask = std::move(mask);
        device.Changed = true;
        Answer(index, "A", spec, outcome);
        return;
    }
    case CommandKind::Assign: {
        // The MAC and its "/" are known to match; the rest is password "/" address.
        const std::string_view rest = command.Argument.substr(config.Mac.size() + 1);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) {
            Answer(index, "C", spec, outcome);
            return;
        }
        if (rest.substr(0, slash) != config.Password) {
            Answer(index, "D", spec, outcome);
            return;
        }
        const std::string_view address = rest.substr(slash + 1);
        if (!ParseIPv4(address)) {
            Answer(index, "C", spec, outcome);
            return;
        }
        // The acknowledgement still leaves from the old address.
        Answer(index, "A", spec, outcome);
        std::string newAddress(address);
        outcome.Changes.push_back({index, "address", config.IP, newAddress});
        config.IP = std::move(newAddress);
        if (device.LoggedIn)
            device.Changed = true;
        return;
    }
    case CommandKind::End: {
        const bool restarts = device.Changed && config.RestartMs > 0;
        Answer(index, "A", spec, outcome);
        SetLoggedIn(index, false, outcome);
        SetSelected(index, false, outcome);
        if (restarts) {
            device.Restarting = true;
            outcome.Changes.push_back({index, "restarting", "false", "true"});
            outcome.Restarts.push_back(index);
        }
        return;
    }
    case CommandKind::Unknown: Answer(index, "C", spec, outcome); return;
    }
}

void DevicePlay::Answer(std::size_t index, std::string text, const ReplySpec* spec, Outcome& outcome)
{
    const DeviceState& device = devices_[index];
    int delay = device.Config.Faults.DelayMs;
    if (spec) {
        if (spec->DelayMs)
            delay = *spec->DelayMs;
        switch (spec->Kind) {
        case ReplyKind::Own: break;
        case ReplyKind::Silent: return;
        case ReplyKind::Fixed: text = spec->Bytes; break;
        case ReplyKind::Garbage: text = Garbage(spec->Length); break;
        }
    }
    outcome.Replies.push_back({index, device.Config.IP, std::move(text), delay, device.Config.ReplyToBroadcast});
}

StateChange DevicePlay::EndRestart(std::size_t index)
{
    devices_[index].Restarting = false;
    return {index, "restarting", "true", "false"};
}

void DevicePlay::SetSelected(std::size_t index, bool selected, Outcome& outcome)
{
    DeviceState& device = devices_[index];
    if (device.Selected == selected)
        return;
    outcome.Changes.push_back({index, "selected", BoolText(device.Selected), BoolText(selected)});
    device.Selected = selected;
}

void DevicePlay::SetLoggedIn(std::size_t index, bool loggedIn, Outcome& outcome)
{
    DeviceState& device = devices_[index];
    if (device.LoggedIn == loggedIn)
        return;
    outcome.Changes.push_back({index, "logged_in", BoolText(device.LoggedIn), BoolText(loggedIn)});
    device.LoggedIn = loggedIn;
    device.Changed = false; // a change belongs to the session it was made in
}

std::string DevicePlay::Garbage(std::size_t length)
{
    std::string bytes(length, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& c : bytes)
        c = static_cast<char>(byte(random_));
    return bytes;
}

} // namespace muxsim
