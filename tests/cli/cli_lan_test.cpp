// SPDX-License-Identifier: MIT
// `muxconfig set` and `muxconfig apply` against simulated multiplexers:
// what they change, what they report, and what they refuse to send.
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>

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
    EXPECT_EQ(run.status, 0) << run.err;
    // The change's own result at once, then what the verifying discovery found.
    const std::string line = "00:0E:C6:00:00:0B 192.168.1.20/255.255.255.0 -> 192.168.1.77/255.255.0.0: ";
    EXPECT_EQ(run.out, line + "zmieniono, sprawdzam\n" + line + "zmieniono i potwierdzono\n");
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
    EXPECT_EQ(dry.status, 3);
    EXPECT_NE(dry.out.find("3,00:0E:C6:00:00:0A,192.168.1.50,255.255.255.0,planned,,192.168.1.10,255.255.255.0,mux0,"
                           "00:0E:C6:00:00:0A\n"),
              std::string::npos)
        << dry.out;
    EXPECT_TRUE(Changes(sim, "address").empty());

    const MuxconfigRun run = RunMuxconfig({"apply", path, "--format", "csv"});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(run.out,
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
    EXPECT_EQ(run.status, 2);
    for (const char* error : {": wiersz 2: Adres IP poza dozwolonym zakresem", ": wiersz 3: Niewłaściwa maska podsieci",
                              ": wiersz 3: adres MAC 00:0E:C6:00:00:0A już w wierszu 1",
                              ": wiersz 3: adres 192.168.1.50 już w wierszu 1", ": wiersz 4: oczekiwano trzech pól"})
        EXPECT_NE(run.err.find(error), std::string::npos) << error << "\n" << run.err;

    const MuxconfigRun badMask = RunMuxconfig({"set", "00:0E:C6:00:00:0A", "192.168.1.50", "255.255.255.255"});
    EXPECT_EQ(badMask.status, 2);
    EXPECT_EQ(badMask.err, "muxconfig: Niewłaściwa maska podsieci\n");
    EXPECT_EQ(RunMuxconfig({"set", "00:0E:C6:00:00:0A", "192.168.1.50"}).status, 2);
    EXPECT_EQ(RunMuxconfig({"apply", "/nonexistent/plan.csv"}).status, 2);

    QTest::qWait(300);
    EXPECT_TRUE(sim.Received().empty());
}

TEST(CliNetwork, AnUnreachableNetworkEndsWithStatus1AndTheWindowsErrorText)
{
    // A namespace of its own with no interface up: the first broadcast fails.
    const MuxconfigRun run = RunMuxconfig({"list", "--format", "json"}, {"unshare", "--net"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("Numer błędu: 10051\nOpis błędu:  Send failed: The network is unreachable\n"
                           "Sprawdź czy komputer posiada stały adres IP"),
              std::string::npos)
        << run.err;
}

} // namespace
