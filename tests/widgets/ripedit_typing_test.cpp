// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>

using namespace widgets;

TEST_F(ShownControl, ThreeValidDigitsMoveToTheNextFieldWithItsTextSelected)
{
    enter(1);
    QTest::keyClicks(field(1), "192");
    EXPECT_EQ(field(1)->text(), "192");
    EXPECT_EQ(focused(), field(2));
    EXPECT_EQ(field(2)->selectedText(), "0");
    EXPECT_EQ(control->FIPAddress(), 0x000000C0u);
    EXPECT_EQ(beeps, 0);

    QTest::keyClicks(focused(), "168");
    QTest::keyClicks(focused(), "1");
    EXPECT_EQ(focused(), field(3)); // one digit stays
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClicks(focused(), "10");
    EXPECT_EQ(control->IPString(), "192.168.1.10");
    EXPECT_EQ(control->FIPAddress(), 0x0A01A8C0u);

    enter(3);
    QTest::keyClicks(field(3), "007"); // three valid characters
    EXPECT_EQ(focused(), field(4));
    EXPECT_EQ(control->IPString(), "192.168.007.10");
    EXPECT_EQ(control->IP3Sec(), 7);
}

TEST_F(ShownControl, ThreeValidDigitsInTheLastFieldWrapToTheFirst)
{
    enter(4);
    QTest::keyClicks(field(4), "254");
    EXPECT_EQ(focused(), field(1));
    EXPECT_EQ(field(1)->selectedText(), "0");
}

TEST_F(ShownControl, TooLargeSectionIsSelectedAndBecomes255WhenLeft)
{
    enter(1);
    QTest::keyClicks(field(1), "300");
    EXPECT_EQ(focused(), field(1));
    EXPECT_EQ(field(1)->selectedText(), "300");

    QTest::keyClick(field(1), Qt::Key_Tab);
    EXPECT_EQ(field(1)->text(), "255");
    EXPECT_EQ(focused(), field(2));
    EXPECT_EQ(control->IPAddress(), 0xFF000000u);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShownControl, LeavingATooLargeSectionByMouseStillPassesTheFocusToTheNextField)
{
    enter(3);
    QTest::keyClicks(field(3), "999");
    QTest::mouseClick(other, Qt::LeftButton, {}, other->rect().center());
    EXPECT_EQ(field(3)->text(), "255");
    EXPECT_EQ(focused(), field(4));
}

TEST_F(ShownControl, ClickingAnotherSectionChecksOnlyTheSectionLeft)
{
    field(4)->setText("999");
    enter(1);
    QTest::keyClicks(field(1), "300");
    QTest::mouseClick(field(4), Qt::LeftButton, {}, field(4)->rect().center());
    EXPECT_EQ(field(1)->text(), "255");
    EXPECT_EQ(focused(), field(2));
    EXPECT_EQ(field(4)->text(), "999"); // it never held the focus, so it was never left
}

TEST_F(ShownControl, ADotMovesOnFromAFieldHoldingADigitAndOtherwiseDoesNothing)
{
    enter(2);
    QTest::keyClicks(field(2), "12.");
    EXPECT_EQ(field(2)->text(), "12");
    EXPECT_EQ(focused(), field(3));

    QTest::keyClick(field(3), Qt::Key_Backspace);
    QTest::keyClicks(field(3), ".");
    EXPECT_EQ(focused(), field(3)); // an empty field does not move on
    QTest::keyClicks(field(3), "7.");
    QTest::keyClicks(focused(), "5.");
    EXPECT_EQ(focused(), field(4)); // and the last field has no next one
    EXPECT_EQ(control->IPString(), "0.12.7.5");
    EXPECT_EQ(beeps, 0);
}

TEST_F(ShownControl, EmptyingAFieldLeavesAnEmptyPartAndTheRememberedAddress)
{
    control->setIPString("192.168.1.10");
    enter(2);
    QTest::keyClick(field(2), Qt::Key_Backspace);
    EXPECT_EQ(control->IPString(), "192..1.10");
    EXPECT_EQ(control->FIPAddress(), 0x0A01A8C0u);
    QTest::keyClick(field(2), Qt::Key_Tab);
    EXPECT_EQ(field(2)->text(), "");
    EXPECT_EQ(focused(), field(3));
}

TEST_F(ShownControl, KeyFilterBeepsAtEveryOtherCharacterAndClipboardShortcut)
{
    QGuiApplication::clipboard()->setText("5"); // Ctrl+V must not paste it
    enter(1);
    QTest::keyClick(field(1), Qt::Key_1);
    ASSERT_EQ(field(1)->text(), "1");

    QTest::keyClicks(field(1), "a -+$x,");
    EXPECT_EQ(beeps, 7);
    for (const Qt::Key key : {Qt::Key_V, Qt::Key_C, Qt::Key_X, Qt::Key_A, Qt::Key_Z})
        QTest::keyClick(field(1), key, Qt::ControlModifier);
    QTest::keyClick(field(1), Qt::Key_Escape);
    QTest::keyClick(field(1), Qt::Key_Backspace, Qt::ControlModifier);
    QTest::keyClick(field(1), Qt::Key_Space, Qt::ControlModifier);
    QTest::keyClick(field(1), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier); // AltGr: a character
    EXPECT_EQ(beeps, 16);
    QTest::keyClick(field(1), Qt::Key_A, Qt::AltModifier); // window shortcuts type nothing, silently
    QTest::keyClick(field(1), Qt::Key_1, Qt::AltModifier);
    QTest::keyClick(field(1), Qt::Key_A, Qt::MetaModifier);
    EXPECT_EQ(beeps, 16);
    EXPECT_EQ(field(1)->text(), "1");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "5");
    EXPECT_EQ(focused(), field(1));
}

TEST_F(ShownControl, KeysWithoutACharacterEditAsUsual)
{
    enter(1);
    QTest::keyClicks(field(1), "12");
    QTest::keyClick(field(1), Qt::Key_Home);
    QTest::keyClick(field(1), Qt::Key_Delete);
    EXPECT_EQ(field(1)->text(), "2");
    QTest::keyClick(field(1), Qt::Key_End);
    QTest::keyClick(field(1), Qt::Key_Left);
    QTest::keyClick(field(1), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(field(1)->text(), "52");
    QTest::keyClick(field(1), Qt::Key_Right);
    QTest::keyClick(field(1), Qt::Key_Backspace);
    EXPECT_EQ(field(1)->text(), "5");
    EXPECT_EQ(beeps, 0);
}

TEST_F(ShownControl, InputMethodCommitsKeepOnlySectionCharacters)
{
    enter(4);
    QInputMethodEvent commit;
    commit.setCommitString("1a2");
    QApplication::sendEvent(field(4), &commit);
    EXPECT_EQ(field(4)->text(), "12");
    EXPECT_EQ(beeps, 1);
}

TEST_F(ShownControl, FailedExitCheckShowsTheXMessage)
{
    field(2)->setObjectName("inRIPx"); // the position is read from the name's last character
    enter(2);
    QTest::keyClicks(field(2), "300");
    EXPECT_EQ(field(2)->selectedText(), "300");
    QTest::keyClick(field(2), Qt::Key_Tab);
    EXPECT_EQ(messages, QStringList({"x"}));
    EXPECT_EQ(field(2)->text(), "300");
}
