// SPDX-License-Identifier: MIT
// The control as assistive technology sees it, and in a dark palette.
#include "shown_control.h"

#include <QAccessible>
#include <QLabel>

using namespace widgets;

namespace {

TEST_F(ShownControl, ScreenReadersSeeOneEditableAddressWithFourSectionChildren)
{
    control_->setAccessibleNames("Adres IP");
    control_->setIPString("192.168.1.10");
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(control_);
    EXPECT_EQ(box->role(), QAccessible::EditableText);
    EXPECT_EQ(box->text(QAccessible::Value), "192.168.1.10");
    ASSERT_EQ(box->childCount(), 4) << "the dots are no children";
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(box->child(n)->text(QAccessible::Name), QStringLiteral("Adres IP, część %1").arg(n + 1));
        EXPECT_EQ(box->child(n)->text(QAccessible::Value), control_->IPString().split('.')[n]);
        EXPECT_EQ(box->indexOfChild(box->child(n)), n);
        EXPECT_EQ(box->child(n)->parent(), box);
    }
    Enter(3);
    EXPECT_EQ(box->focusChild(), box->child(2));
    box->setText(QAccessible::Value, "10.0.0.7"); // a screen reader's write
    EXPECT_EQ(control_->IPString(), "10.0.0.7");
}

TEST_F(ShownControl, TheTextInterfaceMapsOffsetsToSectionsAndDots)
{
    control_->setIPString("192.168.1.10");
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(control_);
    QAccessibleTextInterface* text = box->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(4, 9), "168.1");
    for (int offset = 0; offset < text->characterCount(); ++offset)
        EXPECT_EQ(text->offsetAtPoint(text->characterRect(offset).center()), offset) << offset;
    Enter(3);
    EXPECT_EQ(text->cursorPosition(), 9) << "after the 1 of section 3";
    box->editableTextInterface()->replaceText(10, 12, "77");
    EXPECT_EQ(control_->IPString(), "192.168.1.77");
}

TEST_F(ShownControl, DotsAndDigitsStandOutOfADarkGround)
{
    QPalette dark = control_->palette();
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20)); // not the dots' ink
    control_->setPalette(dark);
    const QImage image = control_->grab(control_->Dot(1)->geometry()).toImage();
    EXPECT_EQ(image.pixelColor(5, 2), dark.color(QPalette::Base)) << "the ground beside a dot";
    int brightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            brightest = std::max(brightest, image.pixelColor(x, y).lightness());
    EXPECT_GT(brightest, 160) << "the dot";
}

} // namespace
