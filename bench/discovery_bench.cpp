// SPDX-License-Identifier: MIT
// Discovery benchmark: one full discovery cycle (DeviceSession::Discover)
// against N simulated multiplexers, for several N, each in a
// fresh process so that its peak memory is its own. Prints a table of wall
// time, the protocol's floor (2000 ms window + 500 ms pause per device), the
// overhead per device above that floor, the configurator's CPU time as a
// share of wall time, and peak resident memory.
//
// Runs only inside the private LAN: scripts/bench (or scripts/netlab).
//   discovery_bench [--devices 1,10,50,255]
#include "command_line.h"
#include "engine_rig.h"
#include "lan_program.h"

#include "net/socket_layer.h"
#include "protocol/protocol_constants.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Measurement {
    int Devices = 0;
    int Listed = 0;
    double WallMs = 0;
    double CpuMs = 0;
    long PeakRssKiB = 0;
};

double CpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long PeakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Writes muxsim's config for `count` devices into `directory`; returns its path.
QString SimulatedDevices(int count, const QTemporaryDir& directory)
{
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        const std::string address = "10.0." + std::to_string(i / 200) + "." + std::to_string(10 + i % 200);
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-20-4A-00-%02X-%02X", i / 256, i % 256);
        devices.push_back({{"ip", address}, {"mac", mac}, {"mask", "255.0.0.0"}});
    }
    const QString path = directory.filePath(QStringLiteral("devices.json"));
    std::ofstream(path.toStdString()) << nlohmann::json{{"devices", devices}}.dump(2) << "\n";
    return path;
}

Measurement MeasureOneCycle(int count)
{
    QTemporaryDir directory;
    if (!directory.isValid())
        throw std::runtime_error("no temporary directory");
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", SimulatedDevices(count, directory)},
                          "the simulated devices");

    EngineRig<> rig;
    const double cpuBefore = CpuMilliseconds();
    const auto start = std::chrono::steady_clock::now();
    const protocol::DiscoveryResult found = rig.Session.Discover();
    const auto end = std::chrono::steady_clock::now();
    const double cpuAfter = CpuMilliseconds();

    Measurement m;
    m.Devices = count;
    m.Listed = int(found.Rows.size());
    m.WallMs = std::chrono::duration<double, std::milli>(end - start).count();
    m.CpuMs = cpuAfter - cpuBefore;
    m.PeakRssKiB = PeakRssKiB();
    rig.Transport.Terminate();
    return m;
}

int RunChild(int count)
{
    const Measurement m = MeasureOneCycle(count);
    std::printf("%d %d %.1f %.1f %ld\n", m.Devices, m.Listed, m.WallMs, m.CpuMs, m.PeakRssKiB);
    return m.Listed == count ? 0 : 1;
}

int RunAll(const std::vector<int>& counts, const QString& self)
{
    std::printf(
        "| Devices | Listed | Wall (ms) | Floor (ms) | Overhead/device (ms) | CPU (ms) | CPU share | Peak RSS (MiB) |\n");
    std::printf(
        "|--------:|-------:|----------:|-----------:|---------------------:|---------:|----------:|---------------:|\n");
    std::fflush(stdout);
    int status = 0;
    for (int count : counts) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(self, {"--one", QString::number(count)});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
            std::fprintf(stderr, "the run with %d devices failed\n", count);
            status = 1;
            continue;
        }
        Measurement m;
        std::istringstream line(child.readAllStandardOutput().toStdString());
        line >> m.Devices >> m.Listed >> m.WallMs >> m.CpuMs >> m.PeakRssKiB;
        if (!line) {
            std::fprintf(stderr, "the run with %d devices printed no result\n", count);
            status = 1;
            continue;
        }
        const double floorMs = protocol::kCollectionWindowMs + count * protocol::kSelectionPauseMs;
        std::printf("| %7d | %6d | %9.0f | %10.0f | %20.2f | %8.1f | %8.2f%% | %14.1f |\n", m.Devices, m.Listed,
                    m.WallMs, floorMs, (m.WallMs - floorMs) / count, m.CpuMs, 100.0 * m.CpuMs / m.WallMs,
                    m.PeakRssKiB / 1024.0);
        std::fflush(stdout);
        if (m.Listed != count || child.exitCode() != 0)
            status = 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("discovery_bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("One discovery cycle against N simulated multiplexers; run inside scripts/netlab."));
    parser.addHelpOption();
    const QCommandLineOption devices(
        QStringLiteral("devices"),
        QStringLiteral("Device counts to measure, comma-separated, 1 to 255 each (default 1,10,50,255)."),
        QStringLiteral("N,N,..."), QStringLiteral("1,10,50,255"));
    // The table's parent starts itself with --one N for each count.
    QCommandLineOption one(QStringLiteral("one"), QStringLiteral("Measure one cycle with N devices."),
                           QStringLiteral("N"));
    one.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({devices, one});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        bench::UsageError(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    net::SocketLayer socketLayer;
    try {
        if (parser.isSet(one))
            return RunChild(bench::NumberValue(parser, one, 1, 255));
        return RunAll(bench::DeviceCounts(parser.value(devices)), QCoreApplication::applicationFilePath());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "discovery_bench: %s\n", e.what());
        return 1;
    }
}
