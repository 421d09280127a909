// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace checks {

inline constexpr const char* kAddressRefused = "Adres IP poza dozwolonym zakresem";
inline constexpr const char* kMaskRefused = "Niewłaściwa maska podsieci";
inline constexpr const char* kNetworkAddressRefused =
    "Adres IP jest adresem sieci dla tej maski podsieci (wszystkie bity hosta równe 0)";
inline constexpr const char* kBroadcastAddressRefused =
    "Adres IP jest adresem rozgłoszeniowym dla tej maski podsieci (wszystkie bity hosta równe 1)";

// A new address and mask as judged, in their canonical texts.
struct JudgedSettings {
    std::optional<std::string> Refusal; // the operator's text; set: nothing may be sent
    std::string Address;                // canonical text, when there is no refusal
    std::string Mask;                   // canonical text, when there is no refusal
    uint32_t AddressValue = 0;          // host order
    uint32_t MaskValue = 0;             // host order
};

// Judges a new address and subnet mask for a device as "Ustaw" does: the
// address (its one accepted form, then the classful rule), the mask, then
// the address against the mask: neither the subnet's network address nor
// its broadcast address (a 31-bit mask has neither, as on point-to-point
// links). Callers use only the canonical texts afterwards.
JudgedSettings JudgeNewSettings(std::string_view address, std::string_view mask);

// JudgeNewSettings' refusal alone.
std::optional<std::string> RefusalOfNewSettings(const std::string& address, const std::string& mask);

} // namespace checks
