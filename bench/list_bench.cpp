// SPDX-License-Identifier: MIT
// Inventory benchmark: `muxconfig list` (discovery and a read of each device)
// beside `muxconfig list --quick` (discovery only) for N simulated
// multiplexers. Prints the wall time of each and how many devices each
// listed; exits non-zero when a run fails or lists fewer than simulated.
//
// Runs only inside the private LAN: scripts/netlab build/bin/list_bench
//   list_bench [--devices 10,50,255]
#include "command_line.h"
#include "lan_program.h"
#include "simulated_fleet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <exception>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Listing {
    double Seconds = 0;
    std::size_t Devices = 0;
};

Listing MeasureList(int count, bool quick)
{
    QTemporaryDir directory;
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", bench::WriteSimulatedFleet(count, directory)},
                          "the simulated devices");

    QStringList arguments{"list", "--format", "json"};
    if (quick)
        arguments << "--quick";
    QProcess muxconfig;
    muxconfig.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto start = Clock::now();
    muxconfig.start(QStringLiteral(MUX_CONFIG_PROGRAM), arguments);
    if (!muxconfig.waitForFinished(-1) || muxconfig.exitCode() != 0)
        throw std::runtime_error("muxconfig " + arguments.join(' ').toStdString() + " failed");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto listed = nlohmann::json::parse(muxconfig.readAllStandardOutput().toStdString())["devices"];
    if (listed.size() != std::size_t(count))
        throw std::runtime_error("listed " + std::to_string(listed.size()) + " of " + std::to_string(count));
    return {seconds, listed.size()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("list_bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("muxconfig list beside list --quick for N simulated multiplexers; run inside scripts/netlab."));
    parser.addHelpOption();
    const QCommandLineOption devices(QStringLiteral("devices"),
                                     QStringLiteral("Device counts, comma-separated (default 10,50,255)."),
                                     QStringLiteral("N,N,..."), QStringLiteral("10,50,255"));
    parser.addOption(devices);
    parser.process(app);
    try {
        std::printf("| Devices | list (s) | list --quick (s) | Listed (full / quick) |\n"
                    "|--------:|---------:|-----------------:|----------------------:|\n");
        for (const int count : bench::DeviceCounts(parser.value(devices))) {
            const Listing full = MeasureList(count, false);
            const Listing quick = MeasureList(count, true);
            std::printf("| %7d | %8.1f | %16.1f | %14zu / %zu |\n", count, full.Seconds, quick.Seconds, full.Devices,
                        quick.Devices);
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "list_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
