// SPDX-License-Identifier: MIT
// Discovery cycles over real UDP against the simulator: what is listed, in
// which order, what it costs and exactly what goes on the wire.
#include "lan_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

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
    const DiscoveryResult found = h.Session.Discover();
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 2000 + 6 * 500);
    EXPECT_LT(elapsed, 2000 + 6 * 500 + 2000);

    EXPECT_TRUE(found.Finished);
    EXPECT_TRUE(found.Unread.empty());
    EXPECT_EQ(lan::Addresses(found),
              (std::vector<std::string>{"192.168.1.127", "192.168.1.20", "192.168.2.10", "192.168.1.10",
                                        "192.168.1.200", "192.168.1.128"}));
    for (const DeviceRow& row : found.Rows) {
        EXPECT_EQ(row.Mac, MacOf(row.Address));
        EXPECT_EQ(row.Mask, "255.255.0.0");
        EXPECT_EQ(row.Image, DeviceRow::kNoImage);
        EXPECT_EQ(row.Port, "1001");
        EXPECT_TRUE(row.ReadOk);
    }

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
    const DiscoveryResult found = h.Session.Discover();
    const auto elapsed = MillisecondsSince(start);
    // Window, three selections with their pause, and the silent one's 2000 ms.
    EXPECT_GE(elapsed, 2000 + 3 * 500 + 2000);
    EXPECT_LT(elapsed, 2000 + 3 * 500 + 2000 + 2000);

    std::vector<std::string> macs;
    for (const DeviceRow& row : found.Rows)
        macs.push_back(row.Mac);
    std::sort(macs.begin(), macs.end());
    EXPECT_EQ(macs, (std::vector<std::string>{"MAC-1", "MAC-4"}));
    std::vector<std::tuple<std::string, std::string, int, bool>> unread;
    for (const UnreadDevice& device : found.Unread)
        unread.emplace_back(device.Mac, device.Address, device.Status, device.Listed);
    std::sort(unread.begin(), unread.end());
    EXPECT_EQ(
        unread,
        (std::vector<std::tuple<std::string, std::string, int, bool>>{
            {"MAC-2", "192.168.1.32", kStatusAccessDenied, false}, {"MAC-3", "192.168.1.33", kStatusNoReply, false}}));

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
    const DiscoveryResult found = h.Session.Discover();
    EXPECT_EQ(found.Unread.size(), 2u);

    ASSERT_EQ(lan::Addresses(found),
              (std::vector<std::string>{"192.168.1.70", "192.168.1.60", "192.168.1.50", "192.168.1.50"}));
    const std::vector<DeviceRow>& rows = found.Rows;
    EXPECT_EQ(rows[0].Image, DeviceRow::kImageLetterE) << "the E mark wins over a failed read";
    EXPECT_EQ(rows[1].Image, DeviceRow::kImageExclamation);
    EXPECT_EQ(rows[1].Mask, "") << "a failed mask read leaves the mask unknown";
    EXPECT_EQ(rows[2].Image, DeviceRow::kImageExclamation) << "the lower of two equal addresses";
    EXPECT_EQ(rows[3].Image, DeviceRow::kNoImage);
    EXPECT_TRUE(rows[2].AddressShared && rows[3].AddressShared);
    EXPECT_NE(rows[2].Mac, rows[3].Mac);

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
        const DiscoveryResult found = h.Session.Discover();
        ASSERT_EQ(lan::Addresses(found), (std::vector<std::string>{"192.168.1.10", "192.168.1.5"}));
        EXPECT_EQ(found.Rows[0].Mask, "255.255.0.0") << cycle;
        EXPECT_EQ(found.Rows[1].Mask, "") << cycle;
    }
}

TEST(Discovery, OneMacAnsweringTwiceIsRecordedOnce)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.80", "MAC-SAME"), MuxSimProcess::Device("192.168.1.81", "MAC-SAME")}));
    ProtocolHarness h;
    const DiscoveryResult found = h.Session.Discover();
    EXPECT_TRUE(found.Unread.empty());
    ASSERT_EQ(found.Rows.size(), 1u);
    EXPECT_EQ(found.Rows[0].Mac, "MAC-SAME");
    ASSERT_TRUE(sim.WaitForPayload("GDN"));
    EXPECT_EQ(sim.CountReceived("WMAC-SAME"), 1u);
}

TEST(Discovery, NoDeviceLeavesTheListEmpty)
{
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.90", "MAC-90", {{"mask", "255.0.0.0"}})}));
    ProtocolHarness h;
    ASSERT_EQ(h.Session.Discover().Rows.size(), 1u);
    sim.Stop();

    const DiscoveryResult found = h.Session.Discover();
    EXPECT_TRUE(found.Finished);
    EXPECT_TRUE(found.Rows.empty());
    EXPECT_TRUE(found.Unread.empty());
}

// While the engine reads nothing a flood fills the command socket's receive
// queue; the next cycle must still find its devices: what waits from before
// is taken before "X" goes out, so the discovery replies find room in the
// queue.
TEST(Discovery, AFullReceiveQueueBeforeTheCycleCostsNoDevice)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.41", "MAC-41")}));
    ProtocolHarness h;
    // Binds the command socket to port 1153.
    ASSERT_EQ(lan::Addresses(h.Session.Discover()), std::vector<std::string>{"192.168.1.41"});

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

    const DiscoveryResult found = h.Session.Discover();
    EXPECT_EQ(lan::Addresses(found), std::vector<std::string>{"192.168.1.41"});
    EXPECT_TRUE(found.Unread.empty());
}

} // namespace
