// SPDX-License-Identifier: MIT
// A program started in the LAN namespace of scripts/netlab through its
// MUXLAN_EXEC prefix (a muxsim playing devices or flooding), for as long as
// the object lives. The constructor returns once the program printed its
// "ready" line; it throws std::runtime_error when it cannot start, outside
// the private LAN among others.
#pragma once

#include <QProcess>
#include <QStringList>

#include <string>

namespace bench {

class LanProgram {
public:
    LanProgram(const QStringList& arguments, const char* what);
    ~LanProgram();
    LanProgram(const LanProgram&) = delete;
    LanProgram& operator=(const LanProgram&) = delete;

    // SIGTERM; returns what it printed after "ready".
    std::string Stop();

private:
    const char* what_;
    QProcess process_;
};

// The simulator built beside the benchmarks.
QString MuxSimProgram();

} // namespace bench
