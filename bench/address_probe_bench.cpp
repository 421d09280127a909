// SPDX-License-Identifier: MIT
// Address-conflict probe figures: the wall time of one ProbeAddresses call
// for 1, 10 and 50 addresses (a tenth of them held by simulated devices, the
// rest free), each address probed by its own arping -D at the same time, or
// in turns when the file descriptor limit has no room for them all
// (--descriptor-limit 1024 is `ulimit -n 1024`, a common default).
//
// Runs only inside the private LAN:
//   scripts/netlab build/bin/address_probe_bench [--addresses 1,10,50,255] [--descriptor-limit 1024]
#include "command_line.h"
#include "lan_program.h"

#include "conflicts/address_probe.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

std::string Address(int i) { return "10.20." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Address-conflict probe: wall time for N addresses at once.");
    parser.addHelpOption();
    const QCommandLineOption counts("addresses", "Address counts, comma-separated (1..255).", "list", "1,10,50");
    parser.addOption(counts);
    const QCommandLineOption descriptors("descriptor-limit", "Lower the soft RLIMIT_NOFILE to N first.", "N");
    parser.addOption(descriptors);
    parser.process(application);
    if (parser.isSet(descriptors)) {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = parser.value(descriptors).toULong();
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            std::perror("address_probe_bench: setrlimit");
            return 2;
        }
    }
    const std::vector<int> sizes = bench::DeviceCounts(parser.value(counts));

    try {
        QTemporaryDir directory;
        nlohmann::json devices = nlohmann::json::array();
        for (int i = 0; i < 255; i += 10)
            devices.push_back({{"ip", Address(i)}, {"mac", "02:00:00:00:00:" + std::to_string(10 + i % 90)}});
        const QString config = directory.filePath("fleet.json");
        std::ofstream(config.toStdString()) << nlohmann::json{{"devices", devices}}.dump();
        bench::LanProgram simulator({bench::MuxSimProgram(), "--config", config}, "muxsim");

        std::printf("%9s %6s %6s %11s %9s\n", "addresses", "taken", "free", "not checked", "wall ms");
        for (const int size : sizes) {
            std::vector<conflicts::ProbeTarget> targets;
            for (int i = 0; i < size; ++i)
                targets.push_back({"mux0", Address(i)});
            const auto start = std::chrono::steady_clock::now();
            const auto results = conflicts::ProbeAddresses(targets);
            const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
            int tally[3] = {};
            for (const auto& result : results)
                ++tally[static_cast<int>(result.State)];
            std::printf("%9d %6d %6d %11d %9.0f\n", size, tally[1], tally[0], tally[2], wall.count());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "address_probe_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
