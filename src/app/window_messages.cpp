// SPDX-License-Identifier: MIT
#include "app/window_messages.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace app {

namespace {

// The program's name: the executable's file name without its extension.
QString ProgramName() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

} // namespace

void DialogWindowMessages::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, ProgramName(), QString::fromUtf8(text), QMessageBox::Ok, owner_);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

void DialogWindowMessages::ShowSocketErrorBox(const QString& text)
{
    // The lines are joined by carriage returns; on screen each stands on its own line.
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("UWAGA"), shown, QMessageBox::Ok, owner_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace app
