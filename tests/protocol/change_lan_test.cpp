// SPDX-License-Identifier: MIT
// Reconfiguration of one device over real UDP against the simulator.
#include "lan_helpers.h"

#include <gtest/gtest.h>

using namespace protocol;
using lan::Clock;
using lan::MillisecondsSince;

namespace {

const std::string kMac = "00:20:4A:AB:CD:EF";
const std::string kAddress = "192.168.1.10";

nlohmann::json OneDevice(const nlohmann::json& faults = nlohmann::json::object())
{
    return MuxSimProcess::Config({MuxSimProcess::Device(kAddress, kMac, {{"faults", faults}})});
}

std::string Assign(const std::string& mac, const std::string& address) { return "A" + mac + "/QOVUT/" + address; }

const DeviceRow kDevice = lan::Unlisted(kAddress, kMac);
using Step = ChangeOutcome::Step;

TEST(ChangeDevice, SameAddressAndNoMaskSendSelectionLoginAndClosing)
{
    MuxSimProcess sim(OneDevice());
    ProtocolHarness h;
    const ChangeOutcome outcome = h.Session.Change(kDevice, kAddress, "");
    EXPECT_TRUE(outcome.Ok() && outcome.AddressTaken && !outcome.MaskTaken);
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", "E"}));
}

// A second device with the same MAC takes the selection and answers at once
// from another address: the change stops before the login and says where.
TEST(ChangeDevice, ASecondDeviceTakingTheSelectionStopsTheChangeBeforeTheLogin)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device(kAddress, kMac, {{"faults", {{"delay_ms", 800}}}}),
                               MuxSimProcess::Device("192.168.1.11", kMac, {{"faults", {{"deny_login", true}}}})}));
    ProtocolHarness h;
    const ChangeOutcome outcome = h.Session.Change(kDevice, kAddress, "255.255.0.0");
    EXPECT_EQ(outcome.MacAlsoAt, "192.168.1.11");
    EXPECT_EQ(outcome.FailedStep, Step::Login);
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.CountReceived("LQOVUT"), 0u);
}

TEST(ChangeDevice, AnAcceptedAssignIsSentThreeTimesThenTheMaskAndClosing)
{
    MuxSimProcess sim(OneDevice());
    ProtocolHarness h;
    const ChangeOutcome outcome = h.Session.Change(kDevice, "10.1.2.3", "255.0.0.0");
    EXPECT_TRUE(outcome.Ok() && outcome.AddressTaken && outcome.MaskTaken);
    ASSERT_TRUE(sim.WaitForPayload("E"));
    const std::string assign = Assign(kMac, "10.1.2.3");
    EXPECT_EQ(assign.size(), 1 + kMac.size() + 7 + std::string("10.1.2.3").size());
    EXPECT_EQ(sim.ReceivedPayloads(),
              (std::vector<std::string>{"W" + kMac, "LQOVUT", assign, assign, assign, "SNM255.0.0.0", "E"}));
}

TEST(ChangeDevice, SilenceAfterTheAssignCountsAsSuccess)
{
    MuxSimProcess sim(OneDevice({{"replies", {{"A", nullptr}}}}));
    ProtocolHarness h;
    const auto start = Clock::now();
    EXPECT_TRUE(h.Session.Change(kDevice, "192.168.1.11", "255.255.0.0").Ok());
    EXPECT_GE(MillisecondsSince(start), 500 + 1900);
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.ReceivedPayloads(),
              (std::vector<std::string>{"W" + kMac, "LQOVUT", Assign(kMac, "192.168.1.11"), "SNM255.255.0.0", "E"}));
}

TEST(ChangeDevice, ARefusedAssignEndsTheChange)
{
    MuxSimProcess sim(OneDevice({{"replies", {{"A", "C"}}}}));
    ProtocolHarness h;
    const ChangeOutcome outcome = h.Session.Change(kDevice, "192.168.1.12", "255.255.0.0");
    EXPECT_EQ(outcome.Status, kStatusBadCommand);
    EXPECT_EQ(outcome.FailedStep, Step::Assign);
    EXPECT_FALSE(outcome.AddressTaken);
    const std::string assign = Assign(kMac, "192.168.1.12");
    ASSERT_TRUE(sim.WaitForPayload(assign, 3));
    EXPECT_FALSE(sim.WaitForPayload("E", 1, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", assign, assign, assign}));
}

TEST(ChangeDevice, ADeniedLoginEndsTheChangeAndNothingFollows)
{
    MuxSimProcess sim(OneDevice({{"deny_login", true}}));
    ProtocolHarness h;
    const auto start = Clock::now();
    const ChangeOutcome outcome = h.Session.Change(kDevice, "192.168.1.13", "255.255.0.0");
    EXPECT_LT(MillisecondsSince(start), 500 + 1500) << "refusals end their tries at once";
    EXPECT_EQ(outcome.Status, kStatusAccessDenied);
    EXPECT_EQ(outcome.FailedStep, Step::Login);
    ASSERT_TRUE(sim.WaitForPayload("LQOVUT", 3));
    EXPECT_FALSE(sim.WaitForReceived(5, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", "LQOVUT", "LQOVUT"}));
}

TEST(ChangeDevice, ARefusedSelectionEndsTheChangeAndNothingFollows)
{
    MuxSimProcess sim(OneDevice({{"refuse_selection", "D"}}));
    ProtocolHarness h;
    const ChangeOutcome outcome = h.Session.Change(kDevice, "192.168.1.14", "255.255.0.0");
    EXPECT_EQ(outcome.Status, kStatusAccessDenied);
    EXPECT_EQ(outcome.FailedStep, Step::Select);
    ASSERT_TRUE(sim.WaitForPayload("W" + kMac, 3));
    EXPECT_FALSE(sim.WaitForReceived(4, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>(3, "W" + kMac)));
}

TEST(ChangeDevice, ChangingOneOfThreeChangesOnlyThatOne)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.21", "MAC-1", {{"mask", "255.255.255.0"}}),
                               MuxSimProcess::Device("192.168.1.22", "MAC-2", {{"mask", "255.255.255.0"}}),
                               MuxSimProcess::Device("192.168.1.23", "MAC-3", {{"mask", "255.255.255.0"}})}));
    ProtocolHarness h;
    const DiscoveryResult before = h.Session.Discover();
    ASSERT_EQ(before.Rows.size(), 3u);
    // The device read last is still selected; change another one.
    ASSERT_TRUE(sim.WaitForPayload("GDN", 3));
    std::string lastSelected;
    for (const auto& payload : sim.ReceivedPayloads())
        if (payload[0] == 'W')
            lastSelected = payload.substr(1);
    std::size_t row = 0;
    while (before.Rows[row].Mac == lastSelected)
        ++row;
    const DeviceRow& chosen = before.Rows[row];
    const std::string mac = chosen.Mac;
    ASSERT_NE(mac, lastSelected);
    EXPECT_TRUE(h.Session.Change(chosen, "172.16.5.6", "255.255.0.0").Ok());

    ASSERT_TRUE(sim.WaitForPayload("E"));
    for (const auto& entry : sim.StateChanges("address"))
        EXPECT_EQ(entry.at("device"), mac) << entry.dump();
    for (const auto& entry : sim.StateChanges("mask"))
        EXPECT_EQ(entry.at("device"), mac) << entry.dump();
    EXPECT_FALSE(sim.StateChanges("address").empty());
    EXPECT_FALSE(sim.StateChanges("mask").empty());

    // The next discovery finds it at its new address with its new mask.
    const DiscoveryResult after = h.Session.Discover();
    ASSERT_EQ(after.Rows.size(), 3u);
    for (const DeviceRow& listed : after.Rows) {
        if (listed.Mac == mac) {
            EXPECT_EQ(listed.Address, "172.16.5.6");
            EXPECT_EQ(listed.Mask, "255.255.0.0");
        } else {
            EXPECT_NE(listed.Address, "172.16.5.6");
            EXPECT_EQ(listed.Mask, "255.255.255.0");
        }
    }
}

} // namespace
