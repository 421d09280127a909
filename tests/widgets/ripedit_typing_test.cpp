// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>

using namespace widgets;

TEST_F(ShownControl, ThreeValidDigitsMoveToTheNextFieldWithItsTextSelected)
{
    Enter(1);
    QTest::keyClicks(Field(1), "192");
    EXPECT_EQ(Field(1)->text(), "192");
    EXPECT_EQ(Focused(), Field(2));
    EXPECT_EQ(Field(2)->selectedText(), "0");
    EXPECT_EQ(control_->FIPAddress(), 0x000000C0u);
    EXPECT_EQ(beeps_, 0);

    QTest::keyClicks(Focused(), "168");
    QTest::keyClicks(Focused(), "1");
    EXPECT_EQ(Focused(), Field(3)); // one digit stays
    QTest::keyClick(Focused(), Qt::Key_Tab);
    QTest::keyClicks(Focused(), "10");
    EXPECT_EQ(control_->IPString(), "192.168.1.10");
    EXPECT_EQ(control_->FIPAddress(), 0x0A01A8C0u);

    Enter(3);
    QTest::keyClicks(Field(3), "007"); // three valid characters
    EXPECT_EQ(Focused(), Field(4));
    EXPECT_EQ(control_->IPString(), "192.168.007.10");
    EXPECT_EQ(control_->IP3Sec(), 7);
}

TEST_F(ShownControl, ThreeValidDigitsInTheLastFieldWrapToTheFirst)
{
    Enter(4);
    QTest::keyClicks(Field(4), "254");
    EXPECT_EQ(Focused(), Field(1));
    EXPECT_EQ(Field(1)->selectedText(), "0");
}

TEST_F(ShownControl, TooLargeSectionIsSelectedAndBecomes255WhenLeft)
{
    Enter(1);
    QTest::keyClicks(Field(1), "300");
    EXPECT_EQ(Focused(), Field(1));
    EXPECT_EQ(Field(1)->selectedText(), "300");

    QTest::keyClick(Field(1), Qt::Key_Tab);
    EXPECT_EQ(Field(1)->text(), "255");
    EXPECT_EQ(Focused(), Field(2));
    EXPECT_EQ(control_->IPAddress(), 0xFF000000u);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(ShownControl, LeavingATooLargeSectionByMouseStillPassesTheFocusToTheNextField)
{
    Enter(3);
    QTest::keyClicks(Field(3), "999");
    QTest::mouseClick(other_, Qt::LeftButton, {}, other_->rect().center());
    EXPECT_EQ(Field(3)->text(), "255");
    EXPECT_EQ(Focused(), Field(4));
}

TEST_F(ShownControl, ClickingAnotherSectionChecksOnlyTheSectionLeft)
{
    Field(4)->setText("999");
    Enter(1);
    QTest::keyClicks(Field(1), "300");
    QTest::mouseClick(Field(4), Qt::LeftButton, {}, Field(4)->rect().center());
    EXPECT_EQ(Field(1)->text(), "255");
    EXPECT_EQ(Focused(), Field(2));
    EXPECT_EQ(Field(4)->text(), "999"); // it never held the focus, so it was never left
}

TEST_F(ShownControl, ADotMovesOnFromAFieldHoldingADigitAndOtherwiseDoesNothing)
{
    Enter(2);
    QTest::keyClicks(Field(2), "12.");
    EXPECT_EQ(Field(2)->text(), "12");
    EXPECT_EQ(Focused(), Field(3));

    QTest::keyClick(Field(3), Qt::Key_Backspace);
    QTest::keyClicks(Field(3), ".");
    EXPECT_EQ(Focused(), Field(3)); // an empty field does not move on
    QTest::keyClicks(Field(3), "7.");
    QTest::keyClicks(Focused(), "5.");
    EXPECT_EQ(Focused(), Field(4)); // and the last field has no next one
    EXPECT_EQ(control_->IPString(), "0.12.7.5");
    EXPECT_EQ(beeps_, 0);
}

TEST_F(ShownControl, EmptyingAFieldLeavesAnEmptyPartAndTheRememberedAddress)
{
    control_->setIPString("192.168.1.10");
    Enter(2);
    QTest::keyClick(Field(2), Qt::Key_Backspace);
    EXPECT_EQ(control_->IPString(), "192..1.10");
    EXPECT_EQ(control_->FIPAddress(), 0x0A01A8C0u);
    QTest::keyClick(Field(2), Qt::Key_Tab);
    EXPECT_EQ(Field(2)->text(), "");
    EXPECT_EQ(Focused(), Field(3));
}

TEST_F(ShownControl, KeyFilterBeepsAtEveryOtherCharacterAndClipboardShortcut)
{
    QGuiApplication::clipboard()->setText("5"); // Ctrl+V must not paste it
    Enter(1);
    QTest::keyClick(Field(1), Qt::Key_1);
    ASSERT_EQ(Field(1)->text(), "1");

    QTest::keyClicks(Field(1), "a -+$x,");
    EXPECT_EQ(beeps_, 7);
    for (const Qt::Key key : {Qt::Key_V, Qt::Key_C, Qt::Key_X, Qt::Key_A, Qt::Key_Z})
        QTest::keyClick(Field(1), key, Qt::ControlModifier);
    QTest::keyClick(Field(1), Qt::Key_Escape);
    QTest::keyClick(Field(1), Qt::Key_Backspace, Qt::ControlModifier);
    QTest::keyClick(Field(1), Qt::Key_Space, Qt::ControlModifier);
    QTest::keyClick(Field(1), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier); // AltGr: a character
    EXPECT_EQ(beeps_, 16);
    QTest::keyClick(Field(1), Qt::Key_A, Qt::AltModifier); // window shortcuts type nothing, silently
    QTest::keyClick(Field(1), Qt::Key_1, Qt::AltModifier);
    QTest::keyClick(Field(1), Qt::Key_A, Qt::MetaModifier);
    EXPECT_EQ(beeps_, 16);
    EXPECT_EQ(Field(1)->text(), "1");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "5");
    EXPECT_EQ(Focused(), Field(1));
}

TEST_F(ShownControl, KeysWithoutACharacterEditAsUsual)
{
    Enter(1);
    QTest::keyClicks(Field(1), "12");
    QTest::keyClick(Field(1), Qt::Key_Home);
    QTest::keyClick(Field(1), Qt::Key_Delete);
    EXPECT_EQ(Field(1)->text(), "2");
    QTest::keyClick(Field(1), Qt::Key_End);
    QTest::keyClick(Field(1), Qt::Key_Left);
    QTest::keyClick(Field(1), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(Field(1)->text(), "52");
    QTest::keyClick(Field(1), Qt::Key_Right);
    QTest::keyClick(Field(1), Qt::Key_Backspace);
    EXPECT_EQ(Field(1)->text(), "5");
    EXPECT_EQ(beeps_, 0);
}

TEST_F(ShownControl, InputMethodCommitsKeepOnlySectionCharacters)
{
    Enter(4);
    QInputMethodEvent commit;
    commit.setCommitString("1a2");
    QApplication::sendEvent(Field(4), &commit);
    EXPECT_EQ(Field(4)->text(), "12");
    EXPECT_EQ(beeps_, 1);
}

TEST_F(ShownControl, FailedExitCheckShowsTheXMessage)
{
    Field(2)->setObjectName("inRIPx"); // the position is read from the name's last character
    Enter(2);
    QTest::keyClicks(Field(2), "300");
    EXPECT_EQ(Field(2)->selectedText(), "300");
    QTest::keyClick(Field(2), Qt::Key_Tab);
    EXPECT_EQ(messages_, QStringList({"x"}));
    EXPECT_EQ(Field(2)->text(), "300");
}
