// SPDX-License-Identifier: MIT
#include "cli/terminal_text.h"

#include "cli/text_bytes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

bool IsControl(unsigned code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

void AppendEscaped(std::string& text, unsigned char byte)
{
    constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    text += "\\x";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
}

// The length of the valid UTF-8 sequence at `at`, or 0.
std::size_t SequenceLength(const std::string& text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t next = 1; next < length; ++next) {
        const auto byte = static_cast<unsigned char>(text[at + next]);
        if ((byte & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool outside = (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
    return overlong || outside ? 0 : length;
}

// U+202A-U+202E and U+2066-U+2069 (E2 80 AA-AE, E2 81 A6-A9): they turn the
// rest of the line around (a right-to-left override shows "txt.exe" as
// "exe.txt").
bool IsDirectionOverride(const std::string& text, std::size_t at)
{
    const auto second = static_cast<unsigned char>(text[at + 1]), third = static_cast<unsigned char>(text[at + 2]);
    return static_cast<unsigned char>(text[at]) == 0xE2 &&
        ((second == 0x80 && third >= 0xAA && third <= 0xAE) || (second == 0x81 && third >= 0xA6 && third <= 0xA9));
}

// "\u202e" for the override at `at`.
std::string DirectionOverrideEscape(const std::string& text, std::size_t at)
{
    const unsigned code = ((static_cast<unsigned char>(text[at + 1]) & 0x3Fu) << 6) |
        (static_cast<unsigned char>(text[at + 2]) & 0x3Fu) | 0x2000u;
    std::array<char, 8> escaped{};
    std::snprintf(escaped.data(), escaped.size(), "\\u%04x", code);
    return escaped.data();
}

} // namespace

std::string ShownLatin1(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            text += "\\\\";
        else if (IsControl(byte))
            AppendEscaped(text, byte);
        else
            text += Latin1ToUtf8(std::string(1, c));
    }
    return text;
}

std::string ShownText(const std::string& utf8)
{
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = SequenceLength(utf8, at);
        const auto lead = static_cast<unsigned char>(utf8[at]);
        // U+0080-U+009F are C2 80 - C2 9F.
        const bool c1 = length == 2 && lead == 0xC2 && static_cast<unsigned char>(utf8[at + 1]) <= 0x9F;
        if (utf8[at] == '\\')
            text += "\\\\";
        else if (length == 0 || (length == 1 && IsControl(lead)))
            AppendEscaped(text, lead);
        else if (c1)
            AppendEscaped(text, static_cast<unsigned char>(utf8[at + 1]));
        else if (length == 3 && IsDirectionOverride(utf8, at))
            text += DirectionOverrideEscape(utf8, at);
        else
            text.append(utf8, at, length);
        at += length == 0 ? 1 : length;
    }
    return text;
}

std::string CsvForOutput(const std::string& csv, int fd)
{
    if (::isatty(fd) != 1)
        return csv;
    std::string text;
    for (std::size_t from = 0; from < csv.size();) {
        const std::size_t end = std::min(csv.find('\n', from), csv.size());
        text += ShownText(csv.substr(from, end - from)) + (end < csv.size() ? "\n" : "");
        from = end + 1;
    }
    return text;
}

} // namespace cli
