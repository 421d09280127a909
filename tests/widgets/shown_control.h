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
        window_.resize(320, 60);
        control_ = new widgets::TRIPEdit(&window_);
        control_->move(10, 10);
        other_ = new QLineEdit(&window_);
        other_->setGeometry(160, 10, 100, 22);
        control_->setBeeper([this] { ++beeps_; });
        control_->setMessageBox([this](const QString& text) { messages_ << text; });
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    widgets::TIPMaskEdit* Field(int position) const { return control_->Section(position); }
    static QWidget* Focused() { return QApplication::focusWidget(); }

    // Tab into a field: it gets the focus with its whole text selected.
    void Enter(int position)
    {
        if (Focused() == Field(position))
            other_->setFocus(Qt::TabFocusReason);
        Field(position)->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(Focused(), Field(position));
    }

    QWidget window_;
    widgets::TRIPEdit* control_ = nullptr;
    QLineEdit* other_ = nullptr;
    int beeps_ = 0;
    QStringList messages_;
};
