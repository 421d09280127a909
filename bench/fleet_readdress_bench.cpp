// SPDX-License-Identifier: MIT
// Re-addressing benchmark: N simulated multiplexers each get a new address
// and mask, once with `muxconfig apply` (one discovery, the changes, one
// verifying discovery) and once along the window's path (the first refresh,
// then for every device "Ustaw": the change, the 2000 ms pause and a full
// refresh). Prints the wall time of each and their ratio.
//
// The window's path is measured on the device session as the window drives
// it (EngineRig), without widgets. It grows with N squared; for N above
// --window-full it is measured for the first refresh and --window-sample
// devices and extrapolated to N (marked "extrapolated").
//
// Runs only inside the private LAN: scripts/netlab build/bin/fleet_readdress_bench
//   fleet_readdress_bench [--devices 10,50] [--window-full 10] [--window-sample 3]
#include "command_line.h"
#include "engine_rig.h"
#include "lan_program.h"

#include "net/socket_layer.h"
#include "protocol/event_loop_wait.h"
#include "protocol/protocol_constants.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Device {
    std::string Mac;
    std::string Address;
    std::string NewAddress;
};

std::vector<Device> Fleet(int count)
{
    std::vector<Device> fleet;
    for (int i = 0; i < count; ++i) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-20-4A-00-%02X-%02X", i / 256, i % 256);
        const std::string host = std::to_string(i / 200) + "." + std::to_string(10 + i % 200);
        fleet.push_back({mac, "10.0." + host, "10.1." + host});
    }
    return fleet;
}

QString WriteSimConfig(const std::vector<Device>& fleet, const QTemporaryDir& directory)
{
    nlohmann::json devices = nlohmann::json::array();
    for (const Device& device : fleet)
        devices.push_back({{"ip", device.Address}, {"mac", device.Mac}, {"mask", "255.0.0.0"}});
    const QString path = directory.filePath(QStringLiteral("devices.json"));
    std::ofstream(path.toStdString()) << nlohmann::json{{"devices", devices}}.dump() << "\n";
    return path;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// `muxconfig apply` over the whole fleet; wall time in seconds.
double MeasureApply(const std::vector<Device>& fleet)
{
    QTemporaryDir directory;
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", WriteSimConfig(fleet, directory)},
                          "the simulated devices");
    const QString plan = directory.filePath(QStringLiteral("plan.csv"));
    {
        std::ofstream out(plan.toStdString());
        for (const Device& device : fleet)
            out << device.Mac << ',' << device.NewAddress << ",255.255.0.0\n";
    }
    QProcess muxconfig;
    muxconfig.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto start = Clock::now();
    muxconfig.start(QStringLiteral(MUX_CONFIG_PROGRAM), {"apply", plan, "--format", "json", "--quiet"});
    if (!muxconfig.waitForFinished(-1) || muxconfig.exitCode() != 0)
        throw std::runtime_error("muxconfig apply did not verify every device");
    const double seconds = Seconds(start);
    const auto summary = nlohmann::json::parse(muxconfig.readAllStandardOutput().toStdString())["summary"];
    if (summary["verified"] != fleet.size())
        throw std::runtime_error("muxconfig apply: " + summary.dump());
    return seconds;
}

struct WindowPath {
    double Seconds = 0;
    int MeasuredDevices = 0;
};

// The window's path for the first `measured` devices, extrapolated to all.
WindowPath MeasureWindowPath(const std::vector<Device>& fleet, int measured)
{
    QTemporaryDir directory;
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", WriteSimConfig(fleet, directory)},
                          "the simulated devices");
    EngineRig<> rig;

    const auto start = Clock::now();
    std::vector<protocol::DeviceRow> rows = rig.Session.Discover().Rows;
    const double firstRefresh = Seconds(start);
    const auto changesStart = Clock::now();
    for (int i = 0; i < measured; ++i) {
        const Device& device = fleet[std::size_t(i)];
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const protocol::DeviceRow& listed) { return listed.Mac == device.Mac; });
        if (row == rows.end() || !rig.Session.Change(*row, device.NewAddress, "255.255.0.0").Ok())
            throw std::runtime_error("the change of " + device.Mac + " failed");
        protocol::ProcessEventsUntil(QDeadlineTimer(protocol::kPauseAfterChangeMs, Qt::PreciseTimer),
                                     [] { return false; });
        rows = rig.Session.Discover().Rows;
    }
    const double perDevice = Seconds(changesStart) / measured;
    rig.Transport.Terminate();
    return {firstRefresh + perDevice * double(fleet.size()), measured};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fleet_readdress_bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Re-addressing N simulated multiplexers: muxconfig apply against the window's path; "
                       "run inside scripts/netlab."));
    parser.addHelpOption();
    const QCommandLineOption devices(QStringLiteral("devices"),
                                     QStringLiteral("Device counts, comma-separated (default 10,50)."),
                                     QStringLiteral("N,N,..."), QStringLiteral("10,50"));
    const QCommandLineOption full(QStringLiteral("window-full"),
                                  QStringLiteral("Largest count whose window path is measured in full (default 10)."),
                                  QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption sample(QStringLiteral("window-sample"),
                                    QStringLiteral("Devices measured on the window path above that (default 3)."),
                                    QStringLiteral("N"), QStringLiteral("3"));
    parser.addOptions({devices, full, sample});
    parser.process(app);
    const std::vector<int> counts = bench::DeviceCounts(parser.value(devices));
    const int fullUpTo = bench::NumberValue(parser, full, 1, 255);
    const int sampled = bench::NumberValue(parser, sample, 1, 255);

    net::SocketLayer socketLayer;
    try {
        std::printf(
            "| Devices | muxconfig apply (s) | Window path (s) | Window path measured on                  | Ratio |\n");
        std::printf(
            "|--------:|--------------------:|----------------:|:-----------------------------------------|------:|\n");
        std::fflush(stdout);
        for (const int count : counts) {
            const std::vector<Device> fleet = Fleet(count);
            const double apply = MeasureApply(fleet);
            const WindowPath window = MeasureWindowPath(fleet, count <= fullUpTo ? count : std::min(sampled, count));
            const std::string measuredOn = window.MeasuredDevices == count
                ? "all " + std::to_string(count) + " devices"
                : "first refresh + " + std::to_string(window.MeasuredDevices) + " devices, extrapolated";
            std::printf("| %7d | %19.1f | %15.1f | %-40s | %5.1f |\n", count, apply, window.Seconds, measuredOn.c_str(),
                        window.Seconds / apply);
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fleet_readdress_bench: %s\n", e.what());
        return 1;
    }
}
