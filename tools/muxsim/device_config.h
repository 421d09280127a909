// SPDX-License-Identifier: MIT
// Reads device descriptions: the JSON config file and the --device shorthand.
#pragma once

#include "device.h"

#include <nlohmann/json_fwd.hpp>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace muxsim {

struct ConfigError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// {"devices": [ {...}, ... ]}; throws ConfigError naming the bad field.
std::vector<DeviceConfig> DevicesFromJson(const nlohmann::json& config);

// {"hosts": [ {"ip": ..., "mac": ...}, ... ]}: plain hosts of the same file.
std::vector<HostConfig> HostsFromJson(const nlohmann::json& config);

// "IP,MAC" of a plain host.
HostConfig HostFromShorthand(std::string_view text);

// "IP,MAC[,key=value...]" with the keys mask, port, flags, dn, password,
// restart_seconds, delay_ms, refuse_selection (=C, D, F or silent), and the
// words reply_to_broadcast, silent and deny_login.
DeviceConfig DeviceFromShorthand(std::string_view text);

} // namespace muxsim
