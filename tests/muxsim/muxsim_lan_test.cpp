// SPDX-License-Identifier: MIT
// The simulator over real UDP in the private LAN: a bare client on the
// workstation's port 1153 talks to muxsim run through MuxSimProcess.
#include "lan_client.h"
#include "muxsim_process.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

using namespace std::chrono_literals;
using namespace std::string_literals;
using nlohmann::json;

namespace {

// One exchange: broadcast, wait until muxsim has logged the datagram (its
// immediate replies are sent before that line is written), then collect
// what arrived.
class Exchange {
public:
    explicit Exchange(const MuxSimProcess& sim) : sim_(sim) {}

    std::vector<LanReply> Ask(std::string_view payload)
    {
        client_.Broadcast(payload);
        return Await();
    }

    std::vector<LanReply> AskAt(std::string_view address, std::string_view payload)
    {
        client_.SendTo(address, payload);
        return Await();
    }

    LanClient& Client() { return client_; }

private:
    std::vector<LanReply> Await()
    {
        ++sent_;
        EXPECT_TRUE(sim_.WaitForReceived(sent_)) << "muxsim did not log datagram " << sent_;
        return client_.Collect(150ms);
    }

    const MuxSimProcess& sim_;
    LanClient client_;
    std::size_t sent_ = 0;
};

std::vector<std::string> PayloadsOf(const std::vector<LanReply>& replies)
{
    std::vector<std::string> payloads;
    for (const auto& reply : replies)
        payloads.push_back(reply.Payload);
    return payloads;
}

std::multiset<std::string> SendersOf(const std::vector<LanReply>& replies)
{
    std::multiset<std::string> senders;
    for (const auto& reply : replies)
        senders.insert(reply.From);
    return senders;
}

using Payloads = std::vector<std::string>;

} // namespace

TEST(MuxSimLan, DiscoveryIsAnsweredByEveryDeviceFromItsOwnAddress)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "00:11:22:33:44:55"),
                               MuxSimProcess::Device("10.20.30.40", "AA-BB", {{"port", "4001"}, {"flags", "00E"}}),
                               MuxSimProcess::Device("172.16.5.5", "m\xe9\xff"),
                               MuxSimProcess::Device("10.9.9.9", "0.14.198.74.16.1", {{"reply_to_broadcast", true}}),
                               MuxSimProcess::Device("192.168.77.1", "SILENT", {{"faults", {{"silent", true}}}})}));
    Exchange exchange(sim);
    const auto replies = exchange.Ask("X");
    ASSERT_EQ(replies.size(), 4u);
    for (const auto& reply : replies)
        EXPECT_EQ(reply.Port, 65535);
    EXPECT_EQ(SendersOf(replies),
              (std::multiset<std::string>{"192.168.1.10", "10.20.30.40", "172.16.5.5", "10.9.9.9"}));
    std::vector<std::string> sorted = PayloadsOf(replies);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted,
              (Payloads{"A0.14.198.74.16.1/1001/000", "A00:11:22:33:44:55/1001/000", "AAA-BB/4001/00E",
                        "Am\xe9\xff/1001/000"}));

    const auto logged = sim.Received();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0]["from"], "192.168.1.1:1153");
    EXPECT_EQ(logged[0]["to"], "255.255.255.255");
    EXPECT_EQ(logged[0]["command"], "X");
    EXPECT_EQ(logged[0]["devices"].size(), 4u);
    EXPECT_TRUE(logged[0]["device"].is_null()) << "several devices took it";
    for (const auto& reply : logged[0]["replies"])
        EXPECT_EQ(reply["to"], reply["from"] == "10.9.9.9" ? "255.255.255.255:1153" : "192.168.1.1:1153");
    const auto loggedReplies = MuxSimProcess::ReplyPayloads(logged[0]);
    EXPECT_NE(std::find(loggedReplies.begin(), loggedReplies.end(), "Am\xe9\xff/1001/000"), loggedReplies.end());
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, SelectionLoginAndSessionRules)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "AA", {{"dn", "7"}}),
                                             MuxSimProcess::Device("10.0.0.2", "BB", {{"mask", "255.0.0.0"}})}));
    Exchange exchange(sim);
    EXPECT_TRUE(exchange.Ask("LQOVUT").empty()) << "no device is selected yet";
    EXPECT_TRUE(exchange.Ask("WCC").empty()) << "a W naming no device is answered by no one";

    auto replies = exchange.Ask("WBB");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload, "A");
    EXPECT_EQ(replies[0].From, "10.0.0.2");
    EXPECT_EQ(PayloadsOf(exchange.Ask("GNM")), Payloads{"D"}) << "not logged in";
    EXPECT_EQ(PayloadsOf(exchange.Ask("LWRONG")), Payloads{"D"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("LQOVUT")), Payloads{"A"});
    replies = exchange.Ask("GNM");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload, "A255.0.0.0");
    EXPECT_EQ(replies[0].From, "10.0.0.2");

    // Selecting the other device ends BB's session.
    EXPECT_EQ(PayloadsOf(exchange.Ask("WAA")), Payloads{"A"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("LQOVUT")), Payloads{"A"});
    replies = exchange.Ask("GDN");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload, "A7");
    EXPECT_EQ(replies[0].From, "192.168.1.10");
    EXPECT_EQ(PayloadsOf(exchange.Ask("BOGUS")), Payloads{"C"}) << "unknown command, selected device";
    EXPECT_EQ(PayloadsOf(exchange.Ask("E")), Payloads{"A"});
    EXPECT_TRUE(exchange.Ask("GNM").empty()) << "the session has ended";
    EXPECT_TRUE(exchange.Ask("E").empty());

    const auto selected = sim.StateChanges("selected");
    ASSERT_GE(selected.size(), 3u);
    EXPECT_EQ(selected[0]["device"], "BB");
    EXPECT_EQ(selected[0]["new"], true);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, MaskAndAddressChangesTakeEffectAndAreLogged)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.50", "AA")}));
    Exchange exchange(sim);
    exchange.Ask("WAA");
    exchange.Ask("LQOVUT");
    EXPECT_EQ(PayloadsOf(exchange.Ask("SNM255.255.0.0")), Payloads{"A"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("GNM")), Payloads{"A255.255.0.0"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("SNM255.255")), Payloads{"C"});

    EXPECT_EQ(PayloadsOf(exchange.Ask("AAA/QOVUX/10.1.2.3")), Payloads{"D"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("AAA/QOVUT/10.1.2")), Payloads{"C"});
    auto replies = exchange.Ask("AAA/QOVUT/10.1.2.3");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload, "A");
    EXPECT_EQ(replies[0].From, "192.168.1.50") << "acknowledged from the old address";
    replies = exchange.Ask("X");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].From, "10.1.2.3");
    EXPECT_EQ(replies[0].Payload, "AAA/1001/000");

    const auto masks = sim.StateChanges("mask");
    ASSERT_EQ(masks.size(), 1u);
    EXPECT_EQ(masks[0]["old"], "255.255.255.0");
    EXPECT_EQ(masks[0]["new"], "255.255.0.0");
    const auto addresses = sim.StateChanges("address");
    ASSERT_EQ(addresses.size(), 1u);
    EXPECT_EQ(addresses[0]["old"], "192.168.1.50");
    EXPECT_EQ(addresses[0]["new"], "10.1.2.3");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, FaultsShapeTheAnswers)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.11", "REFUSE-C", {{"faults", {{"refuse_selection", "C"}}}}),
         MuxSimProcess::Device("192.168.1.12", "REFUSE-SILENT", {{"faults", {{"refuse_selection", nullptr}}}}),
         MuxSimProcess::Device("192.168.1.13", "NOLOGIN", {{"faults", {{"deny_login", true}}}}),
         MuxSimProcess::Device("192.168.1.14", "CF", {{"faults", {{"replies", {{"GNM", "C"}, {"GDN", "F"}}}}}}),
         MuxSimProcess::Device(
             "192.168.1.15", "ODD",
             {{"faults",
               {{"replies",
                 {{"GNM", json::object({{"garbage", 40}})}, {"GDN", ""}, {"E", json::object({{"size", 5000}})}}}}}})}));
    Exchange exchange(sim);
    EXPECT_EQ(PayloadsOf(exchange.Ask("WREFUSE-C")), Payloads{"C"});
    EXPECT_TRUE(exchange.Ask("LQOVUT").empty()) << "a refused selection selects nothing";
    EXPECT_TRUE(exchange.Ask("WREFUSE-SILENT").empty());

    exchange.Ask("WNOLOGIN");
    EXPECT_EQ(PayloadsOf(exchange.Ask("LQOVUT")), Payloads{"D"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("GNM")), Payloads{"D"});

    exchange.Ask("WCF");
    exchange.Ask("LQOVUT");
    EXPECT_EQ(PayloadsOf(exchange.Ask("GNM")), Payloads{"C"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("GDN")), Payloads{"F"});

    exchange.Ask("WODD");
    exchange.Ask("LQOVUT");
    auto replies = exchange.Ask("GNM");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload.size(), 40u);
    const auto logged = sim.ReceivedWithPayload("GNM").back();
    EXPECT_EQ(MuxSimProcess::ReplyPayloads(logged), Payloads{replies[0].Payload}) << "the log has the exact bytes";
    replies = exchange.Ask("GDN");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload, "") << "an empty datagram";
    replies = exchange.Ask("E");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].Payload.size(), 5000u);
    EXPECT_EQ(replies[0].Payload.substr(0, 3), "Axx");
    replies = exchange.Ask("GNM");
    ASSERT_EQ(replies.size(), 1u) << "an overridden E leaves the session open";
    EXPECT_EQ(replies[0].Payload.size(), 40u);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, LateRepliesLeaveAfterTheirDelay)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.20", "SLOW", {{"faults", {{"delay_ms", 600}}}}),
         MuxSimProcess::Device(
             "192.168.1.21", "QUICK",
             {{"faults",
               {{"replies", {{"X", json::object({{"delay_ms", 0}})}, {"W", json::object({{"delay_ms", 400}})}}}}}})}));
    LanClient client;
    const auto sentAt = std::chrono::steady_clock::now();
    client.Broadcast("X");
    const auto replies = client.Collect(1500ms);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].From, "192.168.1.21");
    EXPECT_EQ(replies[1].From, "192.168.1.20");
    EXPECT_GE(replies[1].At - sentAt, 500ms);

    const auto selectAt = std::chrono::steady_clock::now();
    client.Broadcast("WQUICK");
    const auto selected = client.Receive(2000ms);
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->Payload, "A");
    EXPECT_GE(selected->At - selectAt, 300ms);
    EXPECT_TRUE(sim.WaitForLog([](const json& entry) { return entry["event"] == "sent"; }, 2));
    const auto received = sim.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1]["replies"][0]["delay_ms"], 400);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, RestartsAfterAnEndThatClosesAChangeAndKnowsItsMacAsItSpellsIt)
{
    const std::string mac = "000.014.198.074.016.001";
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.90", mac, {{"restart_seconds", 2}})}));
    EXPECT_EQ(sim.Log().front()["devices"][0]["hardware"], "00:0e:c6:4a:10:01") << "what it answers ARP with";
    Exchange exchange(sim);
    EXPECT_TRUE(exchange.Ask("W0.14.198.74.16.1").empty());
    EXPECT_TRUE(exchange.Ask("W00:0E:C6:4A:10:01").empty());
    for (const std::string& command : {"W" + mac, "LQOVUT"s, "A" + mac + "/QOVUT/192.168.1.91", "E"s})
        EXPECT_EQ(PayloadsOf(exchange.Ask(command)), Payloads{"A"}) << command;
    EXPECT_TRUE(exchange.Ask("X").empty()) << "restarting";
    const auto back = [](const json& entry) {
        return entry.value("field", "") == "restarting" && entry["new"] == false;
    };
    ASSERT_TRUE(sim.WaitForLog(back));
    EXPECT_EQ(SendersOf(exchange.Ask("X")), std::multiset<std::string>{"192.168.1.91"}) << "back, at its new address";
    EXPECT_EQ(sim.StateChanges("restarting").size(), 2u);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, TwoDevicesWithOneAddressBothAnswer)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.30", "ONE"),
                                             MuxSimProcess::Device("192.168.1.30", "TWO"),
                                             MuxSimProcess::Device("192.168.1.31", "TWO")}));
    Exchange exchange(sim);
    const auto replies = exchange.Ask("X");
    EXPECT_EQ(SendersOf(replies), (std::multiset<std::string>{"192.168.1.30", "192.168.1.30", "192.168.1.31"}));
    EXPECT_EQ(exchange.Ask("WTWO").size(), 2u) << "one MAC twice: both are selected";
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, DatagramToOneAddressIsHeardOnlyThere)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.40", "A1"), MuxSimProcess::Device("192.168.2.40", "A2")}));
    Exchange exchange(sim);
    const auto replies = exchange.AskAt("192.168.2.40", "X");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].From, "192.168.2.40");
    EXPECT_EQ(sim.Received().back()["to"], "192.168.2.40");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, LogKeepsTheExactBytesOfEveryDatagram)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.60", "M\x80\xff")}));
    Exchange exchange(sim);
    const std::string binary("W\0\x01\x7f\x80\xc3\xa9\xff", 8);
    exchange.Ask(binary);
    EXPECT_EQ(PayloadsOf(exchange.Ask("WM\x80\xff")), Payloads{"A"});
    const auto received = sim.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0]["hex"], "5700017f80c3a9ff");
    EXPECT_EQ(received[0]["len"], 8);
    EXPECT_EQ(MuxSimProcess::PayloadBytes(received[0]), binary);
    // The JSON text carries each byte as one code point too.
    EXPECT_EQ(received[0]["payload"], MuxSimProcess::BytesAsJsonText(binary));
    EXPECT_EQ(received[1]["device"], MuxSimProcess::BytesAsJsonText("M\x80\xff"));
    EXPECT_EQ(sim.CountReceived("WM\x80\xff"), 1u);
    EXPECT_EQ(sim.ReceivedPayloads(), (Payloads{binary, "WM\x80\xff"}));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, HostileInputNeverStopsIt)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.70", "AA")}));
    Exchange exchange(sim);
    EXPECT_TRUE(exchange.Ask("").empty());
    EXPECT_TRUE(exchange.Ask(std::string(65507, '\xee')).empty());
    EXPECT_TRUE(exchange.Ask("W").empty());
    EXPECT_TRUE(exchange.Ask("A").empty());
    EXPECT_TRUE(exchange.Ask("AAA").empty());
    EXPECT_TRUE(exchange.Ask("SNM").empty());
    EXPECT_TRUE(exchange.Ask(std::string("\0\0\0", 3)).empty());
    exchange.Ask("WAA");
    EXPECT_EQ(PayloadsOf(exchange.Ask("SNM")), Payloads{"D"});
    exchange.Ask("LQOVUT");
    EXPECT_EQ(PayloadsOf(exchange.Ask("SNM")), Payloads{"C"});
    EXPECT_EQ(PayloadsOf(exchange.Ask(std::string(3000, 'X'))), Payloads{"C"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("AAA/QOVUT/")), Payloads{"C"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("AAA/QOVUT/1.2.3.4\0"s)), Payloads{"C"});
    EXPECT_EQ(PayloadsOf(exchange.Ask("X")), Payloads{"AAA/1001/000"}) << "still serving";
    EXPECT_EQ(sim.Received()[1]["len"], 65507);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_NE(sim.StdoutText().find("received 15 datagrams"), std::string::npos) << sim.StdoutText();
}

TEST(MuxSimLan, StopsCleanlyAndLogsTheStop)
{
    MuxSimProcess sim(MuxSimProcess::Config({}));
    EXPECT_TRUE(sim.Running());
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(sim.Running());
    EXPECT_EQ(sim.Stop(), 0) << "a second stop reports the same";
    const auto log = sim.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front()["event"], "start");
    EXPECT_EQ(log.back()["event"], "stop");
    EXPECT_EQ(log.back()["received"], 0);
}

TEST(MuxSimLan, StopsOnSigintToo)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.80", "AA")}));
    ASSERT_EQ(kill(sim.Pid(), SIGINT), 0);
    EXPECT_TRUE(sim.WaitForLog([](const json& entry) { return entry["event"] == "stop"; }));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(MuxSimLan, TwoInstancesShareThePort)
{
    MuxSimProcess first(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.81", "FIRST")}));
    MuxSimProcess second(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.82", "SECOND")}));
    LanClient client;
    client.Broadcast("X");
    ASSERT_TRUE(first.WaitForReceived(1));
    ASSERT_TRUE(second.WaitForReceived(1));
    EXPECT_EQ(SendersOf(client.Collect(300ms)), (std::multiset<std::string>{"192.168.1.81", "192.168.1.82"}));
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_EQ(second.Stop(), 0);
}

TEST(MuxSimLan, BadConfigFailsTheStartWithItsReason)
{
    try {
        MuxSimProcess sim(MuxSimProcess::Config({json{{"ip", "192.168.1.300"}, {"mac", "AA"}}}));
        ADD_FAILURE() << "muxsim started with a bad address";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("config.devices[0].ip"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("exit code 2"), std::string::npos) << error.what();
    }
}

TEST(MuxSimLan, HelpDocumentsTheInterface)
{
    const std::string command = std::string(MUX_BIN_DIR) + "/muxsim --help";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    for (const char* topic : {"--config", "--device", "--log", "--ready-file", "--flood", "refuse_selection",
                              "deny_login", "delay_ms", "garbage", "SIGTERM", "\"event\":\"received\""})
        EXPECT_NE(text.find(topic), std::string::npos) << topic;
}
