// SPDX-License-Identifier: MIT
// The Ethernet address a simulated device or host answers ARP with.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace muxsim {

using EthernetAddress = std::array<std::uint8_t, 6>;

// Six hex pairs separated by ':' or '-', or twelve hex digits in a row.
std::optional<EthernetAddress> ParseEthernetAddress(std::string_view text);

// Six decimal numbers 0..255 of one to three digits separated by '.', the
// way the modules write their MAC in a discovery reply: 0.14.198.74.16.1,
// or padded, 000.014.198.074.016.001.
std::optional<EthernetAddress> ParseDecimalEthernetAddress(std::string_view text);

// A device's MAC text as its Ethernet address when it reads as one (hex or
// decimal); any other text (the protocol's MAC is just bytes) gets a stable,
// locally administered address derived from it.
EthernetAddress EthernetAddressOf(std::string_view macText);

// "00:11:22:33:44:55"
std::string FormatEthernetAddress(const EthernetAddress& address);

} // namespace muxsim
