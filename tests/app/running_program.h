// SPDX-License-Identifier: MIT
// The configurator as main() puts it together, with the operator's message
// windows recorded instead of shown, for tests on the real event loop. Tests
// reach the window's controls by their object names, as a user's tools do.
#pragma once
#include "app/main_window.h"
#include "app/window_messages.h"
#include "event_loop.h"
#include "widgets/ripedit.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class RecordingMessages : public app::WindowMessages {
public:
    void ShowMessage(const std::string& text) override { Plain.push_back(text); }
    void ShowSocketErrorBox(const QString& text) override { SocketErrors.push_back(text); }

    std::vector<std::string> Plain;
    std::vector<QString> SocketErrors;
};

// Points the change journal at a directory of the test's own, before the
// window opens its journal.
struct TemporaryStateHome {
    TemporaryStateHome() { qputenv("XDG_STATE_HOME", Directory.path().toUtf8()); }
    QTemporaryDir Directory;
};

struct RunningProgram {
    explicit RunningProgram(net::InterfaceSelection interfaces = {}) : Form(Recorder, std::move(interfaces)) {}

    TemporaryStateHome StateHome;
    RecordingMessages Recorder;
    app::TForm1 Form;
    protocol::DeviceSession& Session = Form.Session();

    template <class Widget> Widget* Find(const char* objectName) const
    {
        auto* widget = Form.findChild<Widget*>(QString::fromLatin1(objectName));
        if (widget == nullptr)
            throw std::logic_error(std::string("the window has no control named ") + objectName);
        return widget;
    }
    QTreeWidget* List() const { return Find<QTreeWidget>("lvIP"); }
    widgets::TRIPEdit* AddressEdit() const { return Find<widgets::TRIPEdit>("IP"); }
    widgets::TRIPEdit* MaskEdit() const { return Find<widgets::TRIPEdit>("Subnet"); }
    QSpinBox* PortBox() const { return Find<QSpinBox>("iPort"); }
    QPushButton* RefreshButton() const { return Find<QPushButton>("bPobierzIP"); }
    QPushButton* SetButton() const { return Find<QPushButton>("bZmienIP"); }
    QLabel* Headings() const { return Find<QLabel>("Label2"); }
    QFrame* Frame() const { return Find<QFrame>("Bevel1"); }

    const std::vector<std::string>& Messages() const { return Recorder.Plain; }

    std::vector<std::string> RowTexts(int column) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < List()->topLevelItemCount(); ++row)
            texts.push_back(List()->topLevelItem(row)->text(column).toStdString());
        return texts;
    }

    int SelectedRow() const
    {
        const auto selected = List()->selectedItems();
        return selected.size() == 1 ? List()->indexOfTopLevelItem(selected.first()) : -1;
    }

    // Clicks the row with the primary button, as the operator does.
    void Select(int row) const
    {
        QTreeWidgetItem* item = List()->topLevelItem(row);
        if (item == nullptr)
            throw std::logic_error("the list has no row " + std::to_string(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(item).center());
    }

    // Types a dotted address into an address control, section by section.
    static void Type(widgets::TRIPEdit* edit, const QString& text)
    {
        const QStringList parts = text.split('.');
        for (int n = 1; n <= widgets::TRIPEdit::kSectionCount; ++n) {
            edit->Section(n)->setFocus();
            edit->Section(n)->selectAll();
            QTest::keyClicks(edit->Section(n), parts.at(n - 1));
        }
    }
};
