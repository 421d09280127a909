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
    device.ip = std::move(ip);
    device.mac = std::move(mac);
    return device;
}

std::vector<std::string> Payloads(const Outcome& outcome)
{
    std::vector<std::string> payloads;
    for (const auto& reply : outcome.replies)
        payloads.push_back(reply.payload);
    return payloads;
}

} // namespace

TEST(MuxSimCommand, ParsesEveryCommandAndRejectsNearMisses)
{
    EXPECT_EQ(ParseCommand("").kind, CommandKind::Empty);
    EXPECT_EQ(ParseCommand("X").kind, CommandKind::Discover);
    EXPECT_EQ(ParseCommand("E").kind, CommandKind::End);
    EXPECT_EQ(ParseCommand("GNM").kind, CommandKind::GetMask);
    EXPECT_EQ(ParseCommand("GDN").kind, CommandKind::GetDn);
    const Command select = ParseCommand("W00:11");
    EXPECT_EQ(select.kind, CommandKind::Select);
    EXPECT_EQ(select.argument, "00:11");
    EXPECT_EQ(ParseCommand("LQOVUT").argument, "QOVUT");
    EXPECT_EQ(ParseCommand("SNM255.0.0.0").argument, "255.0.0.0");
    EXPECT_EQ(ParseCommand("SNM").kind, CommandKind::SetMask);
    EXPECT_EQ(ParseCommand("Amac/QOVUT/1.2.3.4").argument, "mac/QOVUT/1.2.3.4");
    for (std::string_view near_miss : std::initializer_list<std::string_view>{"XX", "x", "EE", "GNMx", "GN", "GDNN",
                                                                              std::string_view("X\0", 2), "\xff"})
        EXPECT_EQ(ParseCommand(near_miss).kind, CommandKind::Unknown) << near_miss;
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
         "faults": {"silent": true, "delay_ms": 250, "deny_login": true, "refuse_selection": null,
                    "replies": {"GNM": "C", "GDN": {"hex": "00ff"}, "X": {"size": 5000, "prefix": "AB", "fill": "12"},
                                "E": {"garbage": 9}, "SNM": {"delay_ms": 3000}, "?": {"silent": true}}}}]})");
    const auto devices = DevicesFromJson(config);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].mac, "M\xe9");
    EXPECT_EQ(devices[0].dn, "1");
    EXPECT_EQ(devices[0].mask, "255.255.255.0");
    EXPECT_EQ(devices[0].password, "QOVUT");
    const DeviceConfig& faulty = devices[1];
    EXPECT_TRUE(faulty.faults.silent);
    EXPECT_EQ(faulty.faults.delay_ms, 250);
    const auto& replies = faulty.faults.replies;
    EXPECT_EQ(replies.at("L").bytes, "D");
    EXPECT_EQ(replies.at("W").kind, ReplySpec::Kind::Silent);
    EXPECT_EQ(replies.at("GNM").bytes, "C");
    EXPECT_EQ(replies.at("GDN").bytes, std::string("\0\xff", 2));
    ASSERT_EQ(replies.at("X").bytes.size(), 5000u);
    EXPECT_EQ(replies.at("X").bytes.substr(0, 6), "AB1212");
    EXPECT_EQ(replies.at("E").kind, ReplySpec::Kind::Garbage);
    EXPECT_EQ(replies.at("E").length, 9u);
    EXPECT_EQ(replies.at("SNM").kind, ReplySpec::Kind::Own);
    EXPECT_EQ(replies.at("SNM").delay_ms, 3000);
    EXPECT_EQ(replies.at("?").kind, ReplySpec::Kind::Silent);
}

TEST(MuxSimConfig, RejectsBadConfigsNamingTheField)
{
    auto error_of = [](const char* text) -> std::string {
        try {
            DevicesFromJson(json::parse(text));
        } catch (const ConfigError& error) {
            return error.what();
        }
        return "(accepted)";
    };
    EXPECT_NE(error_of(R"({"devices": [{"mac": "A"}]})").find("needs \"ip\""), std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4"}]})").find("needs \"mac\""), std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.400", "mac": "A"}]})").find("devices[0].ip"), std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4", "mac": "\u0105"}]})").find("U+00FF"), std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "colour": 1}]})").find("colour"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"ZZ": "C"}}}]})")
                  .find("replies.ZZ"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"X": {"size": 70000}}}}]})")
                  .find("65507"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"delay_ms": -1}}]})").find("delay_ms"),
              std::string::npos);
    EXPECT_NE(
        error_of(
            R"({"devices": [{"ip": "1.2.3.4", "mac": "A", "faults": {"replies": {"X": {"text": "A", "hex": "41"}}}}]})")
            .find("only one"),
        std::string::npos);
    EXPECT_NE(error_of(R"([1])").find("object"), std::string::npos);
    EXPECT_EQ(error_of(R"({})"), "(accepted)");
}

TEST(MuxSimConfig, DeviceShorthand)
{
    const DeviceConfig device =
        DeviceFromShorthand("10.1.1.1,AA:BB,port=99,flags=00E,delay_ms=40,deny_login,refuse_selection=silent");
    EXPECT_EQ(device.ip, "10.1.1.1");
    EXPECT_EQ(device.mac, "AA:BB");
    EXPECT_EQ(device.port, "99");
    EXPECT_EQ(device.flags, "00E");
    EXPECT_EQ(device.faults.delay_ms, 40);
    EXPECT_EQ(device.faults.replies.at("L").bytes, "D");
    EXPECT_EQ(device.faults.replies.at("W").kind, ReplySpec::Kind::Silent);
    EXPECT_EQ(DeviceFromShorthand("10.1.1.1,A,refuse_selection").faults.replies.at("W").bytes, "C");
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1"), ConfigError);
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1,A,bogus=1"), ConfigError);
    EXPECT_THROW(DeviceFromShorthand("10.1.1.1,A,delay_ms=x"), ConfigError);
}

TEST(MuxSimPlay, SessionRulesForTwoDevices)
{
    DevicePlay play({MakeDevice("10.0.0.1", "AA"), MakeDevice("10.0.0.2", "BB")}, 1);
    EXPECT_EQ(Payloads(play.Take("X", std::nullopt)), (std::vector<std::string>{"AAA/1001/000", "ABB/1001/000"}));
    EXPECT_TRUE(play.Take("LQOVUT", std::nullopt).replies.empty()) << "no session yet";
    EXPECT_TRUE(play.Take("WCC", std::nullopt).replies.empty()) << "a W naming nobody";
    Outcome selected = play.Take("WBB", std::nullopt);
    ASSERT_EQ(selected.replies.size(), 1u);
    EXPECT_EQ(selected.replies[0].from, "10.0.0.2");
    EXPECT_EQ(Payloads(play.Take("GNM", std::nullopt)), std::vector<std::string>{"D"}) << "before login";
    EXPECT_EQ(Payloads(play.Take("Lqovut", std::nullopt)), std::vector<std::string>{"D"});
    EXPECT_EQ(Payloads(play.Take("LQOVUT", std::nullopt)), std::vector<std::string>{"A"});
    EXPECT_EQ(Payloads(play.Take("GNM", std::nullopt)), std::vector<std::string>{"A255.255.255.0"});
    EXPECT_EQ(Payloads(play.Take("GDN", std::nullopt)), std::vector<std::string>{"A0"});
    EXPECT_EQ(Payloads(play.Take("SNMnonsense", std::nullopt)), std::vector<std::string>{"C"});
    const Outcome mask = play.Take("SNM255.255.0.0", std::nullopt);
    EXPECT_EQ(Payloads(mask), std::vector<std::string>{"A"});
    ASSERT_EQ(mask.changes.size(), 1u);
    EXPECT_EQ(mask.changes[0].field, "mask");
    EXPECT_EQ(mask.changes[0].new_value, "255.255.0.0");
    EXPECT_EQ(Payloads(play.Take("HELLO", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_TRUE(play.Take("", std::nullopt).replies.empty());
    EXPECT_EQ(Payloads(play.Take("E", std::nullopt)), std::vector<std::string>{"A"});
    EXPECT_TRUE(play.Take("GNM", std::nullopt).replies.empty()) << "the session has ended";

    // A selection of the other device ends this one's session.
    play.Take("WAA", std::nullopt);
    play.Take("LQOVUT", std::nullopt);
    play.Take("WBB", std::nullopt);
    EXPECT_FALSE(play.Devices()[0].selected);
    EXPECT_FALSE(play.Devices()[0].logged_in);
    const Outcome mask_b = play.Take("GNM", std::nullopt);
    ASSERT_EQ(mask_b.replies.size(), 1u);
    EXPECT_EQ(mask_b.replies[0].payload, "D") << "BB is selected but not logged in";
}

TEST(MuxSimPlay, AssignByMacWorksWithoutSessionAndChecksItsFields)
{
    DevicePlay play({MakeDevice("10.0.0.1", "AA"), MakeDevice("10.0.0.2", "AA/X")}, 1);
    EXPECT_EQ(Payloads(play.Take("AAA/QOVUT", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_EQ(Payloads(play.Take("AAA/WRONG/10.9.9.9", std::nullopt)), std::vector<std::string>{"D"});
    EXPECT_EQ(Payloads(play.Take("AAA/QOVUT/10.9.9", std::nullopt)), std::vector<std::string>{"C"});
    const Outcome assigned = play.Take("AAA/QOVUT/10.9.9.9", std::nullopt);
    ASSERT_EQ(assigned.replies.size(), 1u);
    EXPECT_EQ(assigned.replies[0].payload, "A");
    EXPECT_EQ(assigned.replies[0].from, "10.0.0.1") << "the acknowledgement leaves from the old address";
    EXPECT_EQ(play.Devices()[0].config.ip, "10.9.9.9");
    EXPECT_EQ(play.Devices()[1].config.ip, "10.0.0.2");
    EXPECT_EQ(play.Take("X", std::nullopt).replies[0].from, "10.9.9.9");
    // A MAC containing "/" is matched whole.
    const Outcome slashed = play.Take("AAA/X/QOVUT/10.7.7.7", std::nullopt);
    ASSERT_EQ(slashed.takers.size(), 2u) << "both MACs are prefixes followed by /";
    EXPECT_EQ(play.Devices()[1].config.ip, "10.7.7.7");
}

TEST(MuxSimPlay, FaultsReplaceAnswersAndSkipTheCommand)
{
    DeviceConfig faulty = MakeDevice("10.0.0.1", "AA");
    faulty.faults.replies["SNM"] = ReplySpec{ReplySpec::Kind::Fixed, "F", 0, {}};
    faulty.faults.replies["GDN"] = ReplySpec{ReplySpec::Kind::Garbage, "", 17, {}};
    faulty.faults.replies["GNM"] = ReplySpec{ReplySpec::Kind::Own, "", 0, 1500};
    faulty.faults.replies["A"] = ReplySpec{ReplySpec::Kind::Silent, "", 0, {}};
    DeviceConfig refusing = MakeDevice("10.0.0.2", "BB");
    refusing.faults.replies["W"] = ReplySpec{ReplySpec::Kind::Fixed, "C", 0, {}};
    DeviceConfig silent = MakeDevice("10.0.0.3", "CC");
    silent.faults.silent = true;
    DevicePlay play({faulty, refusing, silent}, 1);

    EXPECT_EQ(play.Take("X", std::nullopt).replies.size(), 2u);
    EXPECT_TRUE(play.Take("WCC", std::nullopt).replies.empty());
    EXPECT_EQ(Payloads(play.Take("WBB", std::nullopt)), std::vector<std::string>{"C"});
    EXPECT_FALSE(play.Devices()[1].selected);
    play.Take("WAA", std::nullopt);
    play.Take("LQOVUT", std::nullopt);
    EXPECT_EQ(Payloads(play.Take("SNM255.0.0.0", std::nullopt)), std::vector<std::string>{"F"});
    EXPECT_EQ(play.Devices()[0].config.mask, "255.255.255.0") << "a refused command changes nothing";
    const Outcome garbage = play.Take("GDN", std::nullopt);
    ASSERT_EQ(garbage.replies.size(), 1u);
    EXPECT_EQ(garbage.replies[0].payload.size(), 17u);
    const Outcome late = play.Take("GNM", std::nullopt);
    ASSERT_EQ(late.replies.size(), 1u);
    EXPECT_EQ(late.replies[0].payload, "A255.255.255.0");
    EXPECT_EQ(late.replies[0].delay_ms, 1500);
    EXPECT_TRUE(play.Take("AAA/QOVUT/10.9.9.9", std::nullopt).replies.empty());
    EXPECT_EQ(play.Devices()[0].config.ip, "10.0.0.1");
}

TEST(MuxSimPlay, DestinationDecidesWhoHears)
{
    DevicePlay play({MakeDevice("192.168.1.10", "AA"), MakeDevice("192.168.2.10", "BB")}, 1);
    EXPECT_EQ(play.Take("X", ParseIPv4("255.255.255.255")).replies.size(), 2u);
    const Outcome direct = play.Take("X", ParseIPv4("192.168.2.10"));
    ASSERT_EQ(direct.replies.size(), 1u);
    EXPECT_EQ(direct.replies[0].from, "192.168.2.10");
    const Outcome subnet = play.Take("X", ParseIPv4("192.168.1.255"));
    ASSERT_EQ(subnet.replies.size(), 1u);
    EXPECT_EQ(subnet.replies[0].from, "192.168.1.10");
    EXPECT_TRUE(play.Take("X", ParseIPv4("192.168.3.3")).replies.empty());
}
