// SPDX-License-Identifier: MIT
// Discovery cycles over real UDP against the simulator: what is listed, in
// which order, what it costs and exactly what goes on the wire.
#include "lan_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace protocol;
using lan::Clock;
using lan::MillisecondsSince;

namespace {

std::string MacOf(const std::string& address) { return "00-20-4A-" + address; }

TEST(Discovery, ListsInKeyOrderWithTheExactWireTraffic)
{
    const std::vector<std::string> addresses = {"192.168.1.10",  "192.168.1.200", "192.168.1.20",
                                                "192.168.1.127", "192.168.1.128", "192.168.2.10"};
    nlohmann::json devices = nlohmann::json::array();
    for (const auto& address : addresses)
        devices.push_back(MuxSimProcess::Device(address, MacOf(address), {{"mask", "255.255.0.0"}, {"dn", "7"}}));
    MuxSimProcess sim(MuxSimProcess::Config(devices));
    ProtocolHarness h;

    const auto start = Clock::now();
    EXPECT_TRUE(lan::RunDiscoveryCycle(h));
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 2000 + 6 * 500);
    EXPECT_LT(elapsed, 2000 + 6 * 500 + 2000);

    EXPECT_EQ(lan::Captions(h.list),
              (std::vector<std::string>{"192.168.1.127", "192.168.1.20", "192.168.2.10", "192.168.1.10",
                                        "192.168.1.200", "192.168.1.128"}));
    for (std::size_t row = 0; row < h.list.rows.size(); ++row) {
        const auto& shown = h.list.rows[row];
        EXPECT_EQ(shown.mac, MacOf(shown.caption));
        EXPECT_EQ(shown.mask, "255.255.0.0");
        EXPECT_EQ(shown.image, DeviceListView::kNoImage);
        const NumerIP& slot = h.protocol.Devices()[h.protocol.SlotOfRow(static_cast<int>(row))];
        EXPECT_EQ(slot.Address, shown.caption);
        EXPECT_EQ(slot.DN, "7");
        EXPECT_EQ(slot.Port, "1001");
        EXPECT_TRUE(slot.ReadOk && slot.LoggedIn);
    }
    EXPECT_TRUE(h.list.enabled);

    // "X", then per device in the order found: selection, the 6-byte login,
    // mask and DN; all broadcast from port 1153 to port 65535.
    ASSERT_TRUE(sim.WaitForReceived(1 + 6 * 4));
    const auto received = sim.Received();
    ASSERT_EQ(received.size(), 25u);
    EXPECT_EQ(MuxSimProcess::PayloadBytes(received[0]), "X");
    for (std::size_t device = 0; device < 6; ++device) {
        const std::string mac = MuxSimProcess::PayloadBytes(received[1 + device * 4]).substr(1);
        EXPECT_EQ(MuxSimProcess::PayloadBytes(received[1 + device * 4]), "W" + mac);
        EXPECT_EQ(MuxSimProcess::PayloadBytes(received[2 + device * 4]), "LQOVUT");
        EXPECT_EQ(MuxSimProcess::PayloadBytes(received[3 + device * 4]), "GNM");
        EXPECT_EQ(MuxSimProcess::PayloadBytes(received[4 + device * 4]), "GDN");
    }
    for (const auto& entry : received) {
        const std::string from = entry.at("from").get<std::string>();
        EXPECT_EQ(from.substr(from.find(':')), ":1153") << entry.dump();
        EXPECT_EQ(entry.at("to"), "255.255.255.255") << entry.dump();
    }
    EXPECT_EQ(received[2].at("len"), 6);
    EXPECT_EQ(sim.Log().front().at("port"), 65535);
}

TEST(Discovery, FailedSelectionsAndLoginsAreReadOnButNotListed)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.31", "MAC-1"),
         MuxSimProcess::Device("192.168.1.32", "MAC-2", {{"faults", {{"deny_login", true}}}}),
         MuxSimProcess::Device("192.168.1.33", "MAC-3", {{"faults", {{"refuse_selection", nullptr}}}}),
         MuxSimProcess::Device("192.168.1.34", "MAC-4")}));
    ProtocolHarness h;

    const auto start = Clock::now();
    EXPECT_FALSE(lan::RunDiscoveryCycle(h)) << "two reads failed";
    const auto elapsed = MillisecondsSince(start);
    // Window, three selections with their pause, and the silent one's 2000 ms.
    EXPECT_GE(elapsed, 2000 + 3 * 500 + 2000);
    EXPECT_LT(elapsed, 2000 + 3 * 500 + 2000 + 2000);

    ASSERT_EQ(h.list.rows.size(), 2u);
    std::vector<std::string> macs;
    for (int row = 0; row < 2; ++row) {
        const int slot = h.protocol.SlotOfRow(row);
        ASSERT_NE(slot, 0);
        EXPECT_EQ(h.protocol.Devices()[slot].Mac, h.list.rows[row].mac);
        EXPECT_EQ(h.protocol.Devices()[slot].Address, h.list.rows[row].caption);
        macs.push_back(h.list.rows[row].mac);
    }
    std::sort(macs.begin(), macs.end());
    EXPECT_EQ(macs, (std::vector<std::string>{"MAC-1", "MAC-4"}));

    // The devices after the refused ones were still read, each device once.
    ASSERT_TRUE(sim.WaitForPayload("GDN", 2));
    for (const char* mac : {"MAC-1", "MAC-2", "MAC-3", "MAC-4"})
        EXPECT_EQ(sim.CountReceived(std::string("W") + mac), 1u) << mac;
    EXPECT_EQ(sim.CountReceived("LQOVUT"), 3u);
}

TEST(Discovery, OneAddressTwiceIsListedTwiceAndAFailedMaskReadIsMarked)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.50", "MAC-A"), MuxSimProcess::Device("192.168.1.50", "MAC-B"),
         MuxSimProcess::Device("192.168.1.60", "MAC-C", {{"faults", {{"replies", {{"GNM", "C"}}}}}}),
         MuxSimProcess::Device("192.168.1.70", "MAC-D",
                               {{"flags", "00E"}, {"faults", {{"replies", {{"GDN", "F"}}}}}})}));
    ProtocolHarness h;
    EXPECT_FALSE(lan::RunDiscoveryCycle(h));

    ASSERT_EQ(lan::Captions(h.list),
              (std::vector<std::string>{"192.168.1.70", "192.168.1.60", "192.168.1.50", "192.168.1.50"}));
    EXPECT_EQ(h.list.rows[0].image, DeviceListView::kImageLetterE) << "the E mark wins over a failed read";
    EXPECT_EQ(h.list.rows[1].image, DeviceListView::kImageExclamation);
    EXPECT_EQ(h.list.rows[1].mask, "") << "a failed mask read leaves the mask unknown";
    EXPECT_EQ(h.list.rows[2].image, DeviceListView::kImageExclamation) << "the lower of two equal addresses";
    EXPECT_EQ(h.list.rows[3].image, DeviceListView::kNoImage);
    EXPECT_NE(h.list.rows[2].mac, h.list.rows[3].mac);

    // A failed mask or DN read is tried twice, each time from the selection.
    ASSERT_TRUE(sim.WaitForPayload("GDN", 4));
    EXPECT_EQ(sim.CountReceived("WMAC-C"), 2u);
    EXPECT_EQ(sim.CountReceived("WMAC-D"), 2u);
}

// MAC-LATE's discovery reply comes after the window, during MAC-10's mask
// read; and the second cycle's sort leaves MAC-10's mask in MAC-5's slot.
TEST(Discovery, AReadShowsOnlyWhatTheDeviceItselfAnswered)
{
    const auto late = [](int ms) { return nlohmann::json{{"delay_ms", ms}}; };
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device(
             "192.168.1.10", "MAC-10",
             {{"mask", "255.255.0.0"}, {"faults", {{"replies", {{"X", late(300)}, {"GNM", late(1000)}}}}}}),
         MuxSimProcess::Device("192.168.1.5", "MAC-5", {{"faults", {{"replies", {{"GNM", "C"}}}}}}),
         MuxSimProcess::Device("192.168.1.60", "MAC-LATE", {{"faults", {{"replies", {{"X", late(4000)}}}}}})}));
    ProtocolHarness h;
    for (int cycle = 0; cycle < 2; ++cycle) {
        EXPECT_FALSE(lan::RunDiscoveryCycle(h));
        ASSERT_EQ(lan::Captions(h.list), (std::vector<std::string>{"192.168.1.10", "192.168.1.5"}));
        EXPECT_EQ(h.list.rows[0].mask, "255.255.0.0") << cycle;
        EXPECT_EQ(h.list.rows[1].mask, "") << cycle;
    }
}

TEST(Discovery, OneMacAnsweringTwiceIsRecordedOnce)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.80", "MAC-SAME"), MuxSimProcess::Device("192.168.1.81", "MAC-SAME")}));
    ProtocolHarness h;
    EXPECT_TRUE(lan::RunDiscoveryCycle(h));
    ASSERT_EQ(h.list.rows.size(), 1u);
    EXPECT_EQ(h.list.rows[0].mac, "MAC-SAME");
    EXPECT_TRUE(h.protocol.Devices()[2].Mac.empty());
    ASSERT_TRUE(sim.WaitForPayload("GDN"));
    EXPECT_EQ(sim.CountReceived("WMAC-SAME"), 1u);
}

TEST(Discovery, NoDeviceLeavesTheListEmptyAndANewCycleKeepsOldMasks)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.90", "MAC-90", {{"mask", "255.0.0.0"}})}));
    ProtocolHarness h;
    EXPECT_TRUE(lan::RunDiscoveryCycle(h));
    ASSERT_EQ(h.list.rows.size(), 1u);
    sim.Stop();

    EXPECT_FALSE(lan::RunDiscoveryCycle(h));
    EXPECT_TRUE(h.list.rows.empty());
    EXPECT_GE(h.list.clears, 2);
    const NumerIP& slot = h.protocol.Devices()[1];
    EXPECT_TRUE(slot.Address.empty() && slot.Mac.empty() && slot.Port.empty());
    EXPECT_FALSE(slot.ReadOk || slot.LoggedIn);
    EXPECT_EQ(slot.Mask, "255.0.0.0") << "the mask is not reset by a new cycle";
}

// While the engine reads nothing (the 500 ms selection pause) a flood fills
// the command socket's receive queue; the next cycle must still find its
// devices: what waits from before is taken before "X" goes out, so the
// discovery replies find room in the queue.
TEST(Discovery, AFullReceiveQueueBeforeTheCycleCostsNoDevice)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.41", "MAC-41")}));
    ProtocolHarness h;
    EXPECT_TRUE(lan::RunDiscoveryCycle(h)); // binds the command socket to port 1153
    ASSERT_EQ(lan::Captions(h.list), std::vector<std::string>{"192.168.1.41"});

    // Junk that is no reply, far more than the queue holds; nothing reads it.
    const int junk = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(junk, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(1153);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Large ones first, then small ones to take the last bytes of room.
    for (const std::size_t size : {4000, 1}) {
        const std::string filler(size, 'Z');
        for (int i = 0; i < 400; ++i)
            sendto(junk, filler.data(), filler.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    close(junk);

    h.protocol.StartDiscovery();
    // The device answers at once, while the engine is still busy elsewhere.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(h.protocol.ReadAllDevices());
    h.protocol.ListDevices();
    EXPECT_EQ(lan::Captions(h.list), std::vector<std::string>{"192.168.1.41"});
}

} // namespace
