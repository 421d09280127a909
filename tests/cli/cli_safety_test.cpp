// SPDX-License-Identifier: MIT
// Changes that must never break the shop's network, through the real
// program on the simulated LAN: addresses in use are refused before anything
// is sent, a re-applied address sends nothing, a refused mask after an
// accepted address is "partial", and every change is journalled and undoable.
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using Json = nlohmann::json;
const std::string kA = "00:0E:C6:00:00:0A";
const std::string kB = "00:0E:C6:00:00:0B";

Json Fleet()
{
    Json config =
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kA),
                               MuxSimProcess::Device("192.168.1.20", kB, {{"faults", {{"replies", {{"SNM", "C"}}}}}})});
    config["hosts"] = Json::array({{{"ip", "192.168.1.40"}, {"mac", "00:11:22:33:44:55"}}});
    return config;
}

struct SetCase {
    std::string Mac, Address, Mask;
    int Status;
    std::string Result; // what the table line says
    std::size_t
        Selections; // "W"+MAC on the wire: 1 is the discovery's read alone; 3 adds the change and the verifying read
};

TEST(CliSafety, AddressesInUseAreRefusedBeforeAnythingIsSentAndAMaskRefusalIsPartial)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    const std::vector<SetCase> cases = {
        {kA, "192.168.1.20", "255.255.255.0", 3, "adres 192.168.1.20 ma już multiplekser " + kB, 1},
        {kA, "192.168.1.1", "255.255.255.0", 3, "adres 192.168.1.1 jest adresem tego komputera", 1},
        {kA, "192.168.1.40", "255.255.255.0", 3, "odpowiada na niego 00:11:22:33:44:55", 1},
        {kA, "192.168.001.010", "255.255.255.0", 0, "bez zmian", 1},
        {kB, "192.168.1.21", "255.255.0.0", 3, "zmieniono częściowo (adres zmieniony, maska nie", 3},
    };
    for (const SetCase& c : cases) {
        MuxSimProcess sim(Fleet());
        const MuxconfigRun run = RunMuxconfig(
            {"set", QString::fromStdString(c.Mac), QString::fromStdString(c.Address), QString::fromStdString(c.Mask)});
        EXPECT_EQ(run.Status, c.Status) << c.Address << run.Err;
        EXPECT_NE(run.Out.find(c.Result), std::string::npos) << run.Out;
        EXPECT_EQ(sim.CountReceived("W" + c.Mac), c.Selections) << c.Address;
    }
    // Only the partial change reached the journal, with its old and new settings and outcome.
    const MuxconfigRun history = RunMuxconfig({"history", "--format", "csv"});
    EXPECT_NE(history.Out.find(kB + ",192.168.1.20,255.255.255.0,192.168.1.21,255.255.0.0,partial"), std::string::npos)
        << history.Out;
    EXPECT_EQ(history.Out.find(kA), std::string::npos) << "nothing was sent to A";
}

TEST(CliSafety, AnUndoPlanPutsTheDevicesBack)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    // C's mask answer carries a line of its own, aimed at a device the run never touches.
    const std::string hostileMask = "255.255.255.0\n" + kB + ",192.168.1.77,255.255.255.0";
    MuxSimProcess sim(
        MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", kA), MuxSimProcess::Device("10.0.0.7", kB),
                               MuxSimProcess::Device("192.168.1.20", "0.14.198.74.16.9",
                                                     {{"faults", {{"replies", {{"GNM", "A" + hostileMask}}}}}})}));
    const QString plan = state.filePath("plan.csv"), undo = state.filePath("undo.csv");
    std::ofstream(plan.toStdString()) << "mac,address,mask\n"
                                      << kA << ",192.168.1.11,255.255.0.0\n"
                                      << kB << ",10.0.0.8,255.0.0.0\n"
                                      << "0.14.198.74.16.9,192.168.1.21,255.255.0.0\n";
    const std::size_t before = sim.Received().size();
    const MuxconfigRun unwritable = RunMuxconfig({"apply", plan, "--undo-plan", "/nonexistent/undo.csv"});
    EXPECT_EQ(unwritable.Status, 2) << unwritable.Err;
    EXPECT_NE(unwritable.Err.find("nic nie wysłano"), std::string::npos) << unwritable.Err;
    EXPECT_EQ(sim.Received().size(), before);

    const MuxconfigRun run = RunMuxconfig({"apply", plan, "--undo-plan", undo, "--detailed-exitcode"});
    EXPECT_EQ(run.Status, 3) << run.Out << run.Err; // C's mask never reads back as set
    EXPECT_NE(run.Err.find("plan cofnięcia: urządzenie 00:0E:C6:4A:10:09"), std::string::npos) << run.Err;
    std::stringstream written;
    written << std::ifstream(undo.toStdString()).rdbuf();
    EXPECT_EQ(written.str().rfind(
                  "mac,address,mask\n" + kA + ",192.168.1.10,255.255.255.0\n" + kB + ",10.0.0.7,255.255.255.0\n#", 0),
              0u)
        << written.str();
    EXPECT_EQ(written.str().find("\n" + kB + ",192.168.1.77"), std::string::npos) << written.str();

    const MuxconfigRun back = RunMuxconfig({"apply", undo, "--format", "jsonl"});
    EXPECT_EQ(back.Status, 0) << back.Out << back.Err;
    EXPECT_NE(back.Out.find("\"summary\""), std::string::npos);
    // The plan is never its own undo plan; a re-run that changes nothing keeps an earlier one.
    const MuxconfigRun itself = RunMuxconfig({"apply", undo, "--undo-plan", state.filePath("./undo.csv")});
    EXPECT_EQ(itself.Status, 2) << itself.Out;
    EXPECT_NE(itself.Err.find("to ten sam plik co " + undo.toStdString()), std::string::npos) << itself.Err;
    const QString earlier = state.filePath("earlier.csv");
    QFile::copy(undo, earlier);
    const MuxconfigRun again = RunMuxconfig({"apply", undo, "--detailed-exitcode", "--undo-plan", earlier});
    EXPECT_EQ(again.Status, 0) << "nothing left to do: " << again.Out;
    EXPECT_NE(again.Out.find("bez zmian"), std::string::npos);
    EXPECT_NE(again.Err.find("pozostawiono bez zmian"), std::string::npos) << again.Err;
    std::stringstream kept;
    kept << std::ifstream(earlier.toStdString()).rdbuf();
    EXPECT_EQ(kept.str(), written.str());
}

} // namespace
