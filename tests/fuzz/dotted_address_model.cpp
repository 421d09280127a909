// SPDX-License-Identifier: MIT
#include "dotted_address_model.h"

#include <arpa/inet.h>

#include <algorithm>
#include <string>
#include <vector>

namespace model {

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }
bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int HexValue(char c)
{
    if (IsDecimalDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// Reads the digits of one part at text[pos...]; false when the number does
// not fit 32 bits. Leaves pos after the digits.
bool ReadPart(std::string_view text, std::size_t& pos, uint64_t& value)
{
    value = 0;
    unsigned base = 10;
    const bool hexMark = pos + 2 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
    if (text[pos] == '0' && hexMark && IsHexDigit(text[pos + 2])) {
        base = 16;
        pos += 2;
    } else if (text[pos] == '0') {
        base = 8;
    }
    // Big numbers are kept as "too big" once past 32 bits.
    bool tooBig = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        unsigned digit;
        if (base == 16 && IsHexDigit(c))
            digit = static_cast<unsigned>(HexValue(c));
        else if (base == 8 && IsOctalDigit(c))
            digit = static_cast<unsigned>(c - '0');
        else if (base == 10 && IsDecimalDigit(c))
            digit = static_cast<unsigned>(c - '0');
        else
            break;
        if (!tooBig) {
            value = value * base + digit;
            if (value > 0xFFFFFFFFull)
                tooBig = true;
        }
    }
    return !tooBig;
}

} // namespace

std::optional<uint32_t> ParseDotted(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);

    std::vector<uint64_t> parts;
    std::size_t pos = 0;
    for (;;) {
        if (pos >= text.size() || !IsDecimalDigit(text[pos]))
            return std::nullopt;
        uint64_t value = 0;
        if (!ReadPart(text, pos, value))
            return std::nullopt;
        parts.push_back(value);
        if (pos < text.size() && text[pos] == '.') {
            if (parts.size() > 3 || value > 0xFF)
                return std::nullopt;
            ++pos;
            continue;
        }
        break;
    }
    if (pos < text.size() && !IsAsciiBlank(text[pos]))
        return std::nullopt;

    // The last part fills the bytes the others leave.
    const unsigned leading = static_cast<unsigned>(parts.size() - 1);
    const uint64_t lastLimit = leading == 0 ? 0xFFFFFFFFull : (1ull << (8 * (4 - leading))) - 1;
    if (parts.back() > lastLimit)
        return std::nullopt;
    uint32_t address = 0;
    for (unsigned i = 0; i < leading; ++i)
        address |= static_cast<uint32_t>(parts[i]) << (24 - 8 * i);
    return address | static_cast<uint32_t>(parts.back());
}

uint32_t InetAddr(std::string_view text)
{
    const auto value = ParseDotted(text);
    return value ? htonl(*value) : INADDR_NONE;
}

std::optional<uint32_t> ParseStrictDotted(std::string_view text)
{
    uint32_t value = 0;
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('.', start), text.size());
        const std::string_view part = text.substr(start, end - start);
        if (++parts > 4 || part.empty() || part.size() > 3)
            return std::nullopt;
        unsigned number = 0;
        for (const char c : part) {
            if (c < '0' || c > '9')
                return std::nullopt;
            number = number * 10 + unsigned(c - '0');
        }
        if (number > 255)
            return std::nullopt;
        value = value << 8 | number;
        if (end == text.size())
            break;
        start = end + 1;
    }
    if (parts != 4)
        return std::nullopt;
    return value;
}

bool AcceptableDeviceAddress(std::string_view text)
{
    const auto value = ParseStrictDotted(text);
    if (!value)
        return false;
    const uint32_t a = *value >> 24;
    if (a >= 224 || a == 127)
        return false;
    const unsigned hostBits = a < 128 ? 24 : a < 192 ? 16 : 8;
    const uint32_t hostMask = (1u << hostBits) - 1;
    const uint32_t host = *value & hostMask;
    return host != 0 && host != hostMask;
}

std::optional<int32_t> SectionNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    const QString rest = text.mid(i);

    auto isAsciiDigit = [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; };
    auto isAsciiHex = [&](QChar c) {
        const char16_t u = c.unicode();
        return isAsciiDigit(c) || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    };

    QString digits;
    bool negative = false;
    int base = 10;
    if (rest.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = rest.mid(2);
    } else if (rest.startsWith(QLatin1Char('$')) || rest.startsWith(QLatin1Char('x'), Qt::CaseInsensitive)) {
        base = 16;
        digits = rest.mid(1);
    } else if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+'))) {
        negative = rest.startsWith(QLatin1Char('-'));
        digits = rest.mid(1);
    } else {
        digits = rest;
    }
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (base == 16 ? !isAsciiHex(c) : !isAsciiDigit(c))
            return std::nullopt;
    }
    // Leading zeros aside, more than ten decimal or eight hexadecimal digits
    // cannot fit; what is left fits 64 bits.
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    const QString significant = digits.mid(first);
    if (significant.size() > (base == 16 ? 8 : 10))
        return std::nullopt;
    bool ok = false;
    const qint64 magnitude = significant.toLongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > 2147483647LL || value < -2147483648LL)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string DottedDecimal(uint32_t hostOrder)
{
    return std::to_string(hostOrder >> 24) + "." + std::to_string((hostOrder >> 16) & 0xFF) + "." +
        std::to_string((hostOrder >> 8) & 0xFF) + "." + std::to_string(hostOrder & 0xFF);
}

} // namespace model
