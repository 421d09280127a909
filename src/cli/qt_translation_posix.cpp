// SPDX-License-Identifier: MIT
#include "cli/qt_translation.h"

#include <QLibraryInfo>

namespace cli {

// Debian's qt6-translations-l10n, where Qt itself looks.
QString QtTranslationsDir() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

} // namespace cli
