// SPDX-License-Identifier: MIT
// The change rules, once: each row a fleet, one plan line and what the run
// must make of it, in its result, its journal and on the wire.
#include "change/change_run.h"
#include "change/verification.h"
#include "checks/mac_text.h"
#include "fake_transport.h"
#include "journal/journal_reading.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using change::Outcome;
using Ms = FakeTransport::Ms;

constexpr const char* kMac = "0.14.198.74.16.1";

// What iputils' arping -D prints, and its exit status, when the address is
// free, when someone holds it, and when it cannot probe.
constexpr const char* kFree = "echo 'Sent 2 probes (2 broadcast(s))'; echo 'Received 0 response(s)'";
constexpr const char* kInUse = "echo 'Unicast reply from 192.168.1.50 [00:11:22:33:44:55]  0.6ms'; exit 1";
constexpr const char* kFails = "echo 'arping: socket: Operation not permitted' >&2; exit 2";

class RecordingFrontEnd : public change::FrontEnd {
public:
    void Report(const change::ChangeResult& result) override { Reports.push_back(result); }
    void Warn(const std::string& text) override { Warnings.push_back(text); }
    // Half a second into the first discovery after a closing "E", when asked to.
    bool StopRequested() const override
    {
        if (Wire == nullptr)
            return false;
        const auto& sent = Wire->Sent;
        const auto closing = std::find_if(sent.begin(), sent.end(), [](const auto& c) { return c.Command == "E"; });
        const auto search = std::find_if(closing, sent.end(), [](const auto& c) { return c.Command == "X"; });
        return search != sent.end() && Wire->Elapsed() >= search->At + Ms(500);
    }
    std::vector<change::ChangeResult> Reports;
    // The window's own discovery after the changes.
    protocol::DiscoveryResult Refresh() override { return Session->Discover(); }
    std::vector<std::string> Warnings;
    const FakeTransport* Wire = nullptr;
    protocol::DeviceSession* Session = nullptr;
};

FakeDevice Device(const std::string& mac, const std::string& address, std::map<std::string, std::string> replies = {})
{
    FakeDevice device;
    device.Mac = mac;
    device.Address = address;
    device.Replies = std::move(replies);
    return device;
}

struct Row {
    const char* Name;
    std::vector<FakeDevice> Fleet;
    change::AskedChange Line;
    change::Outcome Outcome;
    const char* Detail; // a part of the result's detail
    bool ChangeSent;    // its new address or mask went out
    Ms Restart{0};      // the first device restarts this long after its change
    bool RefuseUnchecked = false;
    bool StopInVerification = false;
    // ByRefresh: the window's way, nothing skipped and its refresh after the change.
    change::Verification Verify = change::Verification::ByReading;
    const char* Arping = kFree;
};

// A device that answers "X" this late, or only after that time.
FakeDevice Late(FakeDevice device, Ms discovery, Ms silentUntil = Ms(0))
{
    device.DiscoveryDelay = discovery;
    device.SilentUntil = silentUntil;
    return device;
}

// One row a line reads as a table.
// clang-format off
const std::vector<Row> kRows = {
    {"DecimalMacTypedInHex",
     {Device(kMac, "192.168.1.10"), Device("0.14.198.74.16.2", "192.168.1.11")},
     {0, "00:0e:c6:4a:10:01", "192.168.1.50", "255.255.0.0"}, Outcome::Verified, "", true},
    {"PaddedDecimalTypedPlain",
     {Device("000.014.198.074.016.001", "192.168.1.10")},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::Verified, "", true},
    {"AlreadyHoldsItsLine", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.10", "255.255.255.0"},
     Outcome::Unchanged, "", false},
    {"NoSuchDevice", {Device(kMac, "192.168.1.10")}, {0, "00:0E:C6:4A:10:09", "192.168.1.50", "255.255.255.0"},
     Outcome::NotFound, "", false},
    {"LoginRefused", {Device(kMac, "192.168.1.10", {{"L", "D"}})}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Refused, "Brak dostępu", false},
    {"AddressOfADeviceThatRefusedItsLogin",
     {Device(kMac, "192.168.1.10"), Device("0.14.198.74.16.2", "192.168.1.50", {{"L", "D"}})},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::Conflict, "192.168.1.50", false},
    {"AddressOfADeviceThatIsNeverRead",
     {Device(kMac, "192.168.1.10"), Device("0.14.198.74.16.2", "192.168.1.50", {{"W", ""}})},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::Conflict, "192.168.1.50", false},
    {"OneMacInTwoPlaces", {Device(kMac, "192.168.1.10"), Device(kMac, "192.168.1.11")},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::MacTwice, "192.168.1.11", false},
    {"OneMacSpeltTwoWays", {Device(kMac, "192.168.1.10"), Device("00:0E:C6:4A:10:01", "192.168.1.11")},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::MacTwice, "ta sama wartość zapisana dwojako", false},
    {"MaskRefused", {Device(kMac, "192.168.1.10", {{"SNM", "C"}})}, {0, kMac, "192.168.1.50", "255.255.0.0"},
     Outcome::Partial, "maska nie (jest 255.255.255.0)", true},
    {"MaskUnreadable", {Device(kMac, "192.168.1.10", {{"GNM", ""}})}, {0, kMac, "192.168.1.50", "255.255.0.0"},
     Outcome::Unverified, "maski nie odczytano", true},
    {"RestartsForSixSeconds", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Verified, "", true, Ms(6000)},
    {"RestartsForAMinute", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Unverified, "może się jeszcze uruchamiać", true, Ms(60000)},
    {"UncheckedAddressRefusedWhenAsked", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Unchecked, "adresu nie sprawdzono: program arping zgłosił błąd: arping: socket", false, Ms(0), true,
     false, change::Verification::ByReading, kFails},
    {"UncheckedAddressGoesOn", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Verified, "adresu nie sprawdzono", true, Ms(0), false, false, change::Verification::ByReading, kFails},
    {"AddressAnswersTheProbe", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Conflict, "odpowiada na niego 00:11:22:33:44:55", false, Ms(0), false, false,
     change::Verification::ByReading, kInUse},
    {"CloneAppearsDuringThePause",
     {Device(kMac, "192.168.1.10"), Late(Device(kMac, "192.168.1.30", {{"A", "C"}}), Ms(1), Ms(4000))},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::MacTwice, "192.168.1.30", true},
    {"TwinAnswersTheDiscoveryLate", {Device(kMac, "192.168.1.10"), Late(Device(kMac, "192.168.1.30"), Ms(3000))},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::MacTwice, "192.168.1.10 i 192.168.1.30", false},
    {"StopDuringTheVerifyingDiscovery", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Unverified, "przerwano przed sprawdzeniem", true, Ms(0), false, true},
    {"RefreshShowsTheChange", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.0.0"},
     Outcome::Verified, "", true, Ms(0), false, false, change::Verification::ByRefresh},
    {"RefreshAfterResendingWhatItHolds", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.10", "255.255.255.0"},
     Outcome::Verified, "", true, Ms(0), false, false, change::Verification::ByRefresh},
    {"RefreshFindsAClone",
     {Device(kMac, "192.168.1.10"), Late(Device(kMac, "192.168.1.30", {{"A", "C"}}), Ms(1), Ms(4000))},
     {0, kMac, "192.168.1.50", "255.255.255.0"}, Outcome::MacTwice, "po zmianie MAC odpowiada z dwóch adresów", true,
     Ms(0), false, false, change::Verification::ByRefresh},
    {"RefreshCutShort", {Device(kMac, "192.168.1.10")}, {0, kMac, "192.168.1.50", "255.255.255.0"},
     Outcome::Unverified, "przerwano przed sprawdzeniem", true, Ms(0), false, true, change::Verification::ByRefresh},
};
// clang-format on

class ChangeRunRules : public testing::TestWithParam<Row> {};

TEST_P(ChangeRunRules, EndAsTheDeviceAnswersInResultJournalAndWire)
{
    const Row& row = GetParam();
    FakeTransport transport;
    FakeFleet fleet(transport, row.Fleet);
    fleet.Devices[0].RestartAfterChange = row.Restart;
    protocol::DeviceSession session(transport);
    QTemporaryDir directory;
    journal::ChangeJournal journal(directory.filePath("journal.jsonl").toStdString());
    RecordingFrontEnd frontEnd;
    frontEnd.Wire = row.StopInVerification ? &transport : nullptr;
    frontEnd.Session = &session;
    change::RunSettings settings;
    settings.RefuseUnchecked = row.RefuseUnchecked;
    settings.Verify = row.Verify;
    settings.SkipUnchanged = row.Verify == change::Verification::ByReading;
    // The fleet answers on the loopback interface, where the row's arping
    // answers the probes.
    transport.Routes = {{{0, "lo", "127.0.0.1"}}, false};
    transport.Names[0] = "lo";
    QFile arping(directory.filePath("arping"));
    ASSERT_TRUE(arping.open(QIODevice::WriteOnly));
    arping.write(QByteArray("#!/bin/sh\n") + row.Arping + "\n");
    arping.close();
    arping.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    settings.Probes.Program = arping.fileName().toStdString();
    change::ChangeRun run(session, journal, frontEnd, settings);

    const change::LineJudgement judged = change::JudgeLine(row.Line);
    ASSERT_TRUE(judged.Line) << judged.Refusal;
    const std::vector<change::ChangeResult> results = row.Verify == change::Verification::ByReading
        ? run.Run({*judged.Line})
        : run.Run({*judged.Line}, session.Discover()); // the window's list

    ASSERT_EQ(results.size(), 1u);
    const change::ChangeResult& result = results[0];
    EXPECT_EQ(result.Outcome, row.Outcome) << change::MachineName(result.Outcome) << ": " << result.Detail;
    EXPECT_NE(result.Detail.find(row.Detail), std::string::npos) << result.Detail;
    EXPECT_EQ(frontEnd.Reports.back().Outcome, result.Outcome);
    EXPECT_EQ(result.AddressChecked, row.Arping != kFails) << result.Detail;
    const std::vector<std::string> commands = transport.Commands();
    const bool sent = std::any_of(commands.begin(), commands.end(),
                                  [](const std::string& c) { return c.rfind("A", 0) == 0 || c.rfind("SNM", 0) == 0; });
    EXPECT_EQ(sent, row.ChangeSent);
    // Only the planned device is ever read, and commands carry its own MAC text.
    const auto ownText = [&](const std::string& text) {
        return std::any_of(row.Fleet.begin(), row.Fleet.end(), [&](const FakeDevice& device) {
            return text.rfind(device.Mac, 0) == 0 && checks::SameMac(device.Mac, row.Line.Mac) &&
                (text.size() == device.Mac.size() || text[device.Mac.size()] == '/');
        });
    };
    for (const std::string& command : commands) {
        if (command[0] == 'W' || command[0] == 'A') {
            EXPECT_TRUE(ownText(command.substr(1))) << command;
        }
    }
    if (result.Outcome != Outcome::NotFound) {
        EXPECT_TRUE(ownText(result.Mac)) << result.Mac;
        EXPECT_EQ(result.MacNormalized, "00:0E:C6:4A:10:01");
    }
    const journal::JournalContents written = journal::ReadJournal(journal.Path());
    ASSERT_EQ(written.Changes.size(), row.ChangeSent ? 1u : 0u);
    EXPECT_EQ(result.Sent, row.ChangeSent);
    // The window words its box from the failed step: the detail says the same.
    if (result.Failed && result.Outcome != Outcome::MacTwice) {
        EXPECT_NE(result.Detail.find(protocol::StatusText(result.Failed->Answer)), std::string::npos) << result.Detail;
    }
    if (row.ChangeSent) {
        ASSERT_TRUE(written.Changes[0].End.has_value());
        EXPECT_EQ(written.Changes[0].End->Outcome, change::MachineName(result.Outcome));
        EXPECT_NE(written.Changes[0].End->Detail.find(row.Detail), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ChangeRunRules, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.Name); });

// A stop between two lines: the device in hand ends as it answers, the next
// is not attempted, and every journal record begun is closed.
TEST(ChangeRunStop, NoNewChangeStartsAndEveryRecordIsClosed)
{
    FakeTransport transport;
    FakeFleet fleet(transport, {Device(kMac, "192.168.1.10"), Device("0.14.198.74.16.2", "192.168.1.11")});
    protocol::DeviceSession session(transport);
    QTemporaryDir directory;
    journal::ChangeJournal journal(directory.filePath("journal.jsonl").toStdString());
    struct StopAfterFirst : RecordingFrontEnd {
        bool StopRequested() const override
        {
            return std::any_of(Reports.begin(), Reports.end(),
                               [](const change::ChangeResult& r) { return r.Outcome == Outcome::Changed; });
        }
    } frontEnd;
    change::RunSettings settings;
    settings.Probes.Program = "/bin/true";
    change::ChangeRun run(session, journal, frontEnd, settings);

    const auto results = run.Run({*change::JudgeLine({2, kMac, "192.168.1.50", "255.255.255.0"}).Line,
                                  *change::JudgeLine({3, "0.14.198.74.16.2", "192.168.1.51", "255.255.255.0"}).Line});

    EXPECT_EQ(results[0].Outcome, Outcome::Unverified);
    EXPECT_EQ(results[1].Outcome, Outcome::NotAttempted);
    const journal::JournalContents written = journal::ReadJournal(journal.Path());
    ASSERT_EQ(written.Changes.size(), 1u);
    EXPECT_EQ(written.Changes[0].End->Outcome, "unverified");
}

// What a changed device is judged to hold, from what it answers now; it
// asked for 192.168.1.50/255.255.0.0 and had 192.168.1.10/255.255.255.0.
TEST(ChangeVerification, SaysOnlyWhatTheAnswerShows)
{
    struct Now {
        const char* Address;
        const char* Mask; // "": it could not be read
        change::Outcome Outcome;
        const char* Detail;
    };
    // clang-format off
    const std::vector<Now> rows = {
        {"192.168.1.50", "255.255.0.0", Outcome::Verified, ""},
        {"192.168.1.50", "255.255.255.0", Outcome::Partial, "adres zmieniony, maska nie (jest 255.255.255.0)"},
        {"192.168.1.50", "", Outcome::Unverified, "adres potwierdzony, maski nie odczytano"},
        {"192.168.1.10", "255.255.0.0", Outcome::Partial, "maska zmieniona, adres nie (jest 192.168.1.10)"},
        {"192.168.1.10", "255.255.255.0", Outcome::Refused, "ma nadal poprzedni adres i maskę"},
        {"192.168.1.10", "", Outcome::Unverified, "adres bez zmian, maski nie odczytano"},
        {"192.168.1.10", "255.0.0.0", Outcome::Unverified, "maska 255.0.0.0: ani poprzednia, ani nowa"},
        {"192.168.1.99", "255.255.0.0", Outcome::Unverified, "192.168.1.99: ani poprzedni, ani nowy"},
        // The device's bytes are Latin-1: the detail is UTF-8 throughout.
        {"192.168.1.9\xb5", "255.255.0.0", Outcome::Unverified, "adres 192.168.1.9\xc2\xb5: ani"},
    };
    // clang-format on
    for (const Now& row : rows) {
        change::ChangeResult result;
        result.Address = "192.168.1.50";
        result.Mask = "255.255.0.0";
        result.OldAddress = "192.168.1.10";
        result.OldMask = "255.255.255.0";
        protocol::DeviceRow now;
        now.Address = row.Address;
        now.Mask = row.Mask;
        change::JudgeVerification(result, &now);
        EXPECT_EQ(result.Outcome, row.Outcome) << row.Address << " " << row.Mask;
        EXPECT_NE(result.Detail.find(row.Detail), std::string::npos) << result.Detail;
    }
}

} // namespace
