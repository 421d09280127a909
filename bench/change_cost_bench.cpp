// SPDX-License-Identifier: MIT
// What a change costs: `muxconfig apply` of k devices in a shop of N
// simulated multiplexers, wall time beside the goal of 5 s + 1.5 s per
// changed device, whatever N. The cost should grow with k, not with N: only
// the planned devices are read, before and after.
//
// Runs only inside the private LAN: scripts/netlab build/bin/change_cost_bench
//   change_cost_bench [--cases 1/10,1/50,1/255,10/255] [--muxconfig PROGRAM]
#include "command_line.h"
#include "lan_program.h"
#include "simulated_fleet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Case {
    int Changed = 1;
    int Devices = 10;
};

std::vector<Case> Cases(const QString& text)
{
    std::vector<Case> cases;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QLatin1Char('/'));
        bool changedOk = false, devicesOk = false;
        const Case one{parts.value(0).toInt(&changedOk), parts.value(1).toInt(&devicesOk)};
        if (parts.size() != 2 || !changedOk || !devicesOk || one.Changed < 1 || one.Changed > one.Devices ||
            one.Devices > 255)
            throw std::runtime_error("--cases: K/N with 1 <= K <= N <= 255, not " + item.toStdString());
        cases.push_back(one);
    }
    return cases;
}

// `muxconfig apply` of the first `Changed` devices of the fleet; wall time in seconds.
double MeasureApply(const Case& one, const QString& program)
{
    QTemporaryDir directory;
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", bench::WriteSimulatedFleet(one.Devices, directory)},
                          "the simulated devices");
    const QString plan = directory.filePath(QStringLiteral("plan.csv"));
    {
        std::ofstream out(plan.toStdString());
        for (int i = 0; i < one.Changed; ++i) {
            char mac[32];
            std::snprintf(mac, sizeof mac, "00-20-4A-00-%02X-%02X", i / 256, i % 256);
            out << mac << ",10.1." << i / 200 << '.' << 10 + i % 200 << ",255.0.0.0\n";
        }
    }
    QProcess muxconfig;
    muxconfig.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto start = std::chrono::steady_clock::now();
    muxconfig.start(program, {"apply", plan, "--format", "json", "--quiet"});
    if (!muxconfig.waitForFinished(-1))
        throw std::runtime_error("muxconfig apply did not end");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto summary = nlohmann::json::parse(muxconfig.readAllStandardOutput().toStdString())["summary"];
    if (summary["verified"] != one.Changed)
        throw std::runtime_error("muxconfig apply: " + summary.dump());
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("change_cost_bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The cost of changing k of N simulated multiplexers; run inside scripts/netlab."));
    parser.addHelpOption();
    const QCommandLineOption cases(
        QStringLiteral("cases"),
        QStringLiteral("Changed/devices pairs, comma-separated (default 1/10,1/50,1/255,10/255)."),
        QStringLiteral("K/N,..."), QStringLiteral("1/10,1/50,1/255,10/255"));
    const QCommandLineOption program(QStringLiteral("muxconfig"),
                                     QStringLiteral("The program measured (default: the one built beside)."),
                                     QStringLiteral("PROGRAM"), QStringLiteral(MUX_CONFIG_PROGRAM));
    parser.addOptions({cases, program});
    parser.process(app);
    try {
        std::printf("| Changed | Devices | muxconfig apply (s) | Goal: 5 s + 1.5 s a change |\n");
        std::printf("|--------:|--------:|--------------------:|---------------------------:|\n");
        std::fflush(stdout);
        for (const Case& one : Cases(parser.value(cases))) {
            std::printf("| %7d | %7d | %19.1f | %26.1f |\n", one.Changed, one.Devices,
                        MeasureApply(one, parser.value(program)), 5.0 + 1.5 * one.Changed);
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "change_cost_bench: %s\n", e.what());
        return 1;
    }
}
