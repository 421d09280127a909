// SPDX-License-Identifier: MIT
// The dispatcher and the device table without traffic: replies are handed to
// DispatchReply as the data-available handler would hand them.
#include "protocol_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace protocol;

namespace {

class DeviceTableTest : public ::testing::Test {
protected:
    void Discovered(const std::string& address, const std::string& mac, const std::string& flags = "000")
    {
        h.protocol.DispatchReply("A" + mac + "/1001/" + flags, address, kReplyDiscovery);
    }
    // As the per-device read would leave the slot.
    void Read(int slot, bool loggedIn, bool readOk)
    {
        h.protocol.Devices()[slot].LoggedIn = loggedIn;
        h.protocol.Devices()[slot].ReadOk = readOk;
    }
    std::vector<std::string> ListedAddresses() const
    {
        std::vector<std::string> out;
        for (const auto& row : h.list.rows)
            out.push_back(row.caption);
        return out;
    }

    ProtocolHarness h;
};

TEST_F(DeviceTableTest, AcknowledgementLettersSettleTheStatus)
{
    auto& p = h.protocol;
    p.DispatchReply("C", "192.168.1.5", kReplyAcknowledgement);
    EXPECT_EQ(p.ReplyStatus(), 1);
    p.DispatchReply("F", "192.168.1.5", kReplyAcknowledgement);
    EXPECT_EQ(p.ReplyStatus(), 2);
    p.DispatchReply("D", "192.168.1.5", kReplyValue);
    EXPECT_EQ(p.ReplyStatus(), 3);
    p.DispatchReply("A", "192.168.1.5", kReplyAcknowledgement);
    EXPECT_EQ(p.ReplyStatus(), 0);
    EXPECT_EQ(p.LastReply(), "") << "an acknowledgement keeps no value";

    p.DispatchReply("A255.255.0.0", "192.168.1.5", kReplyValue);
    EXPECT_EQ(p.ReplyStatus(), 0);
    EXPECT_EQ(p.LastReply(), "A255.255.0.0");
    p.DispatchReply("C255.0.0.0", "192.168.1.5", kReplyValue);
    EXPECT_EQ(p.ReplyStatus(), 1);
    EXPECT_EQ(p.LastReply(), "A255.255.0.0") << "only an A reply replaces the value";

    p.DispatchReply("Zzz", "192.168.1.5", kReplyAcknowledgement);
    EXPECT_EQ(p.ReplyStatus(), 1) << "an unknown letter settles nothing";

    p.DispatchReply("", "TIMEOUT", kReplyAcknowledgement);
    EXPECT_EQ(p.ReplyStatus(), 4);
}

TEST_F(DeviceTableTest, EveryDatagramStopsTheReplyTimerButNothingElseWithoutAKind)
{
    auto& p = h.protocol;
    p.DispatchReply("C", "10.0.0.1", kReplyAcknowledgement);
    h.timeout.start(2000);
    p.DispatchReply("", "", kReplyAcknowledgement);
    EXPECT_TRUE(h.timeout.isActive()) << "no text and no sender: nothing at all";

    p.DispatchReply("A", "10.0.0.1", kReplyNone);
    EXPECT_FALSE(h.timeout.isActive());
    EXPECT_EQ(p.ReplyStatus(), 1);

    h.timeout.start(2000);
    p.DispatchReply("", "10.0.0.1", kReplyAcknowledgement);
    EXPECT_FALSE(h.timeout.isActive());
    EXPECT_EQ(p.ReplyStatus(), 1);
}

TEST_F(DeviceTableTest, RecordsDiscoveryRepliesIntoTheLowestFreeSlots)
{
    auto& p = h.protocol;
    Discovered("192.168.1.10", "00-20-4A-00-00-01", "00E");
    EXPECT_FALSE(h.list.enabled) << "recording disables the list";
    h.protocol.DispatchReply("A00-20-4A-00-00-02", "10.1.2.3", kReplyDiscovery);

    const NumerIP& first = p.Devices()[1];
    EXPECT_EQ(first.Address, "192.168.1.10");
    EXPECT_EQ(first.Mac, "00-20-4A-00-00-01");
    EXPECT_EQ(first.Port, "1001");
    EXPECT_TRUE(first.FlagE);
    const NumerIP& second = p.Devices()[2];
    EXPECT_EQ(second.Address, "10.1.2.3");
    EXPECT_EQ(second.Mac, "00-20-4A-00-00-02");
    EXPECT_EQ(second.Port, "");
    EXPECT_FALSE(second.FlagE);
    EXPECT_EQ(p.ReplyStatus(), 0);
    EXPECT_TRUE(p.Devices()[3].Mac.empty());
}

TEST_F(DeviceTableTest, IgnoresKnownMacsAndRepliesWithoutMarkerOrMac)
{
    auto& p = h.protocol;
    Discovered("192.168.1.10", "MAC-1");
    p.DispatchReply("C", "192.168.1.99", kReplyAcknowledgement); // status 1, to see what stays
    Discovered("192.168.1.11", "MAC-1");
    EXPECT_EQ(p.ReplyStatus(), 1) << "a known MAC changes nothing, the status included";
    EXPECT_EQ(p.Devices()[1].Address, "192.168.1.10");
    EXPECT_TRUE(p.Devices()[2].Mac.empty());
    EXPECT_TRUE(p.IsKnownMac("AMAC-1/2000"));
    EXPECT_FALSE(p.IsKnownMac("Amac-1/2000")) << "case counts";

    Discovered("192.168.1.12", "mac-1");
    EXPECT_EQ(p.Devices()[2].Mac, "mac-1");

    p.DispatchReply("XMAC-3/1001/000", "192.168.1.13", kReplyDiscovery);
    EXPECT_EQ(p.ReplyStatus(), 4);
    p.DispatchReply("", "192.168.1.13", kReplyDiscovery);
    EXPECT_EQ(p.ReplyStatus(), 4);
    EXPECT_TRUE(p.Devices()[3].Mac.empty());

    // A reply naming no device is never recorded.
    p.DispatchReply("A", "192.168.1.14", kReplyDiscovery);
    p.DispatchReply("A/1001/00E", "192.168.1.15", kReplyDiscovery);
    EXPECT_TRUE(p.Devices()[3].Mac.empty());
    EXPECT_TRUE(p.Devices()[3].Address.empty());
}

TEST_F(DeviceTableTest, AFullTableKeepsWhatItHolds)
{
    auto& p = h.protocol;
    for (int n = 1; n <= DeviceTable::kSlots; ++n)
        Discovered("10.0." + std::to_string(n / 256) + "." + std::to_string(n % 256), "MAC-" + std::to_string(n));
    EXPECT_EQ(p.Devices()[255].Mac, "MAC-255");
    Discovered("10.9.9.9", "MAC-NEW");
    EXPECT_FALSE(p.IsKnownMac("AMAC-NEW"));
    for (int n = 1; n <= DeviceTable::kSlots; ++n)
        ASSERT_EQ(p.Devices()[n].Mac, "MAC-" + std::to_string(n));
    EXPECT_THROW(p.Devices()[256], std::out_of_range);
    EXPECT_THROW(p.Devices()[0], std::out_of_range);
}

TEST_F(DeviceTableTest, ListsDescendingByTheLittleEndianKey)
{
    const std::vector<std::string> found = {"192.168.1.10",  "192.168.1.200", "192.168.1.20",
                                            "192.168.1.127", "192.168.1.128", "192.168.2.10"};
    for (std::size_t i = 0; i < found.size(); ++i) {
        Discovered(found[i], "MAC-" + found[i]);
        Read(static_cast<int>(i) + 1, true, true);
    }
    h.protocol.ListDevices();
    EXPECT_EQ(ListedAddresses(),
              (std::vector<std::string>{"192.168.1.127", "192.168.1.20", "192.168.2.10", "192.168.1.10",
                                        "192.168.1.200", "192.168.1.128"}));
    for (const auto& row : h.list.rows) {
        EXPECT_EQ(row.mac, "MAC-" + row.caption) << "whole records move";
        EXPECT_EQ(row.image, DeviceListView::kNoImage);
    }
    EXPECT_TRUE(h.list.enabled);
    EXPECT_EQ(h.list.repaints, 1);
}

TEST_F(DeviceTableTest, DropsDevicesNotLoggedInAndMapsRowsToTheirSlots)
{
    Discovered("192.168.1.30", "MAC-30");
    Discovered("192.168.1.20", "MAC-20");
    Discovered("192.168.1.40", "MAC-40");
    Discovered("192.168.1.10", "MAC-10");
    Read(1, true, true);
    Read(2, false, false); // selection or login failed
    Read(3, true, true);
    Read(4, true, true);
    h.protocol.ListDevices();

    // The dropped slot splits the table: slot 1 stays alone, 3 and 4 sort on their own.
    EXPECT_EQ(ListedAddresses(), (std::vector<std::string>{"192.168.1.30", "192.168.1.40", "192.168.1.10"}));
    EXPECT_TRUE(h.protocol.Devices()[2].Address.empty());
    EXPECT_EQ(h.protocol.Devices()[2].Mac, "MAC-20");
    for (int row = 0; row < 3; ++row) {
        const int slot = h.protocol.SlotOfRow(row);
        ASSERT_NE(slot, 0);
        EXPECT_EQ(h.protocol.Devices()[slot].Address, h.list.rows[row].caption);
        EXPECT_EQ(h.protocol.Devices()[slot].Mac, h.list.rows[row].mac);
    }
    EXPECT_EQ(h.protocol.SlotOfRow(1), 3);
    EXPECT_EQ(h.protocol.SlotOfRow(3), 0);
    EXPECT_EQ(h.protocol.SlotOfRow(-1), 0);
}

TEST_F(DeviceTableTest, MarksDuplicateAddressesAndPicksPictures)
{
    Discovered("192.168.1.50", "MAC-A");
    Discovered("192.168.1.50", "MAC-B");
    Discovered("192.168.1.50", "MAC-C");
    Discovered("192.168.1.60", "MAC-E", "00E");
    Discovered("192.168.1.70", "MAC-F");
    for (int n = 1; n <= 5; ++n)
        Read(n, true, true);
    Read(4, true, false); // FlagE wins over a failed read
    Read(5, true, false);
    h.protocol.ListDevices();

    ASSERT_EQ(h.list.rows.size(), 5u);
    EXPECT_EQ(h.list.rows[0].caption, "192.168.1.70");
    EXPECT_EQ(h.list.rows[0].image, DeviceListView::kImageExclamation);
    EXPECT_EQ(h.list.rows[1].caption, "192.168.1.60");
    EXPECT_EQ(h.list.rows[1].image, DeviceListView::kImageLetterE);
    int marked = 0;
    for (int row = 2; row < 5; ++row) {
        EXPECT_EQ(h.list.rows[row].caption, "192.168.1.50");
        if (h.list.rows[row].image == DeviceListView::kImageExclamation)
            ++marked;
    }
    // Every member of the group but possibly the last is marked.
    EXPECT_GE(marked, 2);
    EXPECT_EQ(h.list.rows[2].image, DeviceListView::kImageExclamation);
    EXPECT_EQ(h.list.rows[3].image, DeviceListView::kImageExclamation);
}

} // namespace
