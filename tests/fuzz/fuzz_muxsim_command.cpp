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
    if (!command.argument.empty()) {
        FUZZ_CHECK(command.argument.data() >= payload.data() &&
                       command.argument.data() + command.argument.size() <= payload.data() + payload.size(),
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
    FUZZ_CHECK(command.kind == kind,
               "\"" + Escaped(std::string(payload)) + "\" parsed as " + std::string(CommandName(command.kind)));
    FUZZ_CHECK(command.argument == argument, "argument of \"" + Escaped(std::string(payload)) + "\"");
    FUZZ_CHECK(CommandName(kind).empty() == (kind == CommandKind::Empty), "every command but the empty one has a name");
}

std::vector<DeviceConfig> Fleet()
{
    std::vector<DeviceConfig> fleet(4);
    fleet[0].ip = "192.168.1.10";
    fleet[0].mac = "00:11:22:33:44:55";
    fleet[1].ip = "10.0.0.7";
    fleet[1].mask = "255.0.0.0";
    fleet[1].mac = "AA";
    // A MAC the one above is a prefix of, with answers replaced by faults.
    fleet[2].ip = "172.16.0.5";
    fleet[2].mask = "255.255.0.0";
    fleet[2].mac = "AAB";
    fleet[2].flags = "00E";
    fleet[2].faults.replies["GNM"] = ReplySpec{ReplyKind::Garbage, "", 7, std::nullopt};
    fleet[2].faults.replies["L"] = ReplySpec{ReplyKind::Fixed, "D", 0, std::nullopt};
    fleet[3].ip = "192.168.1.11";
    fleet[3].mac = "silent";
    fleet[3].faults.silent = true;
    return fleet;
}

bool Hears(const DeviceState& device, std::optional<unsigned> destination)
{
    if (device.config.faults.silent)
        return false;
    if (!destination || *destination == 0xFFFFFFFFu)
        return true;
    const unsigned ip = *ParseIPv4(device.config.ip);
    const unsigned mask = *ParseIPv4(device.config.mask);
    return *destination == ip || *destination == (ip | ~mask);
}

bool Replaced(const DeviceState& device, CommandKind kind)
{
    const auto found = device.config.faults.replies.find(CommandName(kind));
    return found != device.config.faults.replies.end() && found->second.ReplacesAnswer();
}

void CheckTake(DevicePlay& play, std::string_view payload, std::optional<unsigned> destination)
{
    const std::vector<DeviceState> before = play.Devices();
    const Outcome outcome = play.Take(payload, destination);
    const std::vector<DeviceState>& after = play.Devices();
    const Command command = ParseCommand(payload);
    const std::string what = "after \"" + Escaped(std::string(payload)) + "\"";

    FUZZ_CHECK(outcome.command == command.kind, "outcome names the parsed command " + what);
    FUZZ_CHECK(after.size() == before.size(), "the fleet keeps its size");
    for (std::size_t taker : outcome.takers) {
        FUZZ_CHECK(taker < before.size() && Hears(before[taker], destination), "a taker heard the datagram " + what);
    }
    for (const PlannedReply& reply : outcome.replies) {
        FUZZ_CHECK(std::count(outcome.takers.begin(), outcome.takers.end(), reply.device) == 1,
                   "only a taker answers " + what);
        FUZZ_CHECK(reply.from == before[reply.device].config.ip, "a device answers from its address " + what);
    }
    if (command.kind == CommandKind::Empty)
        FUZZ_CHECK(outcome.takers.empty() && outcome.replies.empty() && outcome.changes.empty(),
                   "nobody answers an empty datagram");
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool heard = Hears(before[i], destination);
        const bool took = std::count(outcome.takers.begin(), outcome.takers.end(), i) == 1;
        const DeviceConfig& config = before[i].config;
        if (command.kind == CommandKind::Discover && heard) {
            FUZZ_CHECK(took, "every device that hears X takes it " + what);
            if (!Replaced(before[i], command.kind)) {
                const std::string own = "A" + config.mac + "/" + config.port + "/" + config.flags;
                FUZZ_CHECK(std::any_of(outcome.replies.begin(), outcome.replies.end(),
                                       [&](const PlannedReply& r) { return r.device == i && r.payload == own; }),
                           "a discovery answer carries MAC, port and flags " + what);
            }
        }
        if (command.kind == CommandKind::Select && heard) {
            const bool named = command.argument == config.mac;
            FUZZ_CHECK(took == named, "a selection is taken by the device it names " + what);
            FUZZ_CHECK(after[i].selected == (named && !Replaced(before[i], command.kind)),
                       "a selection selects the named device and ends every other session " + what);
            FUZZ_CHECK(!after[i].logged_in, "a selection ends the login " + what);
        }
        if (command.kind == CommandKind::Login && heard && before[i].selected && !Replaced(before[i], command.kind))
            FUZZ_CHECK(after[i].logged_in == (command.argument == config.password),
                       "the login checks the password " + what);
        if (!heard)
            FUZZ_CHECK(after[i].selected == before[i].selected && after[i].logged_in == before[i].logged_in &&
                           after[i].config.ip == config.ip && after[i].config.mask == config.mask,
                       "a device that does not hear a datagram keeps its state " + what);
        FUZZ_CHECK(!after[i].logged_in || after[i].selected, "logged in only when selected " + what);
        FUZZ_CHECK(ParseIPv4(after[i].config.ip) && ParseIPv4(after[i].config.mask),
                   "address and mask stay dotted decimal " + what);
    }
}

void CheckShorthand(std::string_view text)
{
    try {
        const DeviceConfig device = DeviceFromShorthand(text);
        FUZZ_CHECK(ParseIPv4(device.ip).has_value(),
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
        const unsigned ip = *ParseIPv4(device.config.ip);
        return provider.ConsumeBool() ? ip : ip | ~*ParseIPv4(device.config.mask);
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
