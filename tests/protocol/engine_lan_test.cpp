// SPDX-License-Identifier: MIT
// The engine's waits on the real event loop and socket, against the
// simulator: what real timers and a real socket failure cost on the wire.
// The rules themselves are checked on a transport with its own clock
// (engine_rules_test).
#include "lan_helpers.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace protocol;
using lan::Clock;
using lan::MillisecondsSince;

namespace {

const std::string kMac = "00:20:4A:10:20:30";
const DeviceRow kDevice = lan::Unlisted("192.168.1.10", kMac);

TEST(RequestEngine, SilenceCostsThreeTriesTwoSecondsApart)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"replies", {{"L", nullptr}}}}}})}));
    ProtocolHarness h;
    const auto start = Clock::now();
    const ChangeOutcome outcome = h.Session.Change(kDevice, "192.168.1.15", "255.255.0.0");
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 500 + 5900);
    EXPECT_LT(elapsed, 500 + 9000);
    EXPECT_EQ(outcome.Status, kStatusNoReply);
    EXPECT_EQ(outcome.FailedStep, ChangeOutcome::Step::Login);
    EXPECT_EQ(StatusText(outcome.Status), "Brak odpowiedzi z multipleksera1");

    ASSERT_TRUE(sim.WaitForPayload(lan::Login(), 3));
    const auto times = lan::ReceiveTimes(sim, lan::Login());
    ASSERT_EQ(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 1900) << i;
        EXPECT_LT(times[i] - times[i - 1], 3000) << i;
    }
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, lan::Login(), lan::Login(), lan::Login()}));
}

// The platform starts refusing broadcasts during the collection window: the
// first selection fails, and that ends all work at once.
TEST(RequestEngine, AFailedSendEndsAllWorkAndIsReportedOnce)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac)}));
    ProtocolHarness h;
    QTimer::singleShot(1000, [&] { h.Transport.CommandSocket().SetBroadcastOption(false); });
    const auto start = Clock::now();
    const DiscoveryResult found = h.Session.Discover();
    EXPECT_LT(MillisecondsSince(start), 2000 + 500);
    EXPECT_FALSE(found.Finished);
    EXPECT_TRUE(found.Rows.empty());
    ASSERT_EQ(h.Failures.size(), 1u);
    EXPECT_NE(h.Failures[0], 0);
    EXPECT_TRUE(h.Session.Abandoned());

    // Even with broadcasts allowed again nothing more goes out.
    h.Transport.CommandSocket().SetBroadcastOption(true);
    EXPECT_FALSE(h.Session.Change(kDevice, "192.168.1.11", "").Ok());
    EXPECT_FALSE(h.Session.Discover().Finished);
    h.Session.Close();
    EXPECT_LT(MillisecondsSince(start), 2000 + 500);
    EXPECT_EQ(h.Failures.size(), 1u);
    EXPECT_FALSE(sim.WaitForReceived(2, std::chrono::milliseconds(500)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"X"}));
}

TEST(RequestEngine, AbandonEndsTheWaitAndStopsAllTraffic)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac, {{"faults", {{"silent", true}}}})}));
    ProtocolHarness h;
    QTimer::singleShot(300, [&] { h.Session.Abandon(); });
    const auto start = Clock::now();
    const ChangeOutcome outcome = h.Session.Change(kDevice, "192.168.1.11", "255.0.0.0");
    EXPECT_LT(MillisecondsSince(start), 1500);
    EXPECT_EQ(outcome.Status, kStatusNoReply);
    EXPECT_TRUE(h.Session.Abandoned());

    // Nothing more goes out and nothing is listed or waited for.
    const DiscoveryResult found = h.Session.Discover();
    EXPECT_FALSE(found.Finished);
    EXPECT_TRUE(found.Rows.empty());
    EXPECT_FALSE(h.Session.Change(kDevice, "192.168.1.11", "255.0.0.0").Ok());
    h.Session.Close();
    EXPECT_LT(MillisecondsSince(start), 1500);
    EXPECT_TRUE(h.Failures.empty());
    EXPECT_FALSE(sim.WaitForReceived(2, std::chrono::milliseconds(500)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac}));
}

TEST(RequestEngine, AbandonDuringTheCollectionWindowReturnsAtOnce)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kMac)}));
    ProtocolHarness h;
    QTimer::singleShot(200, [&] { h.Session.Abandon(); });
    const auto start = Clock::now();
    const DiscoveryResult found = h.Session.Discover();
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_FALSE(found.Finished);
    EXPECT_TRUE(found.Rows.empty());
    EXPECT_FALSE(sim.WaitForReceived(2, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"X"}));
}

} // namespace
