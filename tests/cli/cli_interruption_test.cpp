// SPDX-License-Identifier: MIT
// A plan cut short keeps its record: through the real program on the
// simulated LAN, each result is on standard output as soon as it is known,
// an interface that goes away fails only the devices behind it, and a
// signal stops the run after the device in hand with every line accounted.
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <tuple>

namespace {

using Json = nlohmann::json;
const std::vector<std::string> kMacs = {"00:0E:C6:00:01:0A", "00:0E:C6:00:01:0B", "00:0E:C6:00:01:0C"};

// The program running `apply` over the three devices, its output read line
// by line as it comes.
class PlanInFlight {
public:
    explicit PlanInFlight(const QTemporaryDir& state, const std::string& command = "apply")
    {
        qputenv("XDG_STATE_HOME", state.path().toUtf8());
        const QString plan = state.filePath("plan.csv");
        std::ofstream file(plan.toStdString());
        for (std::size_t n = 0; n < kMacs.size(); ++n)
            file << kMacs[n] << ",192.168.1." << 101 + n << ",255.255.255.0\n";
        file.close();
        process_.start(QStringLiteral(MUX_CONFIG_PROGRAM),
                       command == "list" ? QStringList{"list"} : QStringList{"apply", plan, "--format", "jsonl"});
    }

    // The next complete JSON line (null when the program ended first).
    Json NextLine()
    {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(30000))
                return nullptr;
        return Json::parse(process_.readLine().toStdString());
    }

    // Every remaining line by MAC, the summary, and the exit status.
    int Finish(std::map<std::string, std::string>& results, Json& summary)
    {
        process_.waitForFinished(60000);
        while (process_.canReadLine()) {
            const Json line = Json::parse(process_.readLine().toStdString());
            if (line.contains("mac"))
                results[line["mac"].get<std::string>()] = line["result"].get<std::string>();
            else
                summary = line;
        }
        Err = process_.readAllStandardError().toStdString();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    QProcess& Process() { return process_; }
    std::string Err;

private:
    QProcess process_;
};

std::size_t AssignsTo(const MuxSimProcess& sim, const std::string& mac)
{
    std::size_t count = 0;
    for (const std::string& payload : sim.ReceivedPayloads())
        count += payload.rfind("A" + mac + "/", 0) == 0 ? 1 : 0;
    return count;
}

Json ThreeDevices()
{
    std::vector<Json> devices;
    for (std::size_t n = 0; n < kMacs.size(); ++n)
        devices.push_back(MuxSimProcess::Device("192.168.1." + std::to_string(11 + n), kMacs[n]));
    return MuxSimProcess::Config(devices);
}

TEST(CliInterruption, AnInterfaceThatGoesAwayFailsTheDevicesBehindItAndTheRunGoesOn)
{
    QTemporaryDir state;
    MuxSimProcess sim(ThreeDevices());
    PlanInFlight plan(state);

    // The first device's result is printed before the second change is done.
    const Json first = plan.NextLine();
    ASSERT_TRUE(first.is_object()) << plan.Err;
    EXPECT_EQ(first.value("mac", ""), kMacs[0]);
    EXPECT_EQ(first.value("result", ""), "changed");
    EXPECT_EQ(AssignsTo(sim, kMacs[1]), 0u);
    ASSERT_EQ(QProcess::execute("ip", {"link", "del", "eth"}), 0);

    std::map<std::string, std::string> results;
    Json summary;
    EXPECT_EQ(plan.Finish(results, summary), 3) << plan.Err;
    EXPECT_EQ(results[kMacs[0]], "unverified") << "its interface is gone, the verifying discovery ran on wifi";
    for (std::size_t n = 1; n < kMacs.size(); ++n)
        EXPECT_EQ(results[kMacs[n]], "interface_gone") << kMacs[n];
    EXPECT_EQ(summary["summary"].value("interface_gone", 0), 2) << summary.dump();
    EXPECT_EQ(AssignsTo(sim, kMacs[2]), 0u) << "nothing reached the third device";
}

TEST(CliInterruption, ASignalStopsAfterTheDeviceInHandWithEveryLineAccounted)
{
    QTemporaryDir state;
    MuxSimProcess sim(ThreeDevices());
    PlanInFlight plan(state);

    // The second device's change has begun (its selection, after the
    // discovery's read and the first change's verification read).
    ASSERT_EQ(plan.NextLine().value("result", ""), "changed");
    ASSERT_TRUE(sim.WaitForPayload("W" + kMacs[1], 2));
    ::kill(static_cast<pid_t>(plan.Process().processId()), SIGTERM);

    std::map<std::string, std::string> results;
    Json summary;
    EXPECT_EQ(plan.Finish(results, summary), 128 + SIGTERM) << plan.Err;
    EXPECT_EQ(results[kMacs[0]], "unverified");
    EXPECT_EQ(results[kMacs[1]], "unverified") << "the device in hand was finished";
    EXPECT_GT(AssignsTo(sim, kMacs[1]), 0u);
    EXPECT_EQ(results[kMacs[2]], "not_attempted");
    EXPECT_EQ(sim.CountReceived("W" + kMacs[2]), 1u) << "only the discovery's read reached the third device";
    EXPECT_GE(sim.CountReceived("E"), 2u) << "each changed device was closed";
    EXPECT_EQ(summary["summary"].value("total", 0), 3);
}

// A stop before the first change ends the reads and the probes (of an arping that never ends) within a second.
TEST(CliInterruption, AStopBeforeTheFirstChangeEndsReadsAndProbesWithinASecond)
{
    QTemporaryDir state;
    MuxSimProcess sim(ThreeDevices());
    std::ofstream(state.filePath("arping").toStdString()) << "#!/bin/sh\nexec sleep 30\n";
    QFile::setPermissions(state.filePath("arping"), QFile::ExeOwner | QFile::ReadOwner);
    const QByteArray path = qgetenv("PATH");
    const std::string read = "W" + kMacs[1]; // the second device in hand; "GDN" x3: the reads done, the probes run
    // clang-format off
    const std::tuple<std::string, int, std::string, std::size_t> rows[] = {{"list", SIGINT, read, 1},
        {"list", SIGHUP, read, 1}, {"list", SIGTERM, read, 1}, {"apply", SIGINT, read, 1}, {"apply", SIGTERM, "GDN", 3}};
    // clang-format on
    for (const auto& [command, signal, after, times] : rows) {
        const std::size_t count = sim.CountReceived(after);
        qputenv("PATH", state.path().toUtf8() + ":" + path);
        PlanInFlight run(state, command);
        qputenv("PATH", path);
        ASSERT_TRUE(sim.WaitForPayload(after, count + times)) << command;
        const std::size_t stopped = sim.Received().size();
        const auto stopping = std::chrono::steady_clock::now();
        ::kill(static_cast<pid_t>(run.Process().processId()), signal);
        ASSERT_TRUE(run.Process().waitForFinished(10000));
        EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(1)) << command << " " << signal;
        EXPECT_EQ(run.Process().exitCode(), 128 + signal) << command; // a signal's own death gives its number
        const std::vector<std::string> all = sim.ReceivedPayloads();
        EXPECT_EQ(std::vector<std::string>(all.begin() + long(stopped), all.end()), std::vector<std::string>(3, "E"))
            << command << " " << signal << ": nothing but the closing commands";
    }
}

} // namespace
