// SPDX-License-Identifier: MIT
#include "ethernet_address.h"

#include <cstdio>

namespace muxsim {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<EthernetAddress> ParseEthernetAddress(std::string_view text)
{
    const bool separated = text.size() == 17;
    if (!separated && text.size() != 12)
        return std::nullopt;
    const std::size_t step = separated ? 3 : 2;
    EthernetAddress address{};
    for (std::size_t i = 0; i < address.size(); ++i) {
        const std::size_t at = i * step;
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        if (separated && i > 0 && text[at - 1] != text[2])
            return std::nullopt;
        address[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (separated && text[2] != ':' && text[2] != '-')
        return std::nullopt;
    return address;
}

std::optional<EthernetAddress> ParseDecimalEthernetAddress(std::string_view text)
{
    EthernetAddress address{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != '.'))
            return std::nullopt;
        unsigned value = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
        if (digits == 0 || digits > 3 || value > 255)
            return std::nullopt;
        address[i] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

EthernetAddress EthernetAddressOf(std::string_view macText)
{
    if (const auto parsed = ParseEthernetAddress(macText))
        return *parsed;
    if (const auto parsed = ParseDecimalEthernetAddress(macText))
        return *parsed;
    // FNV-1a over the text; 02 marks a locally administered unicast address.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : macText) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 1099511628211ull;
    }
    EthernetAddress address{0x02};
    for (std::size_t i = 1; i < address.size(); ++i)
        address[i] = static_cast<std::uint8_t>(hash >> (8 * (i - 1)));
    return address;
}

std::string FormatEthernetAddress(const EthernetAddress& address)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", address[0], address[1], address[2], address[3],
                  address[4], address[5]);
    return text;
}

} // namespace muxsim
