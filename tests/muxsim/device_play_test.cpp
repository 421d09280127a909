// SPDX-License-Identifier: MIT
// The simulator's command parser, config reader and device logic, without
// sockets.
#include "byte_text.h"
#include "command.h"
#include "device_config.h"
#include "device_play.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace muxsim;
using nlohmann::json;

namespace {

DeviceConfig MakeDevice(std::string ip, std::string mac)
{
    DeviceConfig device;
    device.IP = std::move(ip);
    device.Mac = std::move(mac);
    return device;
}

std::vector<std::string> Payloads(const Outcome& outcome)
{
    std::vector<std::string> payloads;
    for (const auto& reply : outcome.Replies)
        payloads.push_back(reply.Payload);
    return payloads;
}

} // namespace

TEST(MuxSimCommand, ParsesEveryCommandAndRejectsNearMisses)
{
    EXPECT_EQ(ParseCommand("").Kind, CommandKind::Empty);
    EXPECT_EQ(ParseCommand("X").Kind, CommandKind::Discover);
    EXPECT_EQ(ParseCommand("E").Kind, CommandKind::End);
    EXPECT_EQ(ParseCommand("GNM").Kind, CommandKind::GetMask);
    EXPECT_EQ(ParseCommand("GDN").Kind, CommandKind::GetDn);
    const Command select = ParseCommand("W00:11");
    EXPECT_EQ(select.Kind, CommandKind::Select);
    EXPECT_EQ(select.Argument, "00:11");
    EXPECT_EQ(ParseCommand("LQOVUT").Argument, "QOVUT");
    EXPECT_EQ(ParseCommand("SNM255.0.0.0").Argument, "255.0.0.0");
    EXPECT_EQ(ParseCommand("SNM").Kind, CommandKind::SetMask);
    EXPECT_EQ(ParseCommand("Amac/QOVUT/1.2.3.4").Argument, "mac/QOVUT/1.2.3.4");
    for (std::string_view nearMiss : std::initializer_list<std::string_view>{"XX", "x", "EE", "GNMx", "GN", "GDNN",
                                                                             std::string_view("X\0", 2), "\xff"})
        EXPECT_EQ(ParseCommand(nearMiss).Kind, CommandKind::Unknown) << nearMiss;
}

TEST(MuxSimBytes, JsonTextCarriesEveryByteAndAddressesAreStrict)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    EXPECT_EQ(Utf8ToBytes(BytesToUtf8(all)), all);
    EXPECT_EQ(FromHex(ToHex(all)), all);
    EXPECT_EQ(ToHex("A\xff"), "41ff");
    EXPECT_FALSE(Utf8ToBytes("\xc4\x85")); // U+0105 is no single byte
    EXPECT_FALSE(Utf8ToBytes("\xc3"));
    EXPECT_FALSE(FromHex("4"));
    EXPECT_FALSE(FromHex("zz"));
    EXPECT_TRUE(ParseIPv4("192.168.1.10"));
    for (std::string_view bad :
         std::initializer_list<std::string_view>{"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", " 1.2.3.4",
                                                 "0x1.2.3.4", std::string_view("1.2.3.4\0junk", 12), "1..2.3"})
        EXPECT_FALSE(ParseIPv4(bad)) << bad;
}

TEST(MuxSimConfig, ReadsDevicesFaultsAndReplyForms)
{
    const json config = json::parse(R"({"devices": [
        {"ip": "10.0.0.1", "mac": "M\u00e9", "dn": 1},
        {"ip": "10.0.0.2", "mac": "B", "mask": "255.0.0.0", "port": "8080", "flags": "00E", "password": "x",
         "restart_seconds": 2.5, "reply_to_broadcast": true,
         "faults": {"silent": true, "delay_ms": 250, "deny_login": true, "refuse_selection": null,
                    "replies": {"GNM": "C", "GDN": {"hex": "00ff"}, "X": {"size": 5000, "prefix": "AB", "fill": "12"},
                                "E": {"garbage": 9}, "SNM": {"delay_ms": 3000}, "?": {"silent": true}}}}]})");
    const auto devices = DevicesFromJson(config);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].Mac, "M\xe9");
    EXPECT_EQ(devices[0].DN, "1");
    EXPECT_EQ(devices[0].Mask, "255.255.255.0");
    EXPECT_EQ(devices[0].Password, "QOVUT");
    EXPECT_EQ(devices[1].RestartMs, 2500);
    EXPECT_TRUE(devices[1].ReplyToBroadcast);
    const DeviceConfig& faulty = devices[1];
    EXPECT_TRUE(faulty.Faults.Silent);
    EXPECT_EQ(faulty.Faults.DelayMs, 250);
    const auto& replies = faulty.Faults.Replies;
    EXPECT_EQ(replies.at("L").Bytes, "D");
    EXPECT_EQ(replies.at("W").Kind, ReplyKind::Silent);
    EXPECT_EQ(replies.at("GNM").Bytes, "C");
    EXPECT_EQ(replies.at("GDN").Bytes, std::string("\0\xff", 2));
    ASSERT_EQ(replies.at("X").Bytes.size(), 5000u);
    EXPECT_EQ(replies.at("X").Bytes.substr(0, 6), "AB1212");
    EXPECT_EQ(replies.at("E").Kind, ReplyKind::Garbage);
    EXPECT_EQ(replies.at("E").Length, 9u);
    EXPECT_EQ(replies.at("SNM").Kind, ReplyKind::Own);
    EXPECT_EQ(replies.at("SNM").DelayMs, 3000);
    EXPECT_EQ(replies.at("?").Kind, ReplyKind::Silent);
}

TEST(MuxSimConfig, RejectsBadConfigsNamingTheField)
{
    auto errorOf = [](const char* text) -> std::string {
        try {
            DevicesFromJson(json::parse(text));
        } catch (const ConfigError& error) {
            return error.what();
        }
        return "(accepted)";
    };
    EXPECT_NE(errorOf(R"({"devices": [{"mac": "A"}]})").find("needs \"ip\""), std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4"}]})").find("needs \"mac\""), std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.400", "mac": "A"}]})").find("devices[0].ip"), std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "\u0105"}]})").find("U+00FF"), std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "colour": 1}]})").find("colour"),
              std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"ZZ": "C"}}}]})")
                  .find("replies.ZZ"),
              std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"X": {"size": 70000}}}}]})")
                  .find("65507"),
              std::string::npos);
    EXPECT_NE(errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"delay_ms": -1}}]})").find("delay_ms"),
              std::string::npos);
    EXPECT_NE(
        errorOf(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "restart_seconds": 601}]})").find("restart_seconds"),
        std::string::npos);
    EXPECT_NE(
        errorOf(
            R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"X": {"text": "A", "hex": "41"}}}}]})")
            .find("only one"),
        std::string::npos);
    EXPECT_NE(errorOf(R"([1])").find("object"), std::string::npos);
    EXPECT_EQ(errorOf(R"({})"), "(accepted)");
}

TEST(MuxSimConfig, DeviceShorthand)
{
    const DeviceConfig device =
        DeviceFromShorthand("10.1.1.1,AA:BB,port=99,flags=00E,delay_ms=40,deny_login,refuse_selection=silent,"
                            "restart_seconds=0.5,reply_to_broadcast");
    EXPECT_EQ(device.IP, "10.1.1.1");
    EXPECT_EQ(device.Mac, "AA:BB");
    EXPECT_EQ(device.Port, "99");
    EXPECT_EQ(device.Flags, "00E");
    EXPECT_EQ(device.Faults.DelayMs, 40);
    EXPECT_EQ(device.Faults.Replies.at("L").Bytes, "D");
    EXPECT_EQ(device.Faults.Replies.at("W").Kind, ReplyKind::Silent);
    EXPECT_EQ(device.RestartMs, 500);
    EXPECT_TRUE(device.ReplyToBroadcast);
    EXPECT_EQ(DeviceFromShorthand("10.1.1.1,A,refuse_selection").Faults.Replies.at("W").Bytes, "C");
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1"), ConfigError);
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1,A,bogus=1"), ConfigError);
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1,A,delay_ms=x"), ConfigError);
}

TEST(MuxSimPlay, SessionRulesForTwoDevices)
{
    DevicePlay play({MakeDevice("10.0.0.1", "AA"), MakeDevice("10.0.0.2", "BB")}, 1);
    EXPECT_EQ(Payloads(play.Take("X", std::nullopt)), (std::vector<std::string>{"AAA/1001/000", "ABB/1001/000"}));
    EXPECT_TRUE(play.Take("LQOVUT", std::nullopt).Replies.empty()) << "no session yet";
    EXPECT_TRUE(play.Take("WCC", std::nullopt).Replies.empty()) << "a W naming nobody";
    Outcome selected = play.Take("WBB", std::nullopt);
    ASSERT_EQ(selected.Replies.size(), 1u);
    EXPECT_EQ(selected.Replies[0].From, "10.0.0.2");
    EXPECT_EQ(Payloads(play.Take("GNM", std::nullopt)), std::vector<std::string>{"D"}) << "before login";
    EXPECT_EQ(Payloads(play.Take("Lqovut", std::nullopt)), std::vector<std::string>{"D"});
    EXPECT_EQ(Payloads(play.Take("LQOVUT", std::nullopt)), std::vector<std::string>{"A"});
    EXPECT_EQ(Payloads(play.Take("GNM", std::nullopt)), std::vector<std::string>{"A255.255.255.0"});
    EXPECT_EQ(Payloads(play.Take("GDN", std::nullopt)), std::vector<std::string>{"A0"});
    EXPECT_EQ(Payloads(play.Take("SNMnonsense", std::nullopt)), std::vector<std::string>{"C"});
    const Outcome mask = play.Take("SNM255.255.0.0", std::nullopt);
    EXPECT_EQ(Payloads(mask), std::vector<std::string>{"A"});
    ASSERT_EQ(mask.Changes.size(), 1u);
    EXPECT_EQ(mask.Changes[0].Field, "mask");
    EXPECT_EQ(mask.Changes[0].NewValue, "255.255.0.0");
    EXPECT_EQ(Payloads(play.Take("HELLO", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_TRUE(play.Take("", std::nullopt).Replies.empty());
    EXPECT_EQ(Payloads(play.Take("E", std::nullopt)), std::vector<std::string>{"A"});
    EXPECT_TRUE(play.Take("GNM", std::nullopt).Replies.empty()) << "the session has ended";

    // A selection of the other device ends this one's session.
    play.Take("WAA", std::nullopt);
    play.Take("LQOVUT", std::nullopt);
    play.Take("WBB", std::nullopt);
    EXPECT_FALSE(play.Devices()[0].Selected);
    EXPECT_FALSE(play.Devices()[0].LoggedIn);
    const Outcome maskB = play.Take("GNM", std::nullopt);
    ASSERT_EQ(maskB.Replies.size(), 1u);
    EXPECT_EQ(maskB.Replies[0].Payload, "D") << "BB is selected but not logged in";
}

TEST(MuxSimPlay, AssignByMacWorksWithoutSessionAndChecksItsFields)
{
    DevicePlay play({MakeDevice("10.0.0.1", "AA"), MakeDevice("10.0.0.2", "AA/X")}, 1);
    EXPECT_EQ(Payloads(play.Take("AAA/QOVUT", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_EQ(Payloads(play.Take("AAA/WRONG/10.9.9.9", std::nullopt)), std::vector<std::string>{"D"});
    EXPECT_EQ(Payloads(play.Take("AAA/QOVUT/10.9.9", std::nullopt)), std::vector<std::string>{"C"});
    const Outcome assigned = play.Take("AAA/QOVUT/10.9.9.9", std::nullopt);
    ASSERT_EQ(assigned.Replies.size(), 1u);
    EXPECT_EQ(assigned.Replies[0].Payload, "A");
    EXPECT_EQ(assigned.Replies[0].From, "10.0.0.1") << "the acknowledgement leaves from the old address";
    EXPECT_EQ(play.Devices()[0].Config.IP, "10.9.9.9");
    EXPECT_EQ(play.Devices()[1].Config.IP, "10.0.0.2");
    EXPECT_EQ(play.Take("X", std::nullopt).Replies[0].From, "10.9.9.9");
    // A MAC containing "/" is matched whole.
    const Outcome slashed = play.Take("AAA/X/QOVUT/10.7.7.7", std::nullopt);
    ASSERT_EQ(slashed.Takers.size(), 2u) << "both MACs are prefixes followed by /";
    EXPECT_EQ(play.Devices()[1].Config.IP, "10.7.7.7");
}

TEST(MuxSimPlay, FaultsReplaceAnswersAndSkipTheCommand)
{
    DeviceConfig faulty = MakeDevice("10.0.0.1", "AA");
    faulty.Faults.Replies["SNM"] = ReplySpec{ReplyKind::Fixed, "F", 0, {}};
    faulty.Faults.Replies["GDN"] = ReplySpec{ReplyKind::Garbage, "", 17, {}};
    faulty.Faults.Replies["GNM"] = ReplySpec{ReplyKind::Own, "", 0, 1500};
    faulty.Faults.Replies["A"] = ReplySpec{ReplyKind::Silent, "", 0, {}};
    DeviceConfig refusing = MakeDevice("10.0.0.2", "BB");
    refusing.Faults.Replies["W"] = ReplySpec{ReplyKind::Fixed, "C", 0, {}};
    DeviceConfig silent = MakeDevice("10.0.0.3", "CC");
    silent.Faults.Silent = true;
    DevicePlay play({faulty, refusing, silent}, 1);

    EXPECT_EQ(play.Take("X", std::nullopt).Replies.size(), 2u);
    EXPECT_TRUE(play.Take("WCC", std::nullopt).Replies.empty());
    EXPECT_EQ(Payloads(play.Take("WBB", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_FALSE(play.Devices()[1].Selected);
    play.Take("WAA", std::nullopt);
    play.Take("LQOVUT", std::nullopt);
    EXPECT_EQ(Payloads(play.Take("SNM255.0.0.0", std::nullopt)), std::vector<std::string>{"F"});
    EXPECT_EQ(play.Devices()[0].Config.Mask, "255.255.255.0") << "a refused command changes nothing";
    const Outcome garbage = play.Take("GDN", std::nullopt);
    ASSERT_EQ(garbage.Replies.size(), 1u);
    EXPECT_EQ(garbage.Replies[0].Payload.size(), 17u);
    const Outcome late = play.Take("GNM", std::nullopt);
    ASSERT_EQ(late.Replies.size(), 1u);
    EXPECT_EQ(late.Replies[0].Payload, "A255.255.255.0");
    EXPECT_EQ(late.Replies[0].DelayMs, 1500);
    EXPECT_TRUE(play.Take("AAA/QOVUT/10.9.9.9", std::nullopt).Replies.empty());
    EXPECT_EQ(play.Devices()[0].Config.IP, "10.0.0.1");
}

TEST(MuxSimPlay, DestinationDecidesWhoHears)
{
    DevicePlay play({MakeDevice("192.168.1.10", "AA"), MakeDevice("192.168.2.10", "BB")}, 1);
    EXPECT_EQ(play.Take("X", ParseIPv4("255.255.255.255")).Replies.size(), 2u);
    const Outcome direct = play.Take("X", ParseIPv4("192.168.2.10"));
    ASSERT_EQ(direct.Replies.size(), 1u);
    EXPECT_EQ(direct.Replies[0].From, "192.168.2.10");
    const Outcome subnet = play.Take("X", ParseIPv4("192.168.1.255"));
    ASSERT_EQ(subnet.Replies.size(), 1u);
    EXPECT_EQ(subnet.Replies[0].From, "192.168.1.10");
    EXPECT_TRUE(play.Take("X", ParseIPv4("192.168.3.3")).Replies.empty());
}

TEST(MuxSimPlay, OnlyAnEndClosingAChangeRestarts)
{
    const std::vector<std::pair<std::vector<std::string>, bool>> sessions = {
        {{"WAA", "LQOVUT", "SNM255.0.0.0", "E"}, true},
        {{"WAA", "LQOVUT", "AAA/QOVUT/10.0.0.9", "E"}, true},
        {{"WAA", "LQOVUT", "GNM", "E"}, false},                        // nothing changed
        {{"AAA/QOVUT/10.0.0.9", "WAA", "LQOVUT", "E"}, false},         // changed before the session
        {{"WAA", "LQOVUT", "SNM255.0.0.0", "WBB", "WAA", "E"}, false}, // that session ended without E
    };
    for (const auto& [session, restarts] : sessions) {
        DeviceConfig restarting = MakeDevice("10.0.0.1", "AA");
        restarting.RestartMs = 4000;
        DevicePlay play({restarting, MakeDevice("10.0.0.2", "BB")}, 1);
        Outcome end;
        for (const std::string& command : session)
            end = play.Take(command, std::nullopt);
        const std::string what = testing::PrintToString(session);
        EXPECT_EQ(end.Restarts, restarts ? std::vector<std::size_t>{0} : std::vector<std::size_t>{}) << what;
        EXPECT_EQ(play.Take("X", std::nullopt).Replies.size(), restarts ? 1u : 2u) << what;
    }
}
