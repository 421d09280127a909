// SPDX-License-Identifier: MIT
// The configurator as main() puts it together, with the operator's message
// windows recorded instead of shown, for tests on the real event loop.
#pragma once
#include "app/main_window.h"
#include "app/window_messages.h"
#include "event_loop.h"
#include "widgets/ripedit.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

class RecordingMessages : public app::WindowMessages {
public:
    void ShowMessage(const std::string& text) override { plain.push_back(text); }
    void ShowSocketErrorBox(const QString& text) override { socketErrors.push_back(text); }

    std::vector<std::string> plain;
    std::vector<QString> socketErrors;
};

struct RunningProgram {
    explicit RunningProgram(net::InterfaceSelection interfaces = {}) : form(messages, std::move(interfaces)) {}

    RecordingMessages messages;
    app::TForm1 form;
    protocol::DeviceSession& session = form.Session();
};

inline std::vector<std::string> RowTexts(const app::TForm1& form, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < form.lvIP->topLevelItemCount(); ++row)
        texts.push_back(form.lvIP->topLevelItem(row)->text(column).toStdString());
    return texts;
}

inline int SelectedRow(const app::TForm1& form)
{
    const auto selected = form.lvIP->selectedItems();
    return selected.size() == 1 ? form.lvIP->indexOfTopLevelItem(selected.first()) : -1;
}
