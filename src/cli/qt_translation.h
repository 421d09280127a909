// SPDX-License-Identifier: MIT
// Qt's own words in Polish: QCommandLineParser's ("Opcje:", its errors) and
// the window's standard buttons, from Qt's translation of its own texts.
#pragma once
#include <QCoreApplication>
#include <QString>

namespace cli {

// Installs Qt's Polish translation (qtbase_pl.qm) for the application's
// life. Without the file Qt's words stay English; nothing else changes.
void LoadQtTranslation(QCoreApplication& application);

// Where the platform keeps Qt's translations (qt_translation_posix.cpp,
// qt_translation_windows.cpp).
QString QtTranslationsDir();

} // namespace cli
