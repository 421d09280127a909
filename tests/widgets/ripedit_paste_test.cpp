// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <memory>

using namespace widgets;

namespace {

void setClipboard(const QString& text)
{
    if (text.isNull())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setText(text);
}

} // namespace

TEST_F(ShownControl, PastingAnAddressInsertsItsFirstSectionAndMovesOn)
{
    setClipboard("192.168.1.1");
    enter(1);
    field(1)->paste();
    EXPECT_EQ(field(1)->text(), "192");
    EXPECT_EQ(focused(), field(2));
    EXPECT_EQ(beeps, 0);
}

TEST_F(ShownControl, RefusedPastesChangeNothingSilently)
{
    control->setIPString("10.20.30.40");
    enter(3);
    for (const QString& clip :
         {QString("300"), QString("abc"), QString("1.2"), QString("-1"), QString(" 1."), QString()}) {
        setClipboard(clip);
        field(3)->paste();
        EXPECT_EQ(field(3)->text(), "30") << clip.toStdString();
        EXPECT_EQ(field(3)->selectedText(), "30");
    }
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(focused(), field(3));
}

TEST_F(ShownControl, PastedHexadecimalIsKeptAsTyped)
{
    setClipboard("$1F");
    enter(2);
    field(2)->paste();
    EXPECT_EQ(field(2)->text(), "$1F");
    EXPECT_EQ(control->IP2Sec(), 31);
    EXPECT_EQ(focused(), field(3)); // three valid characters
}

TEST_F(ShownControl, PasteCheckLooksOnlyAtTheClipboardText)
{
    enter(4);
    QTest::keyClicks(field(4), "25");
    setClipboard("9");
    field(4)->paste();
    EXPECT_EQ(field(4)->text(), "259"); // 9 passes; the result is too large
    EXPECT_EQ(field(4)->selectedText(), "259");
    EXPECT_EQ(focused(), field(4));

    setClipboard(" 12"); // leading blanks are part of a number
    field(4)->paste();
    EXPECT_EQ(field(4)->text(), " 12");
    EXPECT_EQ(control->IP4Sec(), 12);
    EXPECT_EQ(focused(), field(1));

    QTest::keyClick(field(1), Qt::Key_1); // replaces the selected "0"
    setClipboard("234");
    field(1)->paste(); // inserts only as much as the 3-character limit allows
    EXPECT_EQ(field(1)->text(), "123");
    EXPECT_EQ(focused(), field(2));
}

TEST_F(ShownControl, ContextMenuPasteGoesThroughTheCheck)
{
    enter(1);
    std::unique_ptr<QMenu> menu(field(1)->createStandardContextMenu());
    QAction* pasteEntry = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().contains("Paste"))
            pasteEntry = action;
    ASSERT_NE(pasteEntry, nullptr);

    setClipboard("abc");
    pasteEntry->trigger();
    EXPECT_EQ(field(1)->text(), "0");
    setClipboard("42");
    pasteEntry->trigger();
    EXPECT_EQ(field(1)->text(), "42");
}
