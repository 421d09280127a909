// SPDX-License-Identifier: MIT
#include "device_play.h"

#include "byte_text.h"

namespace muxsim {
namespace {

bool IsAddressed(const DeviceState& device, const Command& command)
{
    switch (command.kind) {
    case CommandKind::Empty: return false;
    case CommandKind::Discover: return true;
    case CommandKind::Select: return command.argument == device.config.mac;
    case CommandKind::Assign:
        return command.argument.size() > device.config.mac.size() && command.argument.starts_with(device.config.mac) &&
            command.argument[device.config.mac.size()] == '/';
    case CommandKind::Login:
    case CommandKind::GetMask:
    case CommandKind::GetDn:
    case CommandKind::SetMask:
    case CommandKind::End:
    case CommandKind::Unknown: return device.selected;
    }
    return false;
}

const ReplySpec* FindReplySpec(const DeviceState& device, CommandKind kind)
{
    const auto& replies = device.config.faults.replies;
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
    const auto ip = ParseIPv4(device.config.ip);
    const auto mask = ParseIPv4(device.config.mask);
    if (!ip || !mask)
        return false;
    return *destination == *ip || *destination == (*ip | ~*mask);
}

Outcome DevicePlay::Take(std::string_view payload, std::optional<unsigned> destination)
{
    const Command command = ParseCommand(payload);
    Outcome outcome;
    outcome.command = command.kind;
    for (std::size_t index = 0; index < devices_.size(); ++index) {
        DeviceState& device = devices_[index];
        if (device.config.faults.silent || !Hears(device, destination))
            continue;
        if (!IsAddressed(device, command)) {
            // Every device hears a selection; one that names another device
            // ends whatever session this one had.
            if (command.kind == CommandKind::Select) {
                SetSelected(index, false, outcome);
                SetLoggedIn(index, false, outcome);
            }
            continue;
        }
        outcome.takers.push_back(index);
        const ReplySpec* spec = FindReplySpec(device, command.kind);
        if (spec && spec->ReplacesAnswer()) {
            // A faulty answer means the device did not carry the command out;
            // a refused selection leaves it unselected.
            if (command.kind == CommandKind::Select) {
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
    DeviceConfig& config = device.config;
    const ReplySpec* spec = FindReplySpec(device, command.kind);
    switch (command.kind) {
    case CommandKind::Empty: return;
    case CommandKind::Discover:
        Answer(index, "A" + config.mac + "/" + config.port + "/" + config.flags, spec, outcome);
        return;
    case CommandKind::Select:
        SetLoggedIn(index, false, outcome);
        SetSelected(index, true, outcome);
        Answer(index, "A", spec, outcome);
        return;
    case CommandKind::Login: {
        const bool accepted = command.argument == config.password;
        SetLoggedIn(index, accepted, outcome);
        Answer(index, accepted ? "A" : "D", spec, outcome);
        return;
    }
    case CommandKind::GetMask: Answer(index, device.logged_in ? "A" + config.mask : "D", spec, outcome); return;
    case CommandKind::GetDn: Answer(index, device.logged_in ? "A" + config.dn : "D", spec, outcome); return;
    case CommandKind::SetMask: {
        if (!device.logged_in) {
            Answer(index, "D", spec, outcome);
            return;
        }
        if (!ParseIPv4(command.argument)) {
            Answer(index, "C", spec, outcome);
            return;
        }
        std::string mask(command.argument);
        outcome.changes.push_back({index, "mask", config.mask, mask});
        config.mask = std::move(mask);
        Answer(index, "A", spec, outcome);
        return;
    }
    case CommandKind::Assign: {
        // The MAC and its "/" are known to match; the rest is password "/" address.
        const std::string_view rest = command.argument.substr(config.mac.size() + 1);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) {
            Answer(index, "C", spec, outcome);
            return;
        }
        if (rest.substr(0, slash) != config.password) {
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
        std::string new_address(address);
        outcome.changes.push_back({index, "address", config.ip, new_address});
        config.ip = std::move(new_address);
        return;
    }
    case CommandKind::End:
        Answer(index, "A", spec, outcome);
        SetLoggedIn(index, false, outcome);
        SetSelected(index, false, outcome);
        return;
    case CommandKind::Unknown: Answer(index, "C", spec, outcome); return;
    }
}

void DevicePlay::Answer(std::size_t index, std::string text, const ReplySpec* spec, Outcome& outcome)
{
    const DeviceState& device = devices_[index];
    int delay = device.config.faults.delay_ms;
    if (spec) {
        if (spec->delay_ms)
            delay = *spec->delay_ms;
        switch (spec->kind) {
        case ReplySpec::Kind::Own: break;
        case ReplySpec::Kind::Silent: return;
        case ReplySpec::Kind::Fixed: text = spec->bytes; break;
        case ReplySpec::Kind::Garbage: text = Garbage(spec->length); break;
        }
    }
    outcome.replies.push_back({index, device.config.ip, std::move(text), delay});
}

void DevicePlay::SetSelected(std::size_t index, bool selected, Outcome& outcome)
{
    DeviceState& device = devices_[index];
    if (device.selected == selected)
        return;
    outcome.changes.push_back({index, "selected", BoolText(device.selected), BoolText(selected)});
    device.selected = selected;
}

void DevicePlay::SetLoggedIn(std::size_t index, bool logged_in, Outcome& outcome)
{
    DeviceState& device = devices_[index];
    if (device.logged_in == logged_in)
        return;
    outcome.changes.push_back({index, "logged_in", BoolText(device.logged_in), BoolText(logged_in)});
    device.logged_in = logged_in;
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
