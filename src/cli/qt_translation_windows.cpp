// SPDX-License-Identifier: MIT
#include "cli/qt_translation.h"

namespace cli {

// Beside the program, as the installer and the portable zip lay it out.
QString QtTranslationsDir() { return QCoreApplication::applicationDirPath() + QStringLiteral("/translations"); }

} // namespace cli
