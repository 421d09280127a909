// SPDX-License-Identifier: MIT
// Numeric option values for the benchmarks' QCommandLineParser: a value that
// is not a number in range ends the program with status 2 and says why.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <type_traits>
#include <vector>

namespace bench {

// Ends the program with status 2 after "<program>: <text>" on stderr.
[[noreturn]] void UsageError(const QString& text);

// A comma-separated list of device counts, each from 1 to 255.
std::vector<int> DeviceCounts(const QString& text);

// The value of `option` as an int or a double from `low` to `high`.
template <typename Number>
Number NumberValue(const QCommandLineParser& parser, const QCommandLineOption& option, Number low, Number high)
{
    static_assert(std::is_same_v<Number, int> || std::is_same_v<Number, double>);
    const QString text = parser.value(option);
    bool ok = false;
    Number value{};
    if constexpr (std::is_same_v<Number, int>)
        value = text.toInt(&ok);
    else
        value = text.toDouble(&ok);
    if (!ok || value < low || value > high)
        UsageError(QStringLiteral("--%1 takes a %2 from %3 to %4, not \"%5\"")
                       .arg(option.names().constFirst(),
                            std::is_same_v<Number, int> ? QStringLiteral("whole number") : QStringLiteral("number"))
                       .arg(low)
                       .arg(high)
                       .arg(text));
    return value;
}

} // namespace bench
