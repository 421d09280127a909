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

TEST(ChangeDevice, SameAddressAndNoMaskSendSelectionLoginAndClosing)
{
    MuxSimProcess sim(OneDevice());
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, kAddress, kMac, ""), 0);
    EXPECT_TRUE(h.messages.shown.empty());
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", "E"}));
}

// A second device with the same MAC (or another workstation's traffic)
// answers at once from another address; only the device's own late answers count.
TEST(ChangeDevice, RepliesFromOtherAddressesAreLeftAside)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device(kAddress, kMac, {{"faults", {{"delay_ms", 800}}}}),
                               MuxSimProcess::Device("192.168.1.11", kMac, {{"faults", {{"deny_login", true}}}})}));
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, kAddress, kMac, "255.255.0.0"), 0);
    EXPECT_TRUE(h.messages.shown.empty());
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.CountReceived("LQOVUT"), 1u);
}

TEST(ChangeDevice, AnAcceptedAssignIsSentThreeTimesThenTheMaskAndClosing)
{
    MuxSimProcess sim(OneDevice());
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "10.1.2.3", kMac, "255.0.0.0"), 0);
    EXPECT_TRUE(h.messages.shown.empty());
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
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "192.168.1.11", kMac, "255.255.0.0"), 0);
    EXPECT_GE(MillisecondsSince(start), 500 + 1900);
    EXPECT_TRUE(h.messages.shown.empty());
    ASSERT_TRUE(sim.WaitForPayload("E"));
    EXPECT_EQ(sim.ReceivedPayloads(),
              (std::vector<std::string>{"W" + kMac, "LQOVUT", Assign(kMac, "192.168.1.11"), "SNM255.255.0.0", "E"}));
}

TEST(ChangeDevice, ARefusedAssignIsShownOnceAndEndsTheChange)
{
    MuxSimProcess sim(OneDevice({{"replies", {{"A", "C"}}}}));
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "192.168.1.12", kMac, "255.255.0.0"), 1);
    EXPECT_EQ(h.messages.shown, (std::vector<std::string>{"Niewłaściwa nazwa/parametr funkcji."}));
    const std::string assign = Assign(kMac, "192.168.1.12");
    ASSERT_TRUE(sim.WaitForPayload(assign, 3));
    EXPECT_FALSE(sim.WaitForPayload("E", 1, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", assign, assign, assign}));
}

TEST(ChangeDevice, ADeniedLoginIsShownOnceAndNothingFollows)
{
    MuxSimProcess sim(OneDevice({{"deny_login", true}}));
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "192.168.1.13", kMac, "255.255.0.0"), 3);
    EXPECT_EQ(h.messages.shown, (std::vector<std::string>{"Brak dostępu - prawdopodobnie złe hasło."}));
    ASSERT_TRUE(sim.WaitForPayload("LQOVUT", 3));
    EXPECT_FALSE(sim.WaitForReceived(5, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", "LQOVUT", "LQOVUT"}));
}

TEST(ChangeDevice, ARefusedSelectionIsShownAndNothingFollows)
{
    MuxSimProcess sim(OneDevice({{"refuse_selection", "D"}}));
    ProtocolHarness h;
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "192.168.1.14", kMac, "255.255.0.0"), 3);
    EXPECT_EQ(h.messages.shown, (std::vector<std::string>{"Brak dostępu - prawdopodobnie złe hasło."}));
    ASSERT_TRUE(sim.WaitForPayload("W" + kMac, 3));
    EXPECT_FALSE(sim.WaitForReceived(4, std::chrono::milliseconds(300)));
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>(3, "W" + kMac)));
}

TEST(ChangeDevice, ASilentLoginCostsThreeTriesAndIsShown)
{
    MuxSimProcess sim(OneDevice({{"replies", {{"L", nullptr}}}}));
    ProtocolHarness h;
    const auto start = Clock::now();
    EXPECT_EQ(h.protocol.ChangeDevice(kAddress, "192.168.1.15", kMac, "255.255.0.0"), 4);
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 500 + 5900);
    EXPECT_LT(elapsed, 500 + 9000);
    EXPECT_EQ(h.messages.shown, (std::vector<std::string>{"Brak odpowiedzi z multipleksera1"}));
    ASSERT_TRUE(sim.WaitForPayload("LQOVUT", 3));
    const auto times = lan::ReceiveTimes(sim, "LQOVUT");
    ASSERT_EQ(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 1900);
        EXPECT_LT(times[i] - times[i - 1], 3000);
    }
    EXPECT_EQ(sim.ReceivedPayloads(), (std::vector<std::string>{"W" + kMac, "LQOVUT", "LQOVUT", "LQOVUT"}));
}

TEST(ChangeDevice, ChangingOneOfThreeChangesOnlyThatOne)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.21", "MAC-1", {{"mask", "255.255.255.0"}}),
                               MuxSimProcess::Device("192.168.1.22", "MAC-2", {{"mask", "255.255.255.0"}}),
                               MuxSimProcess::Device("192.168.1.23", "MAC-3", {{"mask", "255.255.255.0"}})}));
    ProtocolHarness h;
    ASSERT_TRUE(lan::RunDiscoveryCycle(h));
    ASSERT_EQ(h.list.rows.size(), 3u);
    // The device read last is still selected; change another one.
    ASSERT_TRUE(sim.WaitForPayload("GDN", 3));
    std::string lastSelected;
    for (const auto& payload : sim.ReceivedPayloads())
        if (payload[0] == 'W')
            lastSelected = payload.substr(1);
    int row = 0;
    while (h.list.rows[row].mac == lastSelected)
        ++row;
    const NumerIP& chosen = h.protocol.Devices()[h.protocol.SlotOfRow(row)];
    const std::string mac = chosen.Mac;
    ASSERT_NE(mac, lastSelected);
    EXPECT_EQ(h.protocol.ChangeDevice(chosen.Address, "172.16.5.6", mac, "255.255.0.0"), 0);
    EXPECT_TRUE(h.messages.shown.empty());

    ASSERT_TRUE(sim.WaitForPayload("E"));
    for (const auto& entry : sim.StateChanges("address"))
        EXPECT_EQ(entry.at("device"), mac) << entry.dump();
    for (const auto& entry : sim.StateChanges("mask"))
        EXPECT_EQ(entry.at("device"), mac) << entry.dump();
    EXPECT_FALSE(sim.StateChanges("address").empty());
    EXPECT_FALSE(sim.StateChanges("mask").empty());

    // The next discovery finds it at its new address with its new mask.
    ASSERT_TRUE(lan::RunDiscoveryCycle(h));
    ASSERT_EQ(h.list.rows.size(), 3u);
    for (const auto& row : h.list.rows) {
        if (row.mac == mac) {
            EXPECT_EQ(row.caption, "172.16.5.6");
            EXPECT_EQ(row.mask, "255.255.0.0");
        } else {
            EXPECT_NE(row.caption, "172.16.5.6");
            EXPECT_EQ(row.mask, "255.255.255.0");
        }
    }
}

} // namespace
