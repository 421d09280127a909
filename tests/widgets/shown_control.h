// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/ripedit.h"

#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

// An IP edit control in a shown, active window, next to a plain line edit to
// leave it for. Beeps and message boxes are counted instead of made.
class ShownControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(320, 60);
        control = new widgets::TRIPEdit(&window);
        control->move(10, 10);
        other = new QLineEdit(&window);
        other->setGeometry(160, 10, 100, 22);
        control->setBeeper([this] { ++beeps; });
        control->setMessageBox([this](const QString& text) { messages << text; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    widgets::TIPMaskEdit* field(int position) const { return control->Section(position); }
    static QWidget* focused() { return QApplication::focusWidget(); }

    // Tab into a field: it gets the focus with its whole text selected.
    void enter(int position)
    {
        if (focused() == field(position))
            other->setFocus(Qt::TabFocusReason);
        field(position)->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(focused(), field(position));
    }

    QWidget window;
    widgets::TRIPEdit* control = nullptr;
    QLineEdit* other = nullptr;
    int beeps = 0;
    QStringList messages;
};
