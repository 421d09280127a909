// SPDX-License-Identifier: MIT
#include "byte_text.h"

#include <arpa/inet.h>
#include <cstring>

namespace muxsim {

std::string BytesToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes) {
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

std::optional<std::string> Utf8ToBytes(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            continue;
        }
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size())
            return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        bytes.push_back(static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F)));
        ++i;
    }
    return bytes;
}

std::string ToHex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

std::optional<std::string> FromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>((high << 4) | low));
    }
    return bytes;
}

std::optional<unsigned> ParseIPv4(std::string_view text)
{
    // inet_pton stops at a NUL, so an embedded one would hide trailing junk.
    if (text.empty() || text.size() > 15 || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string terminated(text);
    in_addr address{};
    if (inet_pton(AF_INET, terminated.c_str(), &address) != 1)
        return std::nullopt;
    return address.s_addr;
}

std::string FormatIPv4(unsigned networkOrder)
{
    in_addr address{};
    address.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string ErrnoText(int error) { return std::to_string(error) + " " + std::strerror(error); }

} // namespace muxsim
