// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <memory>

using namespace widgets;

namespace {

void SetClipboard(const QString& text)
{
    if (text.isNull())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setText(text);
}

} // namespace

TEST_F(ShownControl, PastingAnAddressInsertsItsFirstSectionAndMovesOn)
{
    SetClipboard("192.168.1.1");
    Enter(1);
    Field(1)->paste();
    EXPECT_EQ(Field(1)->text(), "192");
    EXPECT_EQ(Focused(), Field(2));
    EXPECT_EQ(beeps_, 0);
}

TEST_F(ShownControl, RefusedPastesChangeNothingSilently)
{
    control_->setIPString("10.20.30.40");
    Enter(3);
    for (const QString& clip :
         {QString("300"), QString("abc"), QString("1.2"), QString("-1"), QString(" 1."), QString()}) {
        SetClipboard(clip);
        Field(3)->paste();
        EXPECT_EQ(Field(3)->text(), "30") << clip.toStdString();
        EXPECT_EQ(Field(3)->selectedText(), "30");
    }
    EXPECT_EQ(beeps_, 0);
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(Focused(), Field(3));
}

TEST_F(ShownControl, PastedHexadecimalIsKeptAsTyped)
{
    SetClipboard("$1F");
    Enter(2);
    Field(2)->paste();
    EXPECT_EQ(Field(2)->text(), "$1F");
    EXPECT_EQ(control_->IP2Sec(), 31);
    EXPECT_EQ(Focused(), Field(3)); // three valid characters
}

TEST_F(ShownControl, PasteCheckLooksOnlyAtTheClipboardText)
{
    Enter(4);
    QTest::keyClicks(Field(4), "25");
    SetClipboard("9");
    Field(4)->paste();
    EXPECT_EQ(Field(4)->text(), "259"); // 9 passes; the result is too large
    EXPECT_EQ(Field(4)->selectedText(), "259");
    EXPECT_EQ(Focused(), Field(4));

    SetClipboard(" 12"); // leading blanks are part of a number
    Field(4)->paste();
    EXPECT_EQ(Field(4)->text(), " 12");
    EXPECT_EQ(control_->IP4Sec(), 12);
    EXPECT_EQ(Focused(), Field(1));

    QTest::keyClick(Field(1), Qt::Key_1); // replaces the selected "0"
    SetClipboard("234");
    Field(1)->paste(); // inserts only as much as the 3-character limit allows
    EXPECT_EQ(Field(1)->text(), "123");
    EXPECT_EQ(Focused(), Field(2));
}

TEST_F(ShownControl, ContextMenuPasteGoesThroughTheCheck)
{
    Enter(1);
    std::unique_ptr<QMenu> menu(Field(1)->createStandardContextMenu());
    QAction* pasteEntry = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().contains("Paste"))
            pasteEntry = action;
    ASSERT_NE(pasteEntry, nullptr);

    SetClipboard("abc");
    pasteEntry->trigger();
    EXPECT_EQ(Field(1)->text(), "0");
    SetClipboard("42");
    pasteEntry->trigger();
    EXPECT_EQ(Field(1)->text(), "42");
}
