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
    if (!options.ConfigPath.empty()) {
        std::ifstream file(options.ConfigPath);
        if (!file)
            throw muxsim::ConfigError("cannot read " + options.ConfigPath);
        nlohmann::json config;
        try {
            config = nlohmann::json::parse(file);
        } catch (const nlohmann::json::exception& error) {
            throw muxsim::ConfigError(options.ConfigPath + ": " + error.what());
        }
        settings.Devices = muxsim::DevicesFromJson(config);
        settings.Hosts = muxsim::HostsFromJson(config);
    }
    for (const std::string& shorthand : options.DeviceShorthands)
        settings.Devices.push_back(muxsim::DeviceFromShorthand(shorthand));
    for (const std::string& shorthand : options.HostShorthands)
        settings.Hosts.push_back(muxsim::HostFromShorthand(shorthand));
}

muxsim::FloodSettings FloodSettingsFrom(const muxsim::FloodOptions& options, std::uint64_t seed)
{
    muxsim::FloodSettings settings;
    settings.Target = muxsim::ParseFloodTarget(options.Target);
    settings.Rate = options.Rate;
    settings.Duration = std::chrono::milliseconds(static_cast<long long>(options.DurationS * 1000));
    settings.Count = options.Count;
    settings.Sources = options.Sources;
    settings.Port = options.Port;
    settings.Seed = seed;
    return settings;
}

} // namespace

int main(int argc, char** argv)
{
    muxsim::Options options;
    muxsim::SimulatorSettings settings;
    try {
        options = muxsim::ParseCommandLine(argc, argv);
        if (options.Help) {
            std::fputs(muxsim::HelpText(), stdout);
            return 0;
        }
        LoadFleet(options, settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "muxsim: %s\n(muxsim --help tells more)\n", error.what());
        return kExitUsage;
    }
    settings.PlayDevices =
        !options.ConfigPath.empty() || !options.DeviceShorthands.empty() || !options.HostShorthands.empty();
    if (options.Flood) {
        try {
            settings.Flood = FloodSettingsFrom(*options.Flood, options.Seed);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "muxsim: %s\n", error.what());
            return kExitUsage;
        }
    }
    if (!settings.PlayDevices && !settings.Flood) {
        std::fprintf(stderr, "muxsim: nothing to do: give --config, --device, --host or --flood\n");
        return kExitUsage;
    }
    settings.Port = options.Port;
    settings.LogPath = options.LogPath;
    settings.ReadyFile = options.ReadyFile;
    settings.Seed = options.Seed;

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
