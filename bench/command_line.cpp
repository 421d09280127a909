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

} // namespace bench
