// SPDX-License-Identifier: MIT
// ARP on the simulated LAN: the simulator's Ethernet addresses, its ARP
// messages and plain hosts, and, through iputils' arping over the real
// segment, that only held addresses are answered.
#include "arp_message.h"
#include "device_config.h"
#include "ethernet_address.h"
#include "lan_client.h"
#include "muxsim_process.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace muxsim;
using nlohmann::json;

TEST(MuxSimArp, EthernetAddressesAndMessages)
{
    const std::vector<std::pair<std::string, std::string>> readable = {
        {"00:11:22:33:44:55", "00:11:22:33:44:55"},
        {"00-1A-2b-3C-4d-5E", "00:1a:2b:3c:4d:5e"},
        {"001122334455", "00:11:22:33:44:55"},
        {"0.14.198.74.16.1", "00:0e:c6:4a:10:01"},
        {"000.014.198.074.016.001", "00:0e:c6:4a:10:01"},
    };
    for (const auto& [text, formatted] : readable)
        EXPECT_EQ(FormatEthernetAddress(EthernetAddressOf(text)), formatted) << text;
    for (const std::string text :
         {"AA", "00:11:22:33:44", "00:11-22:33:44:55", "00:11:22:33:44:5g", "0011223344556", "0.14.198.74.16.256",
          "0.14.198.74.16", "0.14.198.74.16.1.", "0.14.198.74.16.0001"}) {
        EXPECT_FALSE(ParseEthernetAddress(text)) << text;
        const EthernetAddress derived = EthernetAddressOf(text);
        EXPECT_EQ(derived[0], 0x02) << text << ": locally administered unicast";
        EXPECT_EQ(derived, EthernetAddressOf(text)) << "stable";
    }
    EXPECT_NE(EthernetAddressOf("AA"), EthernetAddressOf("AB"));

    ArpRequest probe{*ParseEthernetAddress("02:00:00:00:00:01"), 0, inet_addr("192.168.1.30")};
    const std::string reply = ArpReply(probe, *ParseEthernetAddress("00:11:22:33:44:55"));
    ASSERT_EQ(reply.size(), 28u);
    EXPECT_EQ(reply.substr(0, 8), std::string("\0\1\10\0\6\4\0\2", 8));
    EXPECT_EQ(reply.substr(8, 6), std::string("\x00\x11\x22\x33\x44\x55", 6));
    EXPECT_EQ(reply.substr(18, 10), std::string("\2\0\0\0\0\1\0\0\0\0", 10)) << "back to the prober, at 0.0.0.0";
    EXPECT_FALSE(ParseArpRequest(reply)) << "a reply is no request";
    std::string request = reply;
    request[7] = 1;
    const auto parsed = ParseArpRequest(request);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->TargetAddress, 0u);
    EXPECT_EQ(parsed->SenderAddress, inet_addr("192.168.1.30"));
    EXPECT_FALSE(ParseArpRequest(request.substr(0, 27)));
}

TEST(MuxSimConfig, PlainHosts)
{
    const auto hosts =
        HostsFromJson(json::parse(R"({"devices": [], "hosts": [{"ip": "10.0.0.9", "mac": "0a:0b:0c:0d:0e:0f"}]})"));
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].IP, "10.0.0.9");
    EXPECT_EQ(hosts[0].Mac, "0a:0b:0c:0d:0e:0f");
    EXPECT_EQ(HostFromShorthand("192.168.1.20,00:11:22:33:44:66").IP, "192.168.1.20");
    const std::vector<std::pair<std::string, std::string>> bad = {
        {R"({"hosts": {}})", "config.hosts: must be an array"},
        {R"({"hosts": [{"ip": "10.0.0.9"}]})", "config.hosts[0]: needs \"mac\""},
        {R"({"hosts": [{"ip": "10.0.0.256", "mac": "00:11:22:33:44:55"}]})", "config.hosts[0].ip"},
        {R"({"hosts": [{"ip": "10.0.0.9", "mac": "AA"}]})", "config.hosts[0].mac: \"AA\" is not an Ethernet"},
        {R"({"hosts": [{"ip": "10.0.0.9", "mac": "00:11:22:33:44:55", "dn": "1"}]})", "config.hosts[0].dn"},
    };
    for (const auto& [text, reason] : bad) {
        try {
            HostsFromJson(json::parse(text));
            ADD_FAILURE() << text << " was accepted";
        } catch (const ConfigError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
    for (const char* text : {"192.168.1.20", "192.168.1.20,00:11:22:33:44:66,x", "192.168.1.20,AA"})
        EXPECT_THROW(HostFromShorthand(text), ConfigError) << text;
}

namespace {

// Whether some neighbour answers an RFC 5227 probe for `address`.
bool Answered(const std::string& address)
{
    const int status = std::system(("arping -q -D -I mux0 -c 2 -w 2 " + address).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "arping failed for " << address;
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

} // namespace

TEST(MuxSimArpLan, OnlyHeldAddressesAnswerAndTheyMoveWithTheDevice)
{
    MuxSimProcess sim(json{{"devices", {MuxSimProcess::Device("192.168.1.50", "AA")}},
                           {"hosts", {{{"ip", "10.0.0.9"}, {"mac", "00:11:22:33:44:66"}}}}});
    EXPECT_TRUE(Answered("192.168.1.50"));
    EXPECT_TRUE(Answered("10.0.0.9")) << "the plain host";
    EXPECT_FALSE(Answered("192.168.1.51")) << "local in the LAN, yet held by no one";
    LanClient client;
    ASSERT_EQ(client.Ask("AAA/QOVUT/192.168.1.60").size(), 1u);
    EXPECT_TRUE(Answered("192.168.1.60")) << "the new address";
    EXPECT_FALSE(Answered("192.168.1.50")) << "the old address";
    const auto arp = [](const json& entry) { return entry["event"] == "arp" && !entry["answers"].empty(); };
    ASSERT_TRUE(sim.WaitForLog(arp, 3));
    for (const auto& entry : sim.Log()) {
        if (arp(entry) && entry["address"] == "10.0.0.9") {
            EXPECT_EQ(entry["answers"][0]["mac"], "00:11:22:33:44:66");
        }
    }
    EXPECT_EQ(sim.Stop(), 0);
}
