// SPDX-License-Identifier: MIT
#include "checks/mac_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <vector>

namespace checks {

namespace {

using MacBytes = std::array<uint8_t, 6>;

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) { return IsDecimal(c) ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10; }

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> groups;
    std::size_t from = 0;
    for (std::size_t at = 0; at <= text.size(); ++at)
        if (at == text.size() || text[at] == separator) {
            groups.push_back(text.substr(from, at - from));
            from = at + 1;
        }
    return groups;
}

// Twelve hexadecimal digits in `groups` of `width` each.
std::optional<MacBytes> HexGroups(const std::vector<std::string_view>& groups, std::size_t width)
{
    std::string digits;
    for (const std::string_view group : groups) {
        if (group.size() != width)
            return std::nullopt;
        for (const char c : group)
            if (!IsHex(c))
                return std::nullopt;
        digits.append(group);
    }
    if (digits.size() != 12)
        return std::nullopt;
    MacBytes bytes{};
    for (std::size_t n = 0; n < 6; ++n)
        bytes[n] = static_cast<uint8_t>(HexValue(digits[2 * n]) * 16 + HexValue(digits[2 * n + 1]));
    return bytes;
}

// Six numbers 0 to 255 of one to three decimal digits.
std::optional<MacBytes> DecimalGroups(const std::vector<std::string_view>& groups)
{
    if (groups.size() != 6)
        return std::nullopt;
    MacBytes bytes{};
    for (std::size_t n = 0; n < 6; ++n) {
        const std::string_view group = groups[n];
        if (group.empty() || group.size() > 3)
            return std::nullopt;
        int value = 0;
        for (const char c : group) {
            if (!IsDecimal(c))
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (value > 255)
            return std::nullopt;
        bytes[n] = static_cast<uint8_t>(value);
    }
    return bytes;
}

std::optional<MacBytes> MacValue(std::string_view text)
{
    for (const char separator : {':', '-'})
        if (text.find(separator) != std::string_view::npos) {
            const std::vector<std::string_view> groups = Split(text, separator);
            return groups.size() == 6 ? HexGroups(groups, 2) : HexGroups(groups, 4);
        }
    if (text.find('.') != std::string_view::npos) {
        const std::vector<std::string_view> groups = Split(text, '.');
        if (const std::optional<MacBytes> decimal = DecimalGroups(groups))
            return decimal;
        return groups.size() == 6 ? HexGroups(groups, 2) : HexGroups(groups, 4);
    }
    return HexGroups({text}, 12);
}

std::string CanonicalText(const MacBytes& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string canonical;
    canonical.reserve(17);
    for (const uint8_t byte : bytes) {
        if (!canonical.empty())
            canonical.push_back(':');
        canonical.push_back(kDigits[byte >> 4]);
        canonical.push_back(kDigits[byte & 15]);
    }
    return canonical;
}

// The devices' own form: six decimal numbers with dots, padded to three
// digits when every number has two (10.20.30.40.50.60 could be hexadecimal).
std::string DecimalText(const MacBytes& bytes)
{
    const bool padded = std::all_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte >= 10 && byte < 100; });
    std::string text;
    for (const uint8_t byte : bytes) {
        if (!text.empty())
            text.push_back('.');
        if (padded)
            text.push_back('0');
        text.append(std::to_string(byte));
    }
    return text;
}

} // namespace

std::optional<std::string> CanonicalMac(std::string_view text)
{
    const std::optional<MacBytes> bytes = MacValue(text);
    if (!bytes)
        return std::nullopt;
    return CanonicalText(*bytes);
}

std::optional<std::string> AmbiguousMacRefusal(std::string_view text)
{
    const std::vector<std::string_view> groups = Split(text, '.');
    const std::optional<MacBytes> decimal = DecimalGroups(groups);
    const std::optional<MacBytes> hex = groups.size() == 6 ? HexGroups(groups, 2) : std::nullopt;
    if (!decimal || !hex || *decimal == *hex)
        return std::nullopt;
    return "adres MAC " + std::string(text) + " można odczytać dziesiętnie (" + CanonicalText(*decimal) +
        ") albo szesnastkowo (" + CanonicalText(*hex) + "); napisz go jednoznacznie: z dwukropkami (" +
        CanonicalText(*hex) + ") albo tak, jak podaje go urządzenie (" + DecimalText(*decimal) + ")";
}

std::string MacKey(std::string_view text)
{
    if (std::optional<std::string> canonical = CanonicalMac(text))
        return *std::move(canonical);
    return "text:" + std::string(text);
}

bool SameMac(std::string_view a, std::string_view b) { return MacKey(a) == MacKey(b); }

} // namespace checks
