// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>

namespace checks {

inline constexpr const char* kAddressRefused = "Adres IP poza dozwolonym zakresem";
inline constexpr const char* kMaskRefused = "Niewłaściwa maska podsieci";

// Judges a new address and subnet mask for a device as "Ustaw" does: the
// address rule first, then the mask. Returns the operator's text of the
// first refusal, or nothing when both pass.
std::optional<std::string> RefusalOfNewSettings(const std::string& address, const std::string& mask);

} // namespace checks
