// SPDX-License-Identifier: MIT
#include "simulated_fleet.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace bench {

QString WriteSimulatedFleet(int count, const QTemporaryDir& directory)
{
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-20-4A-00-%02X-%02X", i / 256, i % 256);
        devices.push_back({{"ip", "10.0." + std::to_string(i / 200) + "." + std::to_string(10 + i % 200)},
                           {"mac", mac},
                           {"mask", "255.0.0.0"}});
    }
    const QString path = directory.filePath(QStringLiteral("devices.json"));
    std::ofstream(path.toStdString()) << nlohmann::json{{"devices", devices}}.dump() << "\n";
    return path;
}

} // namespace bench
