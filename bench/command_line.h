// Numeric option values for the benchmarks' QCommandLineParser: a value that
// is not a number in range ends the program with status 2 and says why.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace bench {

int IntValue(const QCommandLineParser& parser, const QCommandLineOption& option, int low, int high);
double DoubleValue(const QCommandLineParser& parser, const QCommandLineOption& option, double low, double high);

// Ends the program with status 2 after "<program>: <text>" on stderr.
[[noreturn]] void UsageError(const QString& text);

} // namespace bench
