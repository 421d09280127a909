// SPDX-License-Identifier: MIT
// The address-conflict probe over the simulated LAN: real arping processes
// against muxsim's devices and plain hosts, and what arping's outcomes mean.
#include "conflicts/address_probe.h"
#include "conflicts/arping_outcome.h"
#include "conflicts/workstation_addresses.h"
#include "muxsim_process.h"

#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/resource.h>

using conflicts::ProbeResult;
using conflicts::ProbeTarget;
using State = conflicts::ProbeState;

namespace {

std::string Describe(const ProbeResult& result)
{
    const char* names[] = {"Free", "Taken", "NotChecked"};
    return std::string(names[static_cast<int>(result.State)]) + " mac=" + result.Mac + " reason=" + result.Reason;
}

} // namespace

TEST(ArpingOutcome, ExitStatusAndOutputDecide)
{
    const std::string taken = "ARPING 10.0.0.7 from 0.0.0.0 mux0\n"
                              "Unicast reply from 10.0.0.7 [00:1A:22:33:44:5F]  0.546ms\n"
                              "Sent 1 probes (1 broadcast(s))\nReceived 1 response(s)\n";
    const std::string free = "ARPING 10.0.0.7 from 0.0.0.0 mux0\nSent 2 probes (2 broadcast(s))\n"
                             "Received 0 response(s)\n";
    struct Row {
        int Status;
        std::string Output, Errors;
        conflicts::ProbeState State;
        std::string MacOrReason;
    };
    const std::vector<Row> rows = {
        {1, taken, "", State::Taken, "00:1a:22:33:44:5f"},
        {0, taken, "", State::Taken, "00:1a:22:33:44:5f"},
        {1, "Broadcast reply from 10.0.0.7 [02:00:00:00:00:01]  1ms\n", "", State::Taken, "02:00:00:00:00:01"},
        {0, free, "", State::Free, ""},
        {1, "Unicast reply from 10.0.0.70 [00:11:22:33:44:55]\n", "", State::NotChecked, "kodem 1"},
        {1, "Unicast reply from 10.0.0.7 [00:11:22:33:44]\n", "", State::NotChecked, "kodem 1"},
        {2, "", "arping: socket: Operation not permitted\n", State::NotChecked, "Operation not permitted"},
        {2, "Interface \"eth9\" is down\n", "", State::NotChecked, "is down"},
        {2, "", "", State::NotChecked, "kod wyjścia 2"},
    };
    for (const Row& row : rows) {
        const ProbeResult result = conflicts::ArpingOutcome("10.0.0.7", row.Status, row.Output, row.Errors);
        EXPECT_EQ(result.State, row.State) << row.Output << row.Errors;
        EXPECT_NE((row.State == State::Taken ? result.Mac : result.Reason).find(row.MacOrReason), std::string::npos)
            << Describe(result);
    }
}

TEST(WorkstationAddresses, OwnAddressesOnly)
{
    EXPECT_TRUE(conflicts::WorkstationAddresses().Error.empty());
    for (const char* own : {"192.168.1.1", "127.0.0.1"})
        EXPECT_TRUE(conflicts::IsWorkstationAddress(own)) << own;
    for (const char* other : {"192.168.1.254", "192.168.1.2", "10.0.0.7", "192.168.1.1x", ""})
        EXPECT_FALSE(conflicts::IsWorkstationAddress(other)) << other;
}

TEST(AddressProbeLan, DevicesAndHostsAreTakenOthersFreeOrNotChecked)
{
    MuxSimProcess sim(nlohmann::json{{"devices",
                                      {MuxSimProcess::Device("10.0.0.7", "00:11:22:33:44:55"),
                                       MuxSimProcess::Device("192.168.1.10", "AA", {{"faults", {{"silent", true}}}})}},
                                     {"hosts", {{{"ip", "192.168.1.20"}, {"mac", "00:11:22:33:44:66"}}}}});
    ASSERT_EQ(
        std::system("ip link add probe0 type veth peer name probe3 && ip link add probe1 type veth peer name probe2 && "
                    "ip link set probe1 up"),
        0);
    struct Row {
        ProbeTarget Target;
        conflicts::ProbeState State;
        std::string MacOrReason;
    };
    const std::vector<Row> rows = {
        {{"mux0", "10.0.0.7"}, State::Taken, "00:11:22:33:44:55"},
        {{"mux0", "192.168.1.20"}, State::Taken, "00:11:22:33:44:66"},
        {{"mux0", "192.168.1.10"}, State::Taken, "02:"}, // a MAC text that is no Ethernet address
        {{"mux0", "192.168.1.30"}, State::Free, ""},
        {{"mux0", "10.0.0.7"}, State::Taken, "00:11:22:33:44:55"}, // asked twice, probed once
        {{"eth9", "192.168.1.30"}, State::NotChecked, "„eth9” nie istnieje"},
        {{"probe0", "192.168.1.30"}, State::NotChecked, "„probe0” jest wyłączony"},
        {{"probe1", "192.168.1.30"}, State::NotChecked, "„probe1” nie ma połączenia"},
        {{"mux0", "192.168.1.300"}, State::NotChecked, "nie jest adresem IPv4"},
    };
    std::vector<ProbeTarget> targets;
    for (const Row& row : rows)
        targets.push_back(row.Target);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    const auto results = conflicts::ProbeAddresses(targets);
    EXPECT_GT(ticks, 0) << "the event loop ran while the probes were out";

    ASSERT_EQ(results.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(results[i].State, rows[i].State) << rows[i].Target.Address << ": " << Describe(results[i]);
        const std::string& text = rows[i].State == State::Taken ? results[i].Mac : results[i].Reason;
        EXPECT_NE(text.find(rows[i].MacOrReason), std::string::npos) << Describe(results[i]);
    }
    EXPECT_EQ(sim.Stop(), 0);
    std::system("ip link del probe0; ip link del probe1");
}

TEST(AddressProbeLan, MissingArpingIsNotChecked)
{
    conflicts::ProbeSettings settings;
    settings.Program = "/nonexistent/arping";
    const auto results = conflicts::ProbeAddresses({{"mux0", "192.168.1.30"}, {"mux0", "192.168.1.31"}}, settings);
    ASSERT_EQ(results.size(), 2u);
    for (const ProbeResult& result : results) {
        EXPECT_EQ(result.State, State::NotChecked);
        EXPECT_NE(result.Reason.find("iputils-arping"), std::string::npos) << result.Reason;
    }
}

TEST(AddressProbeLan, AllProbesRunAtOnce)
{
    // A stand-in for arping that answers "free" only once all its siblings
    // run beside it: probes started one after another would each wait
    // alone until they give up.
    constexpr int kCount = 20;
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const std::string started = directory.filePath("started").toStdString();
    const std::string program = directory.filePath("arping").toStdString();
    std::ofstream(program) << "#!/bin/sh\necho \"$@\" > " << started << "/$$\n"
                           << "for i in $(seq 1 300); do\n"
                           << "  if [ $(ls " << started << " | wc -l) -ge " << kCount << " ]; then\n"
                           << "    echo 'Received 0 response(s)'; exit 0\n  fi\n  sleep 0.01\ndone\nexit 2\n";
    ASSERT_EQ(std::system(("mkdir " + started + " && chmod +x " + program).c_str()), 0);
    conflicts::ProbeSettings settings;
    settings.Program = program;
    std::vector<ProbeTarget> targets;
    for (int i = 1; i <= kCount; ++i)
        targets.push_back({"mux0", "10.9.0." + std::to_string(i)});
    const auto results = conflicts::ProbeAddresses(targets, settings);
    for (const ProbeResult& result : results)
        EXPECT_EQ(result.State, State::Free) << Describe(result);
    const int found = std::system(("grep -qx -- '-D -I mux0 -c 2 -w 2 10.9.0.20' " + started + "/*").c_str());
    EXPECT_EQ(found, 0) << "arping -D on the interface, 2 probes within 2 s";
}

TEST(AddressProbeLan, ADescriptorLimitRunsProbesInTurnsAndNamesAShortageSilently)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("10.30.0.1", "00:11:22:33:44:01"),
                                             MuxSimProcess::Device("10.30.0.2", "00:11:22:33:44:02")}));
    std::vector<ProbeTarget> targets;
    for (int i = 1; i <= 12; ++i)
        targets.push_back({"mux0", "10.30.0." + std::to_string(i)});
    conflicts::ProbeSettings settings;
    settings.Probes = 1;
    settings.DeadlineSeconds = 1;
    static std::vector<std::string> messages;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages.push_back(text.toStdString()); });
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &original), 0);
    // spare descriptors: 52 let four probes run at a time, 6 none
    for (const auto& [spare, notChecked] : std::vector<std::pair<rlim_t, std::size_t>>{{52, 0}, {6, 12}}) {
        const auto open = static_cast<rlim_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
        const rlimit lowered{open - 1 + spare, original.rlim_max};
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
        const auto results = conflicts::ProbeAddresses(targets, settings);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &original), 0);
        ASSERT_EQ(results.size(), targets.size());
        EXPECT_EQ(conflicts::CountNotChecked(results), notChecked) << spare << ": " << Describe(results.back());
        for (std::size_t i = 0; i < results.size(); ++i) {
            const State expected = notChecked ? State::NotChecked : i < 2 ? State::Taken : State::Free;
            EXPECT_EQ(results[i].State, expected) << spare << " " << targets[i].Address << ": " << Describe(results[i]);
            EXPECT_EQ(results[i].Reason.find("za mało wolnych deskryptorów plików") == 0, notChecked > 0);
        }
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(messages, std::vector<std::string>{}) << "Qt said nothing on stderr";
}
