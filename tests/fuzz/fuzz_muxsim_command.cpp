// SPDX-License-Identifier: MIT
// The simulator's side of a datagram: the command parser (ParseCommand),
// what a small fleet of simulated multiplexers makes of a run of datagrams
// (DevicePlay::Take), and the --device shorthand. Invariants: the parse
// names the command the payload spells and its argument is the rest of the
// payload; only devices that hear a datagram and are addressed by it answer,
// from their own address; a device is never logged in without being
// selected; a device's address and mask stay dotted decimal; a bad
// shorthand fails only with ConfigError.
#include "fuzz_check.h"

#include "byte_text.h"
#include "command.h"
#include "device_config.h"
#include "device_play.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace muxsim;

namespace {

void CheckParse(std::string_view payload)
{
    const Command command = ParseCommand(payload);
    if (!command.Argument.empty()) {
        FUZZ_CHECK(command.Argument.data() >= payload.data() &&
                       command.Argument.data() + command.Argument.size() <= payload.data() + payload.size(),
                   "the argument views the payload");
    }
    CommandKind kind = CommandKind::Unknown;
    std::string_view argument = payload;
    if (payload.empty()) {
        kind = CommandKind::Empty;
        argument = {};
    } else if (payload == "X" || payload == "E" || payload == "GNM" || payload == "GDN") {
        kind = payload == "X"  ? CommandKind::Discover
            : payload == "E"   ? CommandKind::End
            : payload == "GNM" ? CommandKind::GetMask
                               : CommandKind::GetDn;
        argument = {};
    } else if (payload.size() >= 3 && payload.substr(0, 3) == "SNM") {
        kind = CommandKind::SetMask;
        argument = payload.substr(3);
    } else if (payload[0] == 'W' || payload[0] == 'L' || payload[0] == 'A') {
        kind = payload[0] == 'W' ? CommandKind::Select : payload[0] == 'L' ? CommandKind::Login : CommandKind::Assign;
        argument = payload.substr(1);
    }
    FUZZ_CHECK(command.Kind == kind,
               "\"" + Escaped(std::string(payload)) + "\" parsed as " + std::string(CommandName(command.Kind)));
    FUZZ_CHECK(command.Argument == argument, "argument of \"" + Escaped(std::string(payload)) + "\"");
    FUZZ_CHECK(CommandName(kind).empty() == (kind == CommandKind::Empty), "every command but the empty one has a name");
}

std::vector<DeviceConfig> Fleet()
{
    std::vector<DeviceConfig> fleet(4);
    fleet[0].IP = "192.168.1.10";
    fleet[0].Mac = "00:11:22:33:44:55";
    fleet[1].IP = "10.0.0.7";
    fleet[1].Mask = "255.0.0.0";
    fleet[1].Mac = "AA";
    // A MAC the one above is a prefix of, with answers replaced by faults.
    fleet[2].IP = "172.16.0.5";
    fleet[2].Mask = "255.255.0.0";
    fleet[2].Mac = "AAB";
    fleet[2].Flags = "00E";
    fleet[2].Faults.Replies["GNM"] = ReplySpec{ReplyKind::Garbage, "", 7, std::nullopt};
    fleet[2].Faults.Replies["L"] = ReplySpec{ReplyKind::Fixed, "D", 0, std::nullopt};
    fleet[3].IP = "192.168.1.11";
    fleet[3].Mac = "silent";
    fleet[3].Faults.Silent = true;
    return fleet;
}

bool Hears(const DeviceState& device, std::optional<unsigned> destination)
{
    if (device.Config.Faults.Silent)
        return false;
    if (!destination || *destination == 0xFFFFFFFFu)
        return true;
    const unsigned ip = *ParseIPv4(device.Config.IP);
    const unsigned mask = *ParseIPv4(device.Config.Mask);
    return *destination == ip || *destination == (ip | ~mask);
}

bool Replaced(const DeviceState& device, CommandKind kind)
{
    const auto found = device.Config.Faults.Replies.find(CommandName(kind));
    return found != device.Config.Faults.Replies.end() && found->second.ReplacesAnswer();
}

void CheckTake(DevicePlay& play, std::string_view payload, std::optional<unsigned> destination)
{
    const std::vector<DeviceState> before = play.Devices();
    const Outcome outcome = play.Take(payload, destination);
    const std::vector<DeviceState>& after = play.Devices();
    const Command command = ParseCommand(payload);
    const std::string what = "after \"" + Escaped(std::string(payload)) + "\"";

    FUZZ_CHECK(outcome.Command == command.Kind, "outcome names the parsed command " + what);
    FUZZ_CHECK(after.size() == before.size(), "the fleet keeps its size");
    for (std::size_t taker : outcome.Takers) {
        FUZZ_CHECK(taker < before.size() && Hears(before[taker], destination), "a taker heard the datagram " + what);
    }
    for (const PlannedReply& reply : outcome.Replies) {
        FUZZ_CHECK(std::count(outcome.Takers.begin(), outcome.Takers.end(), reply.Device) == 1,
                   "only a taker answers " + what);
        FUZZ_CHECK(reply.From == before[reply.Device].Config.IP, "a device answers from its address " + what);
    }
    if (command.Kind == CommandKind::Empty)
        FUZZ_CHECK(outcome.Takers.empty() && outcome.Replies.empty() && outcome.Changes.empty(),
                   "nobody answers an empty datagram");
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool heard = Hears(before[i], destination);
        const bool took = std::count(outcome.Takers.begin(), outcome.Takers.end(), i) == 1;
        const DeviceConfig& config = before[i].Config;
        if (command.Kind == CommandKind::Discover && heard) {
            FUZZ_CHECK(took, "every device that hears X takes it " + what);
            if (!Replaced(before[i], command.Kind)) {
                const std::string own = "A" + config.Mac + "/" + config.Port + "/" + config.Flags;
                FUZZ_CHECK(std::any_of(outcome.Replies.begin(), outcome.Replies.end(),
                                       [&](const PlannedReply& r) { return r.Device == i && r.Payload == own; }),
                           "a discovery answer carries MAC, port and flags " + what);
            }
        }
        if (command.Kind == CommandKind::Select && heard) {
            const bool named = command.Argument == config.Mac;
            FUZZ_CHECK(took == named, "a selection is taken by the device it names " + what);
            FUZZ_CHECK(after[i].Selected == (named && !Replaced(before[i], command.Kind)),
                       "a selection selects the named device and ends every other session " + what);
            FUZZ_CHECK(!after[i].LoggedIn, "a selection ends the login " + what);
        }
        if (command.Kind == CommandKind::Login && heard && before[i].Selected && !Replaced(before[i], command.Kind))
            FUZZ_CHECK(after[i].LoggedIn == (command.Argument == config.Password),
                       "the login checks the password " + what);
        if (!heard)
            FUZZ_CHECK(after[i].Selected == before[i].Selected && after[i].LoggedIn == before[i].LoggedIn &&
                           after[i].Config.IP == config.IP && after[i].Config.Mask == config.Mask,
                       "a device that does not hear a datagram keeps its state " + what);
        FUZZ_CHECK(!after[i].LoggedIn || after[i].Selected, "logged in only when selected " + what);
        FUZZ_CHECK(ParseIPv4(after[i].Config.IP) && ParseIPv4(after[i].Config.Mask),
                   "address and mask stay dotted decimal " + what);
    }
}

void CheckShorthand(std::string_view text)
{
    try {
        const DeviceConfig device = DeviceFromShorthand(text);
        FUZZ_CHECK(ParseIPv4(device.IP).has_value(),
                   "a shorthand device has a dotted address: " + Escaped(std::string(text)));
    } catch (const ConfigError&) {
        // refused with a reason
    }
}

std::optional<unsigned> Destination(FuzzedDataProvider& provider, const std::vector<DeviceState>& devices)
{
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0: return std::nullopt;
    case 1: return 0xFFFFFFFFu;
    case 2: {
        const auto& device = devices[provider.ConsumeIntegralInRange<std::size_t>(0, devices.size() - 1)];
        const unsigned ip = *ParseIPv4(device.Config.IP);
        return provider.ConsumeBool() ? ip : ip | ~*ParseIPv4(device.Config.Mask);
    }
    default: return provider.ConsumeIntegral<unsigned>();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    CheckParse(whole);
    CheckShorthand(whole);

    FuzzedDataProvider provider(data, size);
    DevicePlay play(Fleet(), 1);
    while (provider.remaining_bytes() > 0) {
        const std::optional<unsigned> destination = Destination(provider, play.Devices());
        const std::string payload = provider.ConsumeRandomLengthString(512);
        CheckParse(payload);
        CheckTake(play, payload, destination);
    }
    return 0;
}
