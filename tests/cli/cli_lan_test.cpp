// SPDX-License-Identifier: MIT
// `muxconfig set` and `muxconfig apply` against simulated multiplexers:
// what they change, what they report, and what they refuse to send.
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <unistd.h>

namespace {

using Json = nlohmann::json;

// Which devices took which new value of `field`, in order (the assignment
// goes out until the device falls silent: repeats change nothing).
std::vector<std::pair<std::string, std::string>> Changes(const MuxSimProcess& sim, std::string_view field)
{
    std::vector<std::pair<std::string, std::string>> changes;
    for (const Json& entry : sim.StateChanges(field))
        if (entry["old"] != entry["new"])
            changes.emplace_back(entry["device"].get<std::string>(), entry["new"].get<std::string>());
    return changes;
}

QString PlanFile(QTemporaryFile& file, const std::string& text)
{
    EXPECT_TRUE(file.open());
    file.write(text.data(), qint64(text.size()));
    file.flush();
    return file.fileName();
}

using Changed = std::vector<std::pair<std::string, std::string>>;

TEST(CliSet, ChangesExactlyTheNamedDeviceAndVerifiesIt)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "00:0E:C6:00:00:0A"),
                                             MuxSimProcess::Device("192.168.1.20", "00:0E:C6:00:00:0B"),
                                             MuxSimProcess::Device("10.0.0.7", "00:0E:C6:00:00:0C")}));
    const MuxconfigRun run = RunMuxconfig({"set", "00:0E:C6:00:00:0B", "192.168.1.77", "255.255.0.0"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // The change's own result at once, then what the verifying discovery found.
    const std::string line = "00:0E:C6:00:00:0B 192.168.1.20/255.255.255.0 -> 192.168.1.77/255.255.0.0: ";
    EXPECT_EQ(run.Out, line + "zmieniono, sprawdzam\n" + line + "zmieniono i potwierdzono\n");
    EXPECT_EQ(Changes(sim, "address"), (Changed{{"00:0E:C6:00:00:0B", "192.168.1.77"}}));
    EXPECT_EQ(Changes(sim, "mask"), (Changed{{"00:0E:C6:00:00:0B", "255.255.0.0"}}));
    EXPECT_EQ(sim.CountReceived("X"), 2u); // the discovery and the verifying one
}

TEST(CliApply, ReportsEveryPlanLineAndEndsWith3WhenSomeFail)
{
    MuxSimProcess sim(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.10", "00:0E:C6:00:00:0A"),
         MuxSimProcess::Device("192.168.1.30", "00:0E:C6:00:00:0B", {{"faults", {{"deny_login", true}}}}),
         MuxSimProcess::Device("10.0.0.7", "00:0E:C6:00:00:0C")}));
    QTemporaryFile plan;
    const QString path = PlanFile(plan,
                                  "\xEF\xBB\xBF"
                                  "Adres MAC;Adres IP;Maska;uwagi\r\n"
                                  "# shop 12\r\n"
                                  "000e.c600.000a;192.168.001.050/24;;\"kasa; 1\"\r\n"
                                  "00:0E:C6:00:00:99;192.168.1.51;255.255.255.0;\r\n"
                                  "00-0e-c6-00-00-0b;192.168.1.52;24;\r\n"
                                  "00:0E:C6:00:00:0C; 10.0.0.8 ;/8;\r\n");

    const MuxconfigRun dry = RunMuxconfig({"apply", path, "--dry-run", "--format", "csv"});
    EXPECT_EQ(dry.Status, 3);
    EXPECT_NE(dry.Out.find("3,00:0E:C6:00:00:0A,192.168.1.50,255.255.255.0,planned,,192.168.1.10,255.255.255.0,mux0,"
                           "00:0E:C6:00:00:0A\n"),
              std::string::npos)
        << dry.Out;
    EXPECT_TRUE(Changes(sim, "address").empty());

    const MuxconfigRun run = RunMuxconfig({"apply", path, "--format", "csv"});
    EXPECT_EQ(run.Status, 3) << run.Err;
    EXPECT_EQ(run.Out,
              // A plan again: one line a device, with its final outcome.
              "line,mac,address,mask,result,detail,old_address,old_mask,interface,mac_normalized\n"
              "4,00:0E:C6:00:00:99,192.168.1.51,255.255.255.0,not_found,,,,,00:0E:C6:00:00:99\n"
              "5,00:0E:C6:00:00:0B,192.168.1.52,255.255.255.0,refused,Brak dostępu - prawdopodobnie złe hasło.,"
              "192.168.1.30,,mux0,00:0E:C6:00:00:0B\n"
              "3,00:0E:C6:00:00:0A,192.168.1.50,255.255.255.0,verified,,192.168.1.10,255.255.255.0,mux0,"
              "00:0E:C6:00:00:0A\n"
              "6,00:0E:C6:00:00:0C,10.0.0.8,255.0.0.0,verified,,10.0.0.7,255.255.255.0,mux0,00:0E:C6:00:00:0C\n");
    EXPECT_EQ(Changes(sim, "address"),
              (Changed{{"00:0E:C6:00:00:0A", "192.168.1.50"}, {"00:0E:C6:00:00:0C", "10.0.0.8"}}));
    // Dry run: one discovery; the run: one before the changes, one after.
    EXPECT_EQ(sim.CountReceived("X"), 3u);
}

TEST(CliApply, APlanOrSettingsErrorSendsNothing)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "00:0E:C6:00:00:0A")}));
    QTemporaryFile plan;
    const QString path = PlanFile(plan,
                                  "00:0E:C6:00:00:0A,192.168.1.50,255.255.255.0\n"
                                  "00:0E:C6:00:00:0B,127.0.0.1,255.255.255.0\n"
                                  "00:0E:C6:00:00:0A,192.168.1.50,255.0.255.0\n"
                                  "00:0E:C6:00:00:0C,192.168.1.60\n");
    const MuxconfigRun run = RunMuxconfig({"apply", path});
    EXPECT_EQ(run.Status, 2);
    for (const char* error : {": wiersz 2: Adres IP poza dozwolonym zakresem", ": wiersz 3: Niewłaściwa maska podsieci",
                              ": wiersz 3: adres MAC 00:0E:C6:00:00:0A już w wierszu 1",
                              ": wiersz 3: adres 192.168.1.50 już w wierszu 1", ": wiersz 4: oczekiwano trzech pól"})
        EXPECT_NE(run.Err.find(error), std::string::npos) << error << "\n" << run.Err;

    const MuxconfigRun badMask = RunMuxconfig({"set", "00:0E:C6:00:00:0A", "192.168.1.50", "255.255.255.255"});
    EXPECT_EQ(badMask.Status, 2);
    EXPECT_EQ(badMask.Err, "muxconfig: Niewłaściwa maska podsieci\n");
    EXPECT_EQ(RunMuxconfig({"set", "00:0E:C6:00:00:0A", "192.168.1.50"}).Status, 2);
    EXPECT_EQ(RunMuxconfig({"apply", "/nonexistent/plan.csv"}).Status, 2);

    QTest::qWait(300);
    EXPECT_TRUE(sim.Received().empty());
}

// The datagrams of a run from entry `from` on that name a device or set a mask.
std::set<std::string> NamingPayloads(const MuxSimProcess& sim, std::size_t from)
{
    const std::vector<std::string> payloads = sim.ReceivedPayloads();
    std::set<std::string> naming;
    for (std::size_t n = from; n < payloads.size(); ++n)
        if (payloads[n].rfind('W', 0) == 0 || payloads[n].rfind('A', 0) == 0 || payloads[n].rfind("SNM", 0) == 0)
            naming.insert(payloads[n]);
    return naming;
}

// Modules as the field has them: MACs in decimal text (plain and padded), a
// restart after a change, answers by broadcast; and one MAC answering from
// two addresses.
const std::string kTwin = "0.14.198.74.16.5";

Json FieldFleet()
{
    using Sim = MuxSimProcess;
    return Sim::Config({Sim::Device("192.168.1.31", "0.14.198.74.16.1"),
                        Sim::Device("192.168.1.32", "000.014.198.074.016.002"),
                        Sim::Device("192.168.1.33", "0.14.198.74.16.3", {{"restart_seconds", 4}}),
                        Sim::Device("192.168.1.34", "00:0E:C6:4A:10:04", {{"reply_to_broadcast", true}}),
                        Sim::Device("192.168.1.35", kTwin), Sim::Device("10.0.0.35", kTwin)});
}

struct FieldSet {
    std::string Named, Own, OldAddress, NewAddress;
};

TEST(CliField, DevicesNamedInAnySpellingAreChangedInTheirOwnTextAndVerified)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    MuxSimProcess sim(FieldFleet());
    const FieldSet cases[] = {
        {"00:0E:C6:4A:10:01", "0.14.198.74.16.1", "192.168.1.31", "192.168.1.41"},
        {"0.14.198.74.16.2", "000.014.198.074.016.002", "192.168.1.32", "192.168.1.42"},
        {"000EC64A1003", "0.14.198.74.16.3", "192.168.1.33", "192.168.1.43"}, // restarts for 4 s after its change
        {"000e.c64a.1004", "00:0E:C6:4A:10:04", "192.168.1.34", "192.168.1.44"},
    };
    for (const FieldSet& c : cases) {
        const std::size_t from = sim.Received().size();
        const MuxconfigRun run =
            RunMuxconfig({"set", QString::fromStdString(c.Named), QString::fromStdString(c.NewAddress), "255.255.0.0"});
        EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
        EXPECT_NE(run.Out.find(c.Own + " " + c.OldAddress + "/255.255.255.0 -> " + c.NewAddress +
                               "/255.255.0.0: zmieniono i potwierdzono\n"),
                  std::string::npos)
            << run.Out;
        EXPECT_EQ(NamingPayloads(sim, from),
                  (std::set<std::string>{"W" + c.Own, "A" + c.Own + "/QOVUT/" + c.NewAddress, "SNM255.255.0.0"}));
    }

    // Its MAC answers from two addresses: read, then refused with both named, nothing changed.
    const std::size_t from = sim.Received().size();
    const MuxconfigRun twin = RunMuxconfig({"set", "00-0E-C6-4A-10-05", "192.168.1.45", "255.255.0.0"});
    EXPECT_EQ(twin.Status, 3);
    for (const char* said : {"MAC w dwóch miejscach", "192.168.1.35", "10.0.0.35", "nie rozróżni"})
        EXPECT_NE(twin.Out.find(said), std::string::npos) << said << "\n" << twin.Out;
    EXPECT_EQ(NamingPayloads(sim, from), std::set<std::string>{"W" + kTwin});

    // The listing as a plan, readdressed by hand (the twins left out), reaches every device.
    const MuxconfigRun listed = RunMuxconfig({"list", "--format", "csv"});
    EXPECT_EQ(listed.Status, 0) << listed.Err;
    std::istringstream rows(listed.Out);
    std::string plan, row;
    for (std::getline(rows, plan); std::getline(rows, row);)
        if (row.rfind("192.168.1.4", 0) == 0)
            plan += "\n192.168.1.5" + row.substr(11);
    QTemporaryFile planFile;
    const MuxconfigRun applied = RunMuxconfig({"apply", PlanFile(planFile, plan), "--format", "csv"});
    EXPECT_EQ(applied.Status, 0) << applied.Out << applied.Err;
    EXPECT_NE(applied.Out.find(",000.014.198.074.016.002,192.168.1.52,255.255.0.0,verified,"), std::string::npos)
        << applied.Out;
    Changed expected;
    for (const FieldSet& c : cases)
        expected.emplace_back(c.Own, c.NewAddress);
    for (auto c = std::rbegin(cases); c != std::rend(cases); ++c) // the listing's order
        expected.emplace_back(c->Own, "192.168.1.5" + c->NewAddress.substr(11));
    EXPECT_EQ(Changes(sim, "address"), expected);
}

// An operator's own account (nobody): the journal in its own state
// directory, the probe by arping through its file capability. An arping
// without the capability leaves the address unchecked and the change goes on.
struct UserRun {
    QStringList Arguments;
    bool BareArping;
    int Status;
    std::string Said;
};

TEST(CliOrdinaryUser, ListsAndChangesWithTheProbeOrWithoutIt)
{
    const QStringList asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (QProcess::execute(asNobody.first(), asNobody.mid(1) << "true") != 0)
        GTEST_SKIP() << "user 65534 is not mapped here (a run without root)";
    QTemporaryDir home;
    const QString bare = home.filePath("bare");
    ASSERT_TRUE(QDir().mkdir(bare));
    ASSERT_TRUE(QFile::copy(QStandardPaths::findExecutable("arping"), bare + "/arping")); // no capability
    ASSERT_EQ(::chown(home.path().toLocal8Bit().constData(), 65534, 65534), 0);
    Json fleet = MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "0.14.198.74.16.9")});
    fleet["hosts"] = Json::array({{{"ip", "192.168.1.40"}, {"mac", "00:11:22:33:44:55"}}});
    MuxSimProcess sim(fleet);
    const std::string mac = "0.14.198.74.16.9";
    const auto set = [](const char* address) -> QStringList {
        return {"set", "00:0E:C6:4A:10:09", address, "255.255.255.0"};
    };
    const std::string unchecked = "adresu nie sprawdzono: program arping zgłosił błąd: " + bare.toStdString() +
        "/arping: socket: Operation not permitted";
    const UserRun runs[] = {
        {{"list"}, false, 0, "192.168.1.10  255.255.255.0   " + mac},
        {set("192.168.1.40"), false, 3, "odpowiada na niego 00:11:22:33:44:55"}, // the probe ran
        {set("192.168.1.11"), false, 0, "-> 192.168.1.11/255.255.255.0: zmieniono i potwierdzono\n"},
        {set("192.168.1.12"), true, 0, "zmieniono i potwierdzono (" + unchecked + ") [adresu nie sprawdzono]\n"},
        {{"history", "--format", "csv"}, false, 0, mac + ",192.168.1.11,255.255.255.0,192.168.1.12,255.255.255.0,"},
    };
    for (const UserRun& r : runs) {
        QStringList prefix = asNobody;
        prefix << "env"
               << "HOME=" + home.path() << "XDG_STATE_HOME=" + home.path();
        if (r.BareArping)
            prefix << "PATH=" + bare + ":" + qEnvironmentVariable("PATH");
        const MuxconfigRun run = RunMuxconfig(r.Arguments, prefix);
        EXPECT_EQ(run.Status, r.Status) << r.Arguments.join(' ').toStdString() << "\n" << run.Out << run.Err;
        EXPECT_NE(run.Out.find(r.Said), std::string::npos) << r.Said << "\n" << run.Out;
    }
}

TEST(CliNetwork, AnUnreachableNetworkEndsWithStatus1AndTheWindowsErrorText)
{
    // A namespace of its own with no interface up: the first broadcast fails.
    const MuxconfigRun run = RunMuxconfig({"list", "--format", "json"}, {"unshare", "--net"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Out.empty()) << run.Out;
    EXPECT_NE(run.Err.find("Numer błędu: 10051\nOpis błędu:  Send failed: The network is unreachable\n"
                           "Sprawdź czy komputer posiada stały adres IP"),
              std::string::npos)
        << run.Err;
}

} // namespace
