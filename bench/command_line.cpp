#include "command_line.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace bench {

void UsageError(const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(text));
    std::exit(2);
}

int IntValue(const QCommandLineParser& parser, const QCommandLineOption& option, int low, int high)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < low || value > high)
        UsageError(QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                       .arg(option.names().constFirst())
                       .arg(low)
                       .arg(high)
                       .arg(parser.value(option)));
    return value;
}

double DoubleValue(const QCommandLineParser& parser, const QCommandLineOption& option, double low, double high)
{
    bool ok = false;
    const double value = parser.value(option).toDouble(&ok);
    if (!ok || value < low || value > high)
        UsageError(QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                       .arg(option.names().constFirst())
                       .arg(low)
                       .arg(high)
                       .arg(parser.value(option)));
    return value;
}

} // namespace bench
