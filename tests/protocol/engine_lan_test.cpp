// SPDX-License-Identifier: MIT
// The request/reply engine over real UDP against the simulator.
#include "lan_helpers.h"

#include "net/errors/socket_errors.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace protocol;
using lan::Clock;
using lan::MillisecondsSince;

namespace {

const std::string kMac = "00:20:4A:10:20:30";

TEST(RequestEngine, AnAcceptedFirstTryCostsOneDatagram)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac)}));
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.SendCommand("W" + kMac, 3), 0);
    EXPECT_EQ(h.protocol.SendCommand("", 0), 0) << "no tries: nothing sent, status unchanged";
    ASSERT_TRUE(sim.WaitForPayload("W" + kMac));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac}));

    // A read-readiness event with no datagram waiting changes nothing.
    h.timeout.start(2000);
    h.protocol.GniazdoTransmisjiRozkazowDoModuluDataAvailable();
    EXPECT_TRUE(h.timeout.isActive());
    EXPECT_EQ(h.protocol.ReplyStatus(), 0);
    h.timeout.stop();
}

TEST(RequestEngine, SilenceCostsThreeTriesTwoSecondsApart)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"silent", true}}}})}));
    ProtocolHarness h;
    const auto start = Clock::now();
    EXPECT_EQ(h.protocol.SendCommand(lan::Login(), 3), 4);
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 5900);
    EXPECT_LT(elapsed, 9000);
    EXPECT_EQ(h.protocol.ReplyStatus(), 4);
    EXPECT_FALSE(h.timeout.isActive());

    ASSERT_TRUE(sim.WaitForPayload(lan::Login(), 3));
    const auto times = lan::ReceiveTimes(sim, lan::Login());
    ASSERT_EQ(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 1900) << i;
        EXPECT_LT(times[i] - times[i - 1], 3000) << i;
    }
}

TEST(RequestEngine, ARefusalIsTriedAgainAndReturnsItsCode)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"deny_login", true}}}})}));
    ProtocolHarness h;
    ASSERT_EQ(h.protocol.SendCommand("W" + kMac, 3), 0);
    const auto start = Clock::now();
    const int result = h.protocol.SendCommand(lan::Login(), 3);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(StatusText(static_cast<uint32_t>(result)), "Brak dostępu - prawdopodobnie złe hasło.");
    EXPECT_LT(MillisecondsSince(start), 1500) << "refusals end their tries at once";
    EXPECT_TRUE(sim.WaitForPayload(lan::Login(), 3));
    EXPECT_EQ(sim.CountReceived(lan::Login()), 3u);
}

TEST(RequestEngine, ALateReplyIsTakenByThePendingRequest)
{
    const std::string silentMac = "00:20:4A:99:99:99";
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"replies", {{"L", {{"delay_ms", 2600}}}}}}}}),
         MuxSimProcess::Device("192.168.1.11", silentMac, {{"faults", {{"refuse_selection", nullptr}}}})}));
    ProtocolHarness h;
    ASSERT_EQ(h.protocol.SendCommand("W" + kMac, 1), 0);
    EXPECT_EQ(h.protocol.SendCommand(lan::Login(), 1), 4) << "the answer comes after the try's 2000 ms";

    // Nobody answers this selection; the login's late "A" settles it.
    const auto start = Clock::now();
    EXPECT_EQ(h.protocol.SendCommand("W" + silentMac, 1), 0);
    EXPECT_LT(MillisecondsSince(start), 1500);
}

TEST(RequestEngine, RepliesThatSettleNothingStillEndTheTryByItsDeadline)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device(
        "192.168.1.10", kMac,
        {{"faults", {{"replies", {{"GNM", ""}, {"GDN", "Zgarbage"}, {"?", {{"garbage", 64}}}}}}}})}));
    ProtocolHarness h;
    ASSERT_EQ(h.protocol.SendCommand("W" + kMac, 1), 0);
    ASSERT_EQ(h.protocol.SendCommand(lan::Login(), 1), 0);
    for (const std::string command : {"GNM", "GDN"}) {
        const auto start = Clock::now();
        EXPECT_EQ(h.protocol.SendCommand(command, 1), 4) << command;
        const auto elapsed = MillisecondsSince(start);
        EXPECT_GE(elapsed, 1900) << command;
        EXPECT_LT(elapsed, 3500) << command;
    }
    // Random bytes may happen to start with a reply letter; either way the
    // request ends.
    const auto start = Clock::now();
    const int result = h.protocol.SendCommand("QQQ", 1);
    EXPECT_NE(result, kStatusPending);
    EXPECT_LT(MillisecondsSince(start), 3500);
}

TEST(RequestEngine, AFailedSendEndsByTheTimerUnlessItSelectsOrLogsIn)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac)}));
    ProtocolHarness h;
    int errors = 0;
    h.socket.OnError = [&](net::ASocket&) { ++errors; };

    h.socket.SetBroadcastOption(false); // the platform now refuses broadcasts
    const auto start = Clock::now();
    EXPECT_EQ(h.protocol.SendCommand("W" + kMac, 1), 4);
    EXPECT_GE(MillisecondsSince(start), 1900);
    EXPECT_EQ(errors, 1);
    EXPECT_NE(h.socket.ErrorCode(), 0);

    // The per-device read lets the selection's error through to its caller.
    h.socket.SetBroadcastOption(true);
    h.protocol.StartDiscovery();
    QTimer::singleShot(1000, [&] { h.socket.SetBroadcastOption(false); });
    EXPECT_THROW(h.protocol.ReadAllDevices(), net::EWinSock);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"X"}));
}

TEST(RequestEngine, AbandonEndsTheWaitAndStopsAllTraffic)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"deny_login", true}}}}),
                               MuxSimProcess::Device("192.168.1.20", "SILENT", {{"faults", {{"silent", true}}}})}));
    ProtocolHarness h;
    QTimer::singleShot(300, [&] { h.protocol.Abandon(); });
    const auto start = Clock::now();
    EXPECT_EQ(h.protocol.SendCommand("WSILENT", 3), 4);
    EXPECT_LT(MillisecondsSince(start), 1500);
    EXPECT_TRUE(h.protocol.Abandoned());

    // Nothing more goes out, nothing is shown or listed.
    h.protocol.StartDiscovery();
    EXPECT_FALSE(h.protocol.ReadAllDevices());
    h.protocol.ListDevices();
    EXPECT_TRUE(h.list.rows.empty());
    EXPECT_EQ(h.protocol.ChangeDevice("192.168.1.10", "192.168.1.11", kMac, "255.0.0.0"), 4);
    EXPECT_EQ(h.protocol.AssignAddress("192.168.1.11", kMac, 3), 0);
    EXPECT_EQ(h.protocol.SendCommand("W" + kMac, 3), 4);
    EXPECT_LT(MillisecondsSince(start), 1500);
    EXPECT_TRUE(h.messages.shown.empty());

    // Datagrams still arriving are read and dropped.
    h.protocol.TimeoutTimer();
    EXPECT_EQ(h.protocol.ReplyStatus(), 4);
    EXPECT_FALSE(sim.WaitForReceived(2, std::chrono::milliseconds(500)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"WSILENT"}));
}

TEST(RequestEngine, AbandonDuringTheCollectionWindowReturnsAtOnce)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac)}));
    ProtocolHarness h;
    h.protocol.StartDiscovery();
    QTimer::singleShot(200, [&] { h.protocol.Abandon(); });
    const auto start = Clock::now();
    EXPECT_FALSE(h.protocol.ReadAllDevices());
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"X"}));
}

} // namespace
