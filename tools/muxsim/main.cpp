// SPDX-License-Identifier: MIT
// muxsim: plays LAN multiplexers on the simulated LAN (see muxsim --help).
#include "device_config.h"
#include "namespace_guard.h"
#include "options.h"
#include "simulator.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The devices and plain hosts of --config, --device and --host.
void LoadFleet(const muxsim::Options& options, muxsim::SimulatorSettings& settings)
{
    if (!options.config_path.empty()) {
        std::ifstream file(options.config_path);
        if (!file)
            throw muxsim::ConfigError("cannot read " + options.config_path);
        nlohmann::json config;
        try {
            config = nlohmann::json::parse(file);
        } catch (const nlohmann::json::exception& error) {
            throw muxsim::ConfigError(options.config_path + ": " + error.what());
        }
        settings.devices = muxsim::DevicesFromJson(config);
        settings.hosts = muxsim::HostsFromJson(config);
    }
    for (const std::string& shorthand : options.device_shorthands)
        settings.devices.push_back(muxsim::DeviceFromShorthand(shorthand));
    for (const std::string& shorthand : options.host_shorthands)
        settings.hosts.push_back(muxsim::HostFromShorthand(shorthand));
}

muxsim::FloodSettings FloodSettingsFrom(const muxsim::FloodOptions& options, std::uint64_t seed)
{
    muxsim::FloodSettings settings;
    settings.target = muxsim::ParseFloodTarget(options.target);
    settings.rate = options.rate;
    settings.duration = std::chrono::milliseconds(static_cast<long long>(options.duration_s * 1000));
    settings.count = options.count;
    settings.sources = options.sources;
    settings.port = options.port;
    settings.seed = seed;
    return settings;
}

} // namespace

int main(int argc, char** argv)
{
    muxsim::Options options;
    muxsim::SimulatorSettings settings;
    try {
        options = muxsim::ParseCommandLine(argc, argv);
        if (options.help) {
            std::fputs(muxsim::HelpText(), stdout);
            return 0;
        }
        LoadFleet(options, settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "muxsim: %s\n(muxsim --help tells more)\n", error.what());
        return kExitUsage;
    }
    settings.play_devices =
        !options.config_path.empty() || !options.device_shorthands.empty() || !options.host_shorthands.empty();
    if (options.flood) {
        try {
            settings.flood = FloodSettingsFrom(*options.flood, options.seed);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "muxsim: %s\n", error.what());
            return kExitUsage;
        }
    }
    if (!settings.play_devices && !settings.flood) {
        std::fprintf(stderr, "muxsim: nothing to do: give --config, --device, --host or --flood\n");
        return kExitUsage;
    }
    settings.port = options.port;
    settings.log_path = options.log_path;
    settings.ready_file = options.ready_file;
    settings.seed = options.seed;

    if (const auto refusal = muxsim::HostNamespaceRefusal()) {
        std::fprintf(stderr, "muxsim: %s\n", refusal->c_str());
        return kExitFailure;
    }
    try {
        muxsim::BlockStopSignals();
        muxsim::Simulator simulator(std::move(settings));
        return simulator.Run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "muxsim: %s\n", error.what());
        return kExitFailure;
    }
}
