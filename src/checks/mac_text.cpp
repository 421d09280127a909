// SPDX-License-Identifier: MIT
#include "checks/mac_text.h"

#include <cctype>

namespace checks {

namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

} // namespace

std::optional<std::string> CanonicalMac(std::string_view text)
{
    std::size_t separators = 0, groupLength = 0, firstGroup = 0;
    char separator = 0;
    std::string digits;
    for (const char c : text) {
        if (IsHex(c)) {
            digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ++groupLength;
            continue;
        }
        if ((c != ':' && c != '-' && c != '.') || (separator != 0 && c != separator))
            return std::nullopt;
        separator = c;
        if (separators++ == 0)
            firstGroup = groupLength;
        else if (groupLength != firstGroup)
            return std::nullopt;
        groupLength = 0;
    }
    if (digits.size() != 12)
        return std::nullopt;
    const bool grouped = (separators == 5 && firstGroup == 2) || (separators == 2 && firstGroup == 4);
    if (separators != 0 && !(grouped && groupLength == firstGroup))
        return std::nullopt;
    std::string canonical;
    canonical.reserve(17);
    for (std::size_t at = 0; at < 12; at += 2) {
        if (at != 0)
            canonical.push_back(':');
        canonical.append(digits, at, 2);
    }
    return canonical;
}

bool SameMac(const std::string& a, const std::string& b)
{
    const auto canonicalA = CanonicalMac(a);
    const auto canonicalB = CanonicalMac(b);
    return canonicalA && canonicalB ? *canonicalA == *canonicalB : a == b;
}

} // namespace checks
