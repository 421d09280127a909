// SPDX-License-Identifier: MIT
#include "cli/qt_translation.h"

#include <QTranslator>

namespace cli {

void LoadQtTranslation(QCoreApplication& application)
{
    auto* translator = new QTranslator(&application); // goes with the application
    if (translator->load(QStringLiteral("qtbase_pl"), QtTranslationsDir()))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace cli
