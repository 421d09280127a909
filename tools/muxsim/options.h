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
    std::string target = "192.168.1.1:1153";
    double rate = 1000;      // datagrams per second
    double duration_s = 10;  // the flood stops after this long
    std::uint64_t count = 0; // and after this many datagrams (0: no limit)
    unsigned sources = 300;  // distinct source addresses
    unsigned short port = 0; // source port (0: any)
};

struct Options {
    bool help = false;
    std::string config_path;
    std::vector<std::string> device_shorthands;
    std::vector<std::string> host_shorthands;
    std::string log_path;
    std::string ready_file;
    unsigned short port = 65535;
    std::uint64_t seed = 1;
    std::optional<FloodOptions> flood;
};

// Throws UsageError with a one-line reason.
Options ParseCommandLine(int argc, char** argv);

const char* HelpText();

} // namespace muxsim
