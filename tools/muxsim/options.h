// SPDX-License-Identifier: MIT
// The command line of muxsim.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace muxsim {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct FloodOptions {
    std::string Target = "192.168.1.1:1153";
    double Rate = 1000;      // datagrams per second
    double DurationS = 10;   // the flood stops after this long
    std::uint64_t Count = 0; // and after this many datagrams (0: no limit)
    unsigned Sources = 300;  // distinct source addresses
    unsigned short Port = 0; // source port (0: any)
};

struct Options {
    bool Help = false;
    std::string ConfigPath;
    std::vector<std::string> DeviceShorthands;
    std::vector<std::string> HostShorthands;
    std::string LogPath;
    std::string ReadyFile;
    unsigned short Port = 65535;
    std::uint64_t Seed = 1;
    std::optional<FloodOptions> Flood;
};

// Throws UsageError with a one-line reason.
Options ParseCommandLine(int argc, char** argv);

const char* HelpText();

} // namespace muxsim
