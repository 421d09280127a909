// SPDX-License-Identifier: MIT
// The engine's rules on a transport with its own clock: every wait costs
// nothing, so tries, deadlines and the order of datagrams are checked
// exactly. The tests on the simulated LAN are the acceptance layer above.
#include "fake_transport.h"

#include "protocol/device_session.h"
#include "protocol/protocol_constants.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <random>
#include <string>
#include <vector>

using namespace protocol;
using Ms = FakeTransport::Ms;
using Step = ChangeOutcome::Step;

namespace {

const std::string kLogin = std::string("L") + kDevicePassword;

struct Engine {
    explicit Engine(std::vector<FakeDevice> devices = {}) : Fleet(Transport, std::move(devices)) {}
    FakeTransport Transport;
    FakeFleet Fleet;
    DeviceSession Session{Transport};
};

FakeDevice Device(const std::string& address, const std::string& mac, std::map<std::string, std::string> replies = {})
{
    FakeDevice device;
    device.Address = address;
    device.Mac = mac;
    device.Replies = std::move(replies);
    return device;
}

std::vector<std::string> Addresses(const DiscoveryResult& found)
{
    std::vector<std::string> out;
    for (const DeviceRow& row : found.Rows)
        out.push_back(row.Address);
    return out;
}

std::vector<std::string> Read(const std::string& mac) { return {"W" + mac, kLogin, "GNM", "GDN"}; }

TEST(EngineDiscovery, ReadsEveryDeviceInTurnAndListsThemInKeyOrder)
{
    const std::vector<std::string> found = {"192.168.1.10",  "192.168.1.200", "192.168.1.20",
                                            "192.168.1.127", "192.168.1.128", "192.168.2.10"};
    std::vector<FakeDevice> devices;
    for (const std::string& address : found)
        devices.push_back(Device(address, "MAC-" + address));
    devices[1].Flags = "00E";
    devices[2].Mask = "255.255.0.0";
    Engine e(devices);
    const DiscoveryResult result = e.Session.Discover();

    EXPECT_TRUE(result.Finished);
    EXPECT_EQ(Addresses(result),
              (std::vector<std::string>{"192.168.1.127", "192.168.1.20", "192.168.2.10", "192.168.1.10",
                                        "192.168.1.200", "192.168.1.128"}));
    for (const DeviceRow& row : result.Rows) {
        EXPECT_EQ(row.Mac, "MAC-" + row.Address) << "whole records move";
        EXPECT_EQ(row.Image, row.Address == "192.168.1.200" ? DeviceRow::kImageLetterE : DeviceRow::kNoImage);
        EXPECT_EQ(row.Mask, row.Address == "192.168.1.20" ? "255.255.0.0" : "255.255.255.0");
        EXPECT_EQ(row.Port, "1001");
    }
    std::vector<std::string> wire = {"X"};
    for (const std::string& address : found)
        for (const std::string& command : Read("MAC-" + address))
            wire.push_back(command);
    EXPECT_EQ(e.Transport.Commands(), wire);
    // The collection window, then each read: its selection answered after
    // 1 ms, the 500 ms pause, then three requests of 1 ms each.
    EXPECT_EQ(e.Transport.Sent[1].At, Ms(2000));
    EXPECT_EQ(e.Transport.Sent[2].At, Ms(2000 + 1 + 500));
    EXPECT_EQ(e.Transport.Elapsed(), Ms(2000 + 6 * 504));
}

TEST(EngineDiscovery, RefusedSelectionsAndLoginsAreNotListedAndFailedReadsAreMarked)
{
    Engine e({Device("192.168.1.10", "MAC-W", {{"W", "D"}}), Device("192.168.1.11", "MAC-L", {{"L", "C"}}),
              Device("192.168.1.12", "MAC-GNM", {{"GNM", ""}}), Device("192.168.1.13", "MAC-OK"),
              Device("192.168.1.13", "MAC-TWIN")});
    const DiscoveryResult result = e.Session.Discover();
    EXPECT_EQ(Addresses(result), (std::vector<std::string>{"192.168.1.13", "192.168.1.13", "192.168.1.12"}));
    EXPECT_EQ(result.Rows[0].Image, DeviceRow::kImageExclamation) << "all but the last of one address are marked";
    EXPECT_TRUE(result.Rows[0].AddressShared);
    EXPECT_EQ(result.Rows[2].Image, DeviceRow::kImageExclamation) << "its mask could not be read";
    EXPECT_EQ(result.Rows[2].Mask, "");

    ASSERT_EQ(result.Unread.size(), 3u);
    const std::vector<std::tuple<std::string, int, bool>> unread = {
        {"MAC-W", kStatusAccessDenied, false}, {"MAC-L", kStatusBadCommand, false}, {"MAC-GNM", kStatusNoReply, true}};
    for (std::size_t n = 0; n < unread.size(); ++n) {
        EXPECT_EQ(result.Unread[n].Mac, std::get<0>(unread[n]));
        EXPECT_EQ(result.Unread[n].Status, std::get<1>(unread[n]));
        EXPECT_EQ(result.Unread[n].Listed, std::get<2>(unread[n]));
    }
    // A failed selection is not tried again; a failed mask read is, from the selection on.
    const auto commands = e.Transport.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "WMAC-W"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "WMAC-GNM"), 2);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "GNM"), 2 + 2);
}

// The list's order and marks as first specified: 254 passes over all 255
// slots, each from the bottom up, swapping neighbours in use whose keys
// (o4.o3.o2.o1, unreadable text as 255.255.255.255) are not descending and
// marking the one moved up when both have the same address.
int32_t SpecifiedKey(const std::string& address)
{
    in_addr parsed{};
    const uint32_t value = inet_aton(address.c_str(), &parsed) ? ntohl(parsed.s_addr) : 0xFFFFFFFFu;
    return static_cast<int32_t>((value & 0xFF) << 24 | (value >> 8 & 0xFF) << 16 | (value >> 16 & 0xFF) << 8 |
                                (value >> 24));
}

TEST(EngineDiscovery, ListsInTheOrderAndWithTheMarksOfAllPassesOverTheWholeTable)
{
    const std::vector<std::string> addresses = {"10.0.0.1", "10.0.0.2", "10.0.1.1",      "192.168.1.1",
                                                "1.2.3.4",  "01.2.3.4", "not an address"};
    std::mt19937 random(2026);
    for (int table = 0; table < 300; ++table) {
        std::vector<FakeDevice> devices;
        struct Slot {
            std::string Mac, Address;
            bool Marked = false;
        };
        std::vector<Slot> slots(256); // 1-based; an empty address: a refused selection, no row
        // The first two fill the table: with keys ascending (the most passes
        // there are) and with a few addresses shared by all.
        const bool ascending = table == 0;
        const int count = table < 2 ? kDeviceSlots : std::uniform_int_distribution<int>(1, 40)(random);
        for (int n = 1; n <= count; ++n) {
            const std::string address =
                ascending ? "10.0.0." + std::to_string(n) : addresses[random() % (table % 2 ? 3 : addresses.size())];
            const bool refused = !ascending && random() % 4 == 0;
            devices.push_back(Device(address, "M" + std::to_string(n),
                                     refused ? std::map<std::string, std::string>{{"W", "D"}}
                                             : std::map<std::string, std::string>{}));
            slots[std::size_t(n)] = {"M" + std::to_string(n), refused ? "" : address};
        }
        for (int pass = 1; pass <= 254; ++pass)
            for (int k = 254; k >= pass; --k) {
                Slot& upper = slots[std::size_t(k)];
                Slot& lower = slots[std::size_t(k) + 1];
                if (upper.Address.empty() || lower.Address.empty() ||
                    SpecifiedKey(upper.Address) > SpecifiedKey(lower.Address))
                    continue;
                std::swap(upper, lower);
                if (upper.Address == lower.Address)
                    upper.Marked = true;
            }
        std::vector<std::string> expected, listed;
        for (const Slot& slot : slots)
            if (!slot.Address.empty())
                expected.push_back(slot.Mac + (slot.Marked ? "!" : ""));

        Engine e(devices);
        for (const DeviceRow& row : e.Session.Discover().Rows)
            listed.push_back(row.Mac + (row.Image == DeviceRow::kImageExclamation ? "!" : ""));
        ASSERT_EQ(listed, expected) << "table " << table;
    }
}

TEST(EngineDiscovery, RecordsEachMacOnceAndOnlyRepliesThatNameADevice)
{
    Engine e({Device("192.168.1.10", "MAC-1")});
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        if (command != "X")
            return t.Schedule(Ms(1), {"A", "192.168.1.10", 0});
        for (const char* text :
             {"AMAC-1/1001/000", "AMAC-1/2000/00E", "Amac-1/1/0", "XMAC-3/1001/000", "", "A", "A/1001/00E", "AMAC-4"})
            t.Schedule(Ms(1), {text, "192.168.1.10", 0});
    };
    const DiscoveryResult result = e.Session.Discover();
    ASSERT_EQ(result.Rows.size(), 3u) << "MAC-1 once, mac-1 (case counts) and MAC-4";
    for (const DeviceRow& row : result.Rows) {
        if (row.Mac == "MAC-1") {
            EXPECT_FALSE(row.FlagE) << "the second reply of one MAC changes nothing";
        }
        if (row.Mac == "MAC-4") {
            EXPECT_EQ(row.Port, "");
        }
    }
}

TEST(EngineDiscovery, AFullTableKeepsTheFirst255)
{
    Engine e;
    e.Transport.OnBroadcast = [](FakeTransport& t, const std::string& command) {
        if (command == "X")
            for (int n = 1; n <= 256; ++n)
                t.Schedule(Ms(1),
                           {"AMAC-" + std::to_string(n),
                            "10.0." + std::to_string(n / 200) + "." + std::to_string(n % 200 + 1), 0});
        else
            t.Schedule(Ms(1), {"A", "10.0.0.0", 0}); // answers nobody's read
    };
    const DiscoveryResult result = e.Session.Discover(DiscoveryDepth::Quick);
    ASSERT_EQ(result.Rows.size(), 255u);
    for (const DeviceRow& row : result.Rows)
        EXPECT_NE(row.Mac, "MAC-256");
    EXPECT_EQ(e.Transport.Commands(), std::vector<std::string>{"X"}) << "a quick discovery reads nobody";
}

TEST(EngineDiscovery, StaleDatagramsAreTakenBeforeTheCycleAndReadsHearOnlyTheirDevice)
{
    Engine e({Device("192.168.1.10", "MAC-A"), Device("192.168.1.20", "MAC-B")});
    e.Transport.Queue({"AMAC-STALE/1/000", "192.168.1.99", 0});
    auto answer = e.Transport.OnBroadcast;
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        // Another workstation's traffic: a reply from the other device
        // before the asked one answers.
        if (command == "GNM")
            t.Schedule(Ms(0), {"A255.0.0.0", "192.168.1.99", 0});
        answer(t, command);
    };
    const DiscoveryResult result = e.Session.Discover();
    ASSERT_EQ(result.Rows.size(), 2u);
    for (const DeviceRow& row : result.Rows) {
        EXPECT_NE(row.Mac, "MAC-STALE");
        EXPECT_EQ(row.Mask, "255.255.255.0");
    }
}

TEST(EngineDiscovery, ARestrictionIgnoresRepliesThroughOtherInterfacesAndCountsRepliesPerInterface)
{
    Engine e;
    e.Transport.Routes = {{{3, "eth", "192.168.1.1"}}, true};
    e.Transport.Names = {{3, "eth"}, {4, "wifi"}};
    e.Transport.OnBroadcast = [](FakeTransport& t, const std::string& command) {
        if (command == "X") {
            t.Schedule(Ms(1), {"AMAC-ETH", "192.168.1.10", 3});
            t.Schedule(Ms(1), {"AMAC-WIFI", "198.18.0.10", 4});
        }
    };
    const DiscoveryResult result = e.Session.Discover(DiscoveryDepth::Quick);
    ASSERT_EQ(result.Rows.size(), 1u);
    EXPECT_EQ(result.Rows[0].Interface, "eth");
    ASSERT_EQ(result.Searched.size(), 1u);
    EXPECT_EQ(result.Searched[0].Name, "eth");
    EXPECT_EQ(result.Searched[0].Address, "192.168.1.1");
    EXPECT_EQ(result.Searched[0].Replies, 1);
}

TEST(EngineDiscovery, OneInterfaceGoneLeavesTheOthersTheirDiscovery)
{
    Engine e({Device("192.168.1.10", "MAC-A")});
    e.Transport.Routes = {{{3, "usb0", "10.0.0.1"}, {4, "eth", "192.168.1.1"}}, false};
    e.Transport.GoneInterfaces = {"usb0"};
    const DiscoveryResult result = e.Session.Discover();
    EXPECT_EQ(result.Rows.size(), 1u);
    ASSERT_EQ(result.Searched.size(), 1u);
    EXPECT_EQ(result.Searched[0].Name, "eth");
    EXPECT_FALSE(e.Session.Abandoned());
}

struct StepCase {
    const char* Name;
    std::map<std::string, std::string> Replies;
    std::string NewAddress;
    std::string NewMask;
    int Status;
    Step FailedStep;
    bool AddressTaken;
    bool MaskTaken;
    std::vector<std::string> Wire;         // after "W" and the login; {A} = the assign command
    std::map<char, std::string> Twin = {}; // by a command's letter: the answer of an unlisted twin at .30
};

class EngineChange : public ::testing::TestWithParam<StepCase> {};

TEST_P(EngineChange, EachStepEndsAsItsRepliesSay)
{
    const StepCase& c = GetParam();
    Engine e({Device("192.168.1.10", "MAC-1", c.Replies)});
    const DiscoveryResult found = e.Session.Discover(DiscoveryDepth::Quick);
    ASSERT_EQ(found.Rows.size(), 1u);
    e.Transport.Sent.clear();
    const auto answer = e.Transport.OnBroadcast;
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        if (const auto twin = c.Twin.find(command[0]); twin != c.Twin.end())
            t.Schedule(Ms(0), {twin->second, "192.168.1.30", 0});
        answer(t, command);
    };
    const ChangeOutcome outcome = e.Session.Change(found.Rows[0], c.NewAddress, c.NewMask);
    EXPECT_EQ(outcome.MacAlsoAt, c.Status == kStatusNotSent ? "192.168.1.30" : "");
    EXPECT_EQ(outcome.Status, c.Status);
    EXPECT_EQ(outcome.FailedStep, c.FailedStep);
    EXPECT_EQ(outcome.AddressTaken, c.AddressTaken);
    EXPECT_EQ(outcome.MaskTaken, c.MaskTaken);
    std::vector<std::string> wire;
    for (const std::string& command : c.Wire)
        wire.push_back(command == "{A}" ? "AMAC-1/" + std::string(kDevicePassword) + "/" + c.NewAddress : command);
    EXPECT_EQ(e.Transport.Commands(), wire);
}

const std::vector<std::string> kSelectAndLogin = {"WMAC-1", kLogin};

std::vector<std::string> Then(std::vector<std::string> more)
{
    std::vector<std::string> wire = kSelectAndLogin;
    wire.insert(wire.end(), more.begin(), more.end());
    return wire;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, EngineChange,
    ::testing::Values(StepCase{"SameAddressNoMask", {}, "192.168.1.10", "", 0, Step::None, true, false, Then({"E"})},
                      StepCase{"AcceptedAssignIsSentThreeTimes",
                               {},
                               "192.168.1.11",
                               "255.255.0.0",
                               0,
                               Step::None,
                               true,
                               true,
                               Then({"{A}", "{A}", "{A}", "SNM255.255.0.0", "E"})},
                      StepCase{"SilenceAfterTheAssignIsSuccess",
                               {{"A", ""}},
                               "192.168.1.11",
                               "255.0.0.0",
                               0,
                               Step::None,
                               true,
                               true,
                               Then({"{A}", "SNM255.0.0.0", "E"})},
                      StepCase{"RefusedAssign",
                               {{"A", "C"}},
                               "192.168.1.11",
                               "255.0.0.0",
                               1,
                               Step::Assign,
                               false,
                               false,
                               Then({"{A}", "{A}", "{A}"})},
                      StepCase{"RefusedMaskAfterTheAddress",
                               {{"SNM", "C"}},
                               "192.168.1.11",
                               "255.0.0.0",
                               1,
                               Step::Mask,
                               true,
                               false,
                               Then({"{A}", "{A}", "{A}", "SNM255.0.0.0", "SNM255.0.0.0", "SNM255.0.0.0"})},
                      StepCase{"DeniedLogin",
                               {{"L", "D"}},
                               "192.168.1.11",
                               "255.0.0.0",
                               3,
                               Step::Login,
                               false,
                               false,
                               {"WMAC-1", kLogin, kLogin, kLogin}},
                      StepCase{"RefusedSelection",
                               {{"W", "F"}},
                               "192.168.1.11",
                               "255.0.0.0",
                               2,
                               Step::Select,
                               false,
                               false,
                               {"WMAC-1", "WMAC-1", "WMAC-1"}},
                      StepCase{"SilentLogin",
                               {{"L", ""}},
                               "192.168.1.11",
                               "255.0.0.0",
                               4,
                               Step::Login,
                               false,
                               false,
                               {"WMAC-1", kLogin, kLogin, kLogin}},
                      // clang-format off
                      StepCase{"TwinTakesTheSelection", {}, "192.168.1.11", "255.0.0.0", kStatusNotSent, Step::Login,
                               false, false, {"WMAC-1", "E"}, {{'W', "A"}}},
                      StepCase{"TwinTakesTheAssign", {}, "192.168.1.11", "255.0.0.0", kStatusNotSent, Step::Mask, true,
                               false, Then({"{A}", "E"}), {{'A', "A"}}},
                      // A late discovery reply is no acknowledgement, and the login names no MAC.
                      StepCase{"NoTwinInOtherReplies", {}, "192.168.1.11", "255.0.0.0", 0, Step::None, true, true,
                               Then({"{A}", "{A}", "{A}", "SNM255.0.0.0", "E"}), {{'W', "AMAC-1/1001/000"}, {'L', "A"}}}),
    // clang-format on
    [](const auto& info) { return std::string(info.param.Name); });

TEST(EngineRequests, SilenceCostsThreeTriesOfExactlyTwoSeconds)
{
    Engine e({Device("192.168.1.10", "MAC-1", {{"L", ""}})});
    const DiscoveryResult found = e.Session.Discover(DiscoveryDepth::Quick);
    e.Transport.Sent.clear();
    const Ms start = e.Transport.Elapsed();
    e.Session.Change(found.Rows[0], "192.168.1.11", "255.0.0.0");
    ASSERT_EQ(e.Transport.Sent.size(), 4u);
    EXPECT_EQ(e.Transport.Sent[1].At - start, Ms(1 + 500));
    EXPECT_EQ(e.Transport.Sent[2].At - e.Transport.Sent[1].At, Ms(2000));
    EXPECT_EQ(e.Transport.Sent[3].At - e.Transport.Sent[2].At, Ms(2000));
    EXPECT_EQ(e.Transport.Elapsed() - e.Transport.Sent[3].At, Ms(2000));
}

TEST(EngineRequests, RepliesThatSettleNothingLeaveTheTryToItsDeadlineAndALateReplySettlesTheNext)
{
    Engine e({Device("192.168.1.10", "MAC-1", {{"L", ""}})});
    const DiscoveryResult found = e.Session.Discover(DiscoveryDepth::Quick);
    auto answer = e.Transport.OnBroadcast;
    int logins = 0;
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        answer(t, command);
        if (command != kLogin)
            return;
        // First try: junk, an empty text, a lower-case letter; its answer
        // comes 2600 ms late and settles the second try.
        if (++logins == 1) {
            for (const char* junk : {"", "a", "Zgarbage", "\x01"})
                t.Schedule(Ms(5), {junk, "192.168.1.10", 0});
            t.Schedule(Ms(2600), {"A", "192.168.1.10", 0});
        }
    };
    e.Transport.Sent.clear();
    const ChangeOutcome outcome = e.Session.Change(found.Rows[0], "192.168.1.10", "");
    EXPECT_TRUE(outcome.Ok());
    const std::vector<std::string> wire = {"WMAC-1", kLogin, kLogin, "E"};
    EXPECT_EQ(e.Transport.Commands(), wire);
    EXPECT_EQ(e.Transport.Sent[2].At - e.Transport.Sent[1].At, Ms(2000));
    EXPECT_EQ(e.Transport.Sent[3].At - e.Transport.Sent[2].At, Ms(600));
}

TEST(EngineRequests, AFailureEndsAllWorkAndIsReportedOnce)
{
    Engine e({Device("192.168.1.10", "MAC-1"), Device("192.168.1.11", "MAC-2")});
    std::vector<int32_t> failures;
    e.Session.SetFailureHandler([&](int32_t code, const std::string&) { failures.push_back(code); });
    e.Transport.FailSendsAfter = 3; // "X", "W", the login: then the socket fails
    const DiscoveryResult result = e.Session.Discover();
    EXPECT_FALSE(result.Finished);
    EXPECT_TRUE(result.Rows.empty());
    EXPECT_EQ(failures, std::vector<int32_t>{10013});
    EXPECT_TRUE(e.Session.Abandoned());
    EXPECT_EQ(e.Transport.Elapsed(), Ms(2000 + 1 + 500 + 1)) << "no wait after the failure";

    DeviceRow device;
    device.Address = "192.168.1.10";
    device.Mac = "MAC-1";
    const ChangeOutcome outcome = e.Session.Change(device, "192.168.1.12", "");
    EXPECT_FALSE(outcome.Ok());
    e.Session.Close();
    EXPECT_EQ(e.Transport.Sent.size(), 3u) << "nothing more is sent";
    EXPECT_EQ(failures.size(), 1u);
}

TEST(EngineRequests, AnInterfaceGoneFailsOnlyThatDeviceAndCloseSkipsIt)
{
    Engine e({Device("192.168.1.10", "MAC-1")});
    e.Transport.Routes = {{{7, "usb0", "192.168.1.1"}}, false};
    e.Transport.Names = {{7, "usb0"}};
    e.Fleet.Devices[0].Replies = {};
    auto answer = e.Transport.OnBroadcast;
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        if (command == "X")
            return t.Schedule(Ms(1), {"AMAC-1/1001/000", "192.168.1.10", 7});
        answer(t, command);
    };
    const DiscoveryResult found = e.Session.Discover(DiscoveryDepth::Quick);
    ASSERT_EQ(found.Rows.size(), 1u);
    ASSERT_EQ(found.Rows[0].Interface, "usb0");
    e.Transport.GoneInterfaces = {"usb0"};
    const Ms start = e.Transport.Elapsed();
    const ChangeOutcome outcome = e.Session.Change(found.Rows[0], "192.168.1.11", "255.0.0.0");
    EXPECT_TRUE(outcome.InterfaceGone);
    EXPECT_EQ(outcome.FailedStep, Step::Select);
    EXPECT_EQ(e.Transport.Elapsed(), start) << "no try waits on an interface that is gone";
    EXPECT_FALSE(e.Session.Abandoned());
    e.Session.Close();
    EXPECT_EQ(e.Transport.Commands(), std::vector<std::string>{"X"});
}

TEST(EngineRequests, AbandonEndsTheWaitInProgress)
{
    Engine e({Device("192.168.1.10", "MAC-1", {{"L", ""}})});
    const DiscoveryResult found = e.Session.Discover(DiscoveryDepth::Quick);
    auto answer = e.Transport.OnBroadcast;
    e.Transport.OnBroadcast = [&](FakeTransport& t, const std::string& command) {
        answer(t, command);
        if (command == kLogin)
            e.Session.Abandon(); // the window closes while the login waits
    };
    const Ms start = e.Transport.Elapsed();
    const ChangeOutcome outcome = e.Session.Change(found.Rows[0], "192.168.1.11", "");
    EXPECT_EQ(outcome.Status, kStatusNoReply);
    EXPECT_EQ(e.Transport.Commands().back(), kLogin) << "nothing after the abandoned try";
    EXPECT_EQ(e.Transport.Elapsed() - start, Ms(1 + 500)) << "the try does not wait out its deadline";
}

} // namespace
