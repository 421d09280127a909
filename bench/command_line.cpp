// SPDX-License-Identifier: MIT
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

std::vector<int> DeviceCounts(const QString& text)
{
    std::vector<int> counts;
    for (const QString& item : text.split(',')) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 255)
            UsageError(QStringLiteral("device counts run from 1 to 255, not \"%1\"").arg(item));
        counts.push_back(n);
    }
    return counts;
}

} // namespace bench
