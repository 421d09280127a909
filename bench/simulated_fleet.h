// SPDX-License-Identifier: MIT
// A muxsim configuration of N devices (MACs 00-20-4A-00-xx-xx, addresses
// 10.0.x.y/8), written into `directory`; returns its path.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace bench {

QString WriteSimulatedFleet(int count, const QTemporaryDir& directory);

} // namespace bench
